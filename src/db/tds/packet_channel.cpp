#include "db/tds/packet_channel.h"

#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace korvane::tds {

bool PacketChannel::WaitForInput() const {
  if (!deadline_)
    return true;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        *deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return false;
    pollfd entry{fd_, POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left.count(), 60000)));
    if (ready > 0)
      return true;
    if (ready < 0 && errno != EINTR)
      return true;  // let the read report the fault
  }
}

bool PacketChannel::ReadExact(std::uint8_t* data, std::size_t size, ReadStatus* status) {
  std::size_t done = 0;
  while (ssl_ && done < size) {
    const int got = SSL_read(ssl_, data + done, static_cast<int>(size - done));
    if (got > 0) {
      done += static_cast<std::size_t>(got);
      continue;
    }
    if (SSL_get_error(ssl_, got) != SSL_ERROR_WANT_READ) {
      *status = ReadStatus::kClosed;
      return false;
    }
    // The engine needs more records: feed it what the socket has.
    if (!WaitForInput()) {
      *status = ReadStatus::kTimedOut;
      return false;
    }
    std::uint8_t raw[16384];
    const ssize_t received = ::recv(fd_, raw, sizeof raw, 0);
    if (received > 0) {
      BIO_write(SSL_get_rbio(ssl_), raw, static_cast<int>(received));
      continue;
    }
    if (received < 0 && errno == EINTR)
      continue;
    *status = received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? ReadStatus::kTimedOut
                                                                        : ReadStatus::kClosed;
    return false;
  }
  while (done < size) {
    if (!WaitForInput()) {
      *status = ReadStatus::kTimedOut;
      return false;
    }
    const ssize_t got = ::recv(fd_, data + done, size - done, 0);
    if (got > 0) {
      done += static_cast<std::size_t>(got);
      continue;
    }
    if (got < 0 && errno == EINTR)
      continue;
    *status = got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? ReadStatus::kTimedOut
                                                                   : ReadStatus::kClosed;
    return false;
  }
  return true;
}

bool PacketChannel::SendRaw(const std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t sent = ::send(fd_, data + done, size - done, MSG_NOSIGNAL);
    if (sent > 0) {
      done += static_cast<std::size_t>(sent);
      continue;
    }
    if (sent < 0 && errno == EINTR)
      continue;
    return false;
  }
  return true;
}

bool PacketChannel::WriteAll(const std::uint8_t* data, std::size_t size) {
  if (!ssl_)
    return SendRaw(data, size);
  std::size_t done = 0;
  while (done < size) {
    const int written = SSL_write(ssl_, data + done, static_cast<int>(size - done));
    if (written <= 0)
      return false;
    done += static_cast<std::size_t>(written);
  }
  // Send the records the engine produced.
  std::uint8_t raw[16384];
  for (int got; (got = BIO_read(SSL_get_wbio(ssl_), raw, sizeof raw)) > 0;)
    if (!SendRaw(raw, static_cast<std::size_t>(got)))
      return false;
  return true;
}

ReadStatus PacketChannel::ReadMessage(Message* message) {
  message->payload.clear();
  bool first = true;
  for (;;) {
    std::uint8_t header[kHeaderSize];
    ReadStatus status = ReadStatus::kOk;
    if (!ReadExact(header, kHeaderSize, &status))
      return status;
    const std::uint8_t type = header[0];
    const std::uint8_t packet_status = header[1];
    const std::size_t length = (static_cast<std::size_t>(header[2]) << 8) | header[3];
    if (length < kHeaderSize || length > packet_size_)
      return ReadStatus::kMalformed;
    if (type == kPacketAttention && !first) {
      // A cancel of the message being sent: nothing else of it will come.
      message->payload.clear();
      first = true;
    }
    if (!first && type != message->type)
      return ReadStatus::kMalformed;
    const std::size_t body = length - kHeaderSize;
    if (message->payload.size() + body > max_message_size_)
      return ReadStatus::kTooLarge;
    const std::size_t at = message->payload.size();
    message->payload.resize(at + body);
    if (!ReadExact(message->payload.data() + at, body, &status))
      return status == ReadStatus::kTimedOut ? ReadStatus::kTimedOut : ReadStatus::kClosed;
    message->type = type;
    message->status = packet_status;
    first = false;
    if (packet_status & kStatusEom)
      return ReadStatus::kOk;
  }
}

bool PacketChannel::Send(std::uint8_t type, std::span<const std::uint8_t> payload, bool end) {
  const std::size_t per_packet = PayloadPerPacket();
  std::size_t offset = 0;
  Bytes packet;
  packet.reserve(packet_size_);
  do {
    const std::size_t part = std::min(per_packet, payload.size() - offset);
    const bool last = offset + part == payload.size();
    const std::size_t length = part + kHeaderSize;
    packet.assign({type, static_cast<std::uint8_t>(last && end ? kStatusEom : 0),
                   static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                   static_cast<std::uint8_t>(spid_ >> 8), static_cast<std::uint8_t>(spid_),
                   packet_id_++, 0});
    packet.insert(packet.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset),
                  payload.begin() + static_cast<std::ptrdiff_t>(offset + part));
    if (!WriteAll(packet.data(), packet.size()))
      return false;
    offset += part;
  } while (offset < payload.size());
  return true;
}

void PacketChannel::PutBackTls(const Bytes& records) {
  if (ssl_ && !records.empty())
    BIO_write(SSL_get_rbio(ssl_), records.data(), static_cast<int>(records.size()));
}

bool PacketChannel::WaitReadable(int milliseconds) const {
  if (ssl_ && (SSL_pending(ssl_) > 0 || BIO_ctrl_pending(SSL_get_rbio(ssl_)) > 0))
    return true;
  pollfd entry{fd_, POLLIN, 0};
  for (;;) {
    const int ready = ::poll(&entry, 1, milliseconds);
    if (ready < 0 && errno == EINTR)
      continue;
    return ready > 0;
  }
}

}  // namespace korvane::tds
