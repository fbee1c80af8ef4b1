// LOGIN7: who logs in, to which database, with which TDS version and packet size.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace korvane::tds {

// TDS versions as LOGIN7 and LOGINACK carry them.
inline constexpr std::uint32_t kTds71 = 0x71000001;
inline constexpr std::uint32_t kTds72 = 0x72090002;
inline constexpr std::uint32_t kTds73 = 0x730B0003;
inline constexpr std::uint32_t kTds74 = 0x74000004;

struct Login7Request {
  std::uint32_t tds_version = 0;
  std::uint32_t packet_size = 0;
  bool integrated_security = false;
  std::string host_name;
  std::string user_name;
  std::string password;
  std::string app_name;
  std::string server_name;
  std::string library_name;
  std::string language;
  std::string database;
};

// nullopt when the message is shorter than its fixed part or a string lies outside it.
std::optional<Login7Request> ParseLogin7(std::span<const std::uint8_t> payload);

// Reverses the client's password scrambling (nibbles swapped, then XOR 0xA5) in place.
void UnscramblePassword(std::span<std::uint8_t> bytes);

// The version the server answers with: the client's, capped at what the server's product
// version speaks (8: 7.1, 9: 7.2, 10: 7.3, later: 7.4), and never below 7.1.
std::uint32_t NegotiateTdsVersion(std::uint32_t client_version, int server_major_version);

// The packet size granted: 0 keeps `default_size`, others are clamped to 512..32767.
std::uint32_t NegotiatePacketSize(std::uint32_t requested, std::uint32_t default_size);

}  // namespace korvane::tds
