// TDS packets over a connected socket: reads whole messages (the payloads of the packets up to
// the one marked end-of-message) and writes responses split into packets of the negotiated size.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "db/tds/tds_bytes.h"

typedef struct ssl_st SSL;

namespace korvane::tds {

enum PacketType : std::uint8_t {
  kPacketBatch = 0x01,
  kPacketRpc = 0x03,
  kPacketReply = 0x04,
  kPacketAttention = 0x06,
  kPacketBulk = 0x07,
  kPacketTransaction = 0x0E,
  kPacketLogin7 = 0x10,
  kPacketSspi = 0x11,
  kPacketPrelogin = 0x12,
};

inline constexpr std::uint8_t kStatusEom = 0x01;
inline constexpr std::uint8_t kStatusIgnore = 0x02;
inline constexpr std::size_t kHeaderSize = 8;

struct Message {
  std::uint8_t type = 0;
  std::uint8_t status = 0;  // of the last packet
  Bytes payload;
};

enum class ReadStatus { kOk, kClosed, kTimedOut, kMalformed, kTooLarge };

class PacketChannel {
 public:
  // `fd` stays owned by the caller.
  explicit PacketChannel(int fd) : fd_(fd) {}

  // The largest packet accepted and sent (512..32767 once negotiated; 4096 before).
  void set_packet_size(std::size_t size) { packet_size_ = size; }
  std::size_t packet_size() const { return packet_size_; }
  // Messages whose payload grows beyond this are refused (kTooLarge).
  void set_max_message_size(std::size_t size) { max_message_size_ = size; }
  void set_spid(std::uint16_t spid) { spid_ = spid; }
  // Reads after this time fail with kTimedOut, however slowly the bytes trickle in (unset: no
  // limit).
  void set_deadline(std::optional<std::chrono::steady_clock::time_point> deadline) {
    deadline_ = deadline;
  }

  // Reads the next message. Packets may be smaller than the packet size, never larger;
  // a packet of another type in the middle of a message is malformed, except an attention,
  // which is returned at once (the partial message is dropped).
  ReadStatus ReadMessage(Message* message);

  // Sends `payload` as packets of `type`; the last one has end-of-message set when `end`.
  // Each call starts packets afresh, so only whole packets should be sent with end = false.
  bool Send(std::uint8_t type, std::span<const std::uint8_t> payload, bool end = true);
  // The bytes a packet of the current size carries.
  std::size_t PayloadPerPacket() const { return packet_size_ - kHeaderSize; }

  // Blocks up to `milliseconds` for readable input; true when some arrived (or the peer
  // closed). Used to notice an attention while a request runs.
  bool WaitReadable(int milliseconds) const;

  int fd() const { return fd_; }

  // Reads and writes through this TLS session from now on (nullptr: plain socket again). The
  // session stays owned by the caller.
  void UseTls(SSL* ssl) { ssl_ = ssl; }
  bool tls() const { return ssl_ != nullptr; }
  // TLS records read off the socket by someone else, to be read before the socket's.
  void PutBackTls(const Bytes& records);

 private:
  bool ReadExact(std::uint8_t* data, std::size_t size, ReadStatus* status);
  // Waits for input on the socket until the deadline; false when it passed.
  bool WaitForInput() const;
  bool WriteAll(const std::uint8_t* data, std::size_t size);
  bool SendRaw(const std::uint8_t* data, std::size_t size);

  int fd_;
  SSL* ssl_ = nullptr;
  std::size_t packet_size_ = 4096;
  std::size_t max_message_size_ = 64u << 20;
  std::uint16_t spid_ = 0;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  std::uint8_t packet_id_ = 1;
};

}  // namespace korvane::tds
