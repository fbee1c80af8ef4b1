#include "db/tds/login7.h"

#include <algorithm>
#include <vector>

#include "db/tds/tds_bytes.h"

namespace korvane::tds {
namespace {

constexpr std::size_t kFixedPart71 = 86;
constexpr std::uint8_t kIntegratedSecurity = 0x80;

// Version numbers in the order of the protocol's history, for comparing.
int VersionRank(std::uint32_t version) {
  switch (version >> 24) {
    case 0x71:
      return 1;
    case 0x72:
      return 2;
    case 0x73:
      return 3;
    default:
      return (version >> 24) >= 0x74 ? 4 : 0;
  }
}

}  // namespace

void UnscramblePassword(std::span<std::uint8_t> bytes) {
  for (std::uint8_t& b : bytes) {
    const std::uint8_t x = b ^ 0xA5;
    b = static_cast<std::uint8_t>(((x << 4) | (x >> 4)) & 0xFF);
  }
}

std::optional<Login7Request> ParseLogin7(std::span<const std::uint8_t> payload) {
  if (payload.size() < kFixedPart71)
    return std::nullopt;
  ByteReader reader(payload);
  const std::uint32_t length = reader.U32();
  if (length < kFixedPart71 || length > payload.size())
    return std::nullopt;
  const auto message = payload.first(length);
  Login7Request request;
  request.tds_version = reader.U32();
  request.packet_size = reader.U32();
  reader.Skip(12);  // client program version, process id, connection id
  reader.U8();      // option flags 1
  request.integrated_security = (reader.U8() & kIntegratedSecurity) != 0;
  reader.Skip(10);  // type flags, option flags 3, time zone, LCID
  // (offset, length in characters) pairs, from ibHostName on.
  const auto text = [&](bool scrambled) -> std::optional<std::string> {
    const std::size_t offset = reader.U16();
    const std::size_t chars = reader.U16();
    if (chars == 0)
      return std::string();
    if (offset > message.size() || chars * 2 > message.size() - offset)
      return std::nullopt;
    std::vector<std::uint8_t> bytes(
        message.begin() + static_cast<std::ptrdiff_t>(offset),
        message.begin() + static_cast<std::ptrdiff_t>(offset + chars * 2));
    if (scrambled)
      UnscramblePassword(bytes);
    return Ucs2ToUtf8(bytes);
  };
  std::string* fields[] = {&request.host_name, &request.user_name, &request.password,
                           &request.app_name, &request.server_name};
  for (std::size_t k = 0; k < std::size(fields); ++k) {
    auto value = text(fields[k] == &request.password);
    if (!value)
      return std::nullopt;
    *fields[k] = std::move(*value);
  }
  reader.Skip(4);  // extension offset and length
  std::string* more[] = {&request.library_name, &request.language, &request.database};
  for (std::string* field : more) {
    auto value = text(false);
    if (!value)
      return std::nullopt;
    *field = std::move(*value);
  }
  if (!reader.ok())
    return std::nullopt;
  return request;
}

std::uint32_t NegotiateTdsVersion(std::uint32_t client_version, int server_major_version) {
  const int server_rank = server_major_version <= 8    ? 1
                          : server_major_version == 9  ? 2
                          : server_major_version == 10 ? 3
                                                       : 4;
  const int rank = std::max(1, std::min(VersionRank(client_version), server_rank));
  static constexpr std::uint32_t kByRank[] = {0, kTds71, kTds72, kTds73, kTds74};
  return kByRank[rank];
}

std::uint32_t NegotiatePacketSize(std::uint32_t requested, std::uint32_t default_size) {
  if (requested == 0)
    return default_size;
  return std::clamp<std::uint32_t>(requested, 512, 32767);
}

}  // namespace korvane::tds
