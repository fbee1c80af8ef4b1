#include "tds_harness.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "db/tds/client_connection.h"
#include "db/tds/packet_channel.h"

namespace korvane::testing {

using tds::Bytes;

Bytes Capture(const std::string& name) {
  std::ifstream in(std::string(KORVANE_TDS_CAPTURES) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in.good()) << name;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes CapturePayload(const std::string& name) {
  const Bytes raw = Capture(name);
  Bytes payload;
  std::size_t at = 0;
  while (at + 8 <= raw.size()) {
    const std::size_t length = (static_cast<std::size_t>(raw[at + 2]) << 8) | raw[at + 3];
    if (length < 8 || at + length > raw.size())
      break;
    payload.insert(payload.end(), raw.begin() + static_cast<std::ptrdiff_t>(at + 8),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  }
  return payload;
}

std::string HexText(const Bytes& bytes) {
  std::string text;
  char buffer[4];
  for (auto b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", b);
    text += buffer;
  }
  if (!text.empty())
    text.pop_back();
  return text;
}

ServedConnection::ServedConnection(DatabaseBackend& backend, tds::ServerOptions options)
    : options_(std::move(options)) {
  int fds[2];
  EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  client_fd_ = fds[0];
  server_fd_ = fds[1];
  thread_ = std::thread([this, &backend] {
    tds::ClientConnection connection(server_fd_, options_, backend, stopping_, 51);
    connection.Run();
    ::shutdown(server_fd_, SHUT_RDWR);
  });
}

ServedConnection::~ServedConnection() {
  stopping_ = true;
  ::shutdown(client_fd_, SHUT_RDWR);
  ::shutdown(server_fd_, SHUT_RDWR);
  thread_.join();
  ::close(client_fd_);
  ::close(server_fd_);
}

void ServedConnection::SendRaw(const Bytes& bytes) {
  ASSERT_EQ(::send(client_fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(bytes.size()));
}

void ServedConnection::Send(std::uint8_t type, const Bytes& payload, std::size_t packet_size) {
  Bytes raw;
  std::size_t offset = 0;
  do {
    const std::size_t part = std::min(packet_size - 8, payload.size() - offset);
    const std::size_t length = part + 8;
    const bool last = offset + part == payload.size();
    raw.insert(raw.end(), {type, static_cast<std::uint8_t>(last ? 1 : 0),
                           static_cast<std::uint8_t>(length >> 8),
                           static_cast<std::uint8_t>(length), 0, 0, 1, 0});
    raw.insert(raw.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset),
               payload.begin() + static_cast<std::ptrdiff_t>(offset + part));
    offset += part;
  } while (offset < payload.size());
  SendRaw(raw);
}

static bool ReadExact(int fd, std::uint8_t* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::recv(fd, data + done, size - done, 0);
    if (got <= 0)
      return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

Received ServedConnection::Receive() {
  Received message;
  for (;;) {
    std::uint8_t header[8];
    if (!ReadExact(client_fd_, header, 8))
      return message;
    const std::size_t length = (static_cast<std::size_t>(header[2]) << 8) | header[3];
    message.type = header[0];
    ++message.packets;
    message.largest_packet = std::max(message.largest_packet, length);
    const std::size_t at = message.payload.size();
    message.payload.resize(at + length - 8);
    if (!ReadExact(client_fd_, message.payload.data() + at, length - 8))
      return message;
    if (header[1] & 1) {
      message.ended = true;
      return message;
    }
  }
}

bool ServedConnection::ServerClosed() {
  std::uint8_t byte;
  return ::recv(client_fd_, &byte, 1, 0) == 0;
}

Received ServedConnection::Login(const std::string& user, const std::string& password,
                                 const std::string& database, std::uint32_t tds_version,
                                 std::uint32_t packet_size) {
  Send(tds::kPacketPrelogin, CapturePayload("freetds-tsql74_01_prelogin.bin"));
  Receive();
  Send(tds::kPacketLogin7, MakeLogin7(user, password, database, tds_version, packet_size));
  return Receive();
}

Bytes MakeLogin7(const std::string& user, const std::string& password, const std::string& database,
                 std::uint32_t tds_version, std::uint32_t packet_size) {
  tds::ByteWriter out;
  out.U32(0);  // length, set below
  out.U32(tds_version);
  out.U32(packet_size);
  for (int k = 0; k < 3; ++k)
    out.U32(0);
  out.U8(0xE0);
  out.U8(0x03);
  out.U8(0);
  out.U8(0);
  out.U32(0);
  out.U32(0x409);
  const std::vector<std::string> texts = {"host", user, password, "test", "127.0.0.1"};
  const std::vector<std::string> more = {"lib", "", database};
  std::vector<Bytes> encoded;
  std::size_t offset = 94;
  for (const auto& text : texts) {
    encoded.push_back(tds::Utf8ToUcs2(text));
    out.U16(static_cast<std::uint16_t>(offset));
    out.U16(static_cast<std::uint16_t>(encoded.back().size() / 2));
    offset += encoded.back().size();
  }
  out.U16(static_cast<std::uint16_t>(offset));
  out.U16(0);  // extension
  for (const auto& text : more) {
    encoded.push_back(tds::Utf8ToUcs2(text));
    out.U16(static_cast<std::uint16_t>(offset));
    out.U16(static_cast<std::uint16_t>(encoded.back().size() / 2));
    offset += encoded.back().size();
  }
  for (int k = 0; k < 6; ++k)
    out.U8(0);  // client id
  for (int k = 0; k < 3; ++k) {
    out.U16(static_cast<std::uint16_t>(offset));
    out.U16(0);
  }
  out.U32(0);
  for (std::size_t k = 0; k < encoded.size(); ++k) {
    Bytes bytes = encoded[k];
    if (k == 2)  // the password, scrambled as clients do
      for (auto& b : bytes)
        b = static_cast<std::uint8_t>((((b << 4) | (b >> 4)) & 0xFF) ^ 0xA5);
    out.Append(bytes);
  }
  Bytes result = out.bytes();
  const auto length = static_cast<std::uint32_t>(result.size());
  std::memcpy(result.data(), &length, 4);
  return result;
}

Bytes MakeBatch(const std::string& sql, bool all_headers) {
  tds::ByteWriter out;
  if (all_headers) {
    out.U32(22);
    out.U32(18);
    out.U16(2);
    out.U64(0);
    out.U32(1);
  }
  out.Ucs2(sql);
  return out.bytes();
}

namespace {

struct Column {
  std::uint8_t type = 0;
  std::uint32_t max_length = 0;
  std::uint8_t scale = 0;
};

std::string Hex(std::span<const std::uint8_t> bytes) {
  std::string text;
  char buffer[3];
  for (auto b : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X", b);
    text += buffer;
  }
  return text;
}

bool IsPlp(const Column& c) {
  return (c.type == 0xA7 || c.type == 0xE7 || c.type == 0xA5) && c.max_length == 0xFFFF;
}

Column ReadColumnType(tds::ByteReader& in) {
  Column c;
  c.type = in.U8();
  switch (c.type) {
    case 0x26:
    case 0x68:
    case 0x6D:
    case 0x6E:
    case 0x6F:
    case 0x24:
      c.max_length = in.U8();
      break;
    case 0x6A:
    case 0x6C:
      c.max_length = in.U8();
      in.U8();
      c.scale = in.U8();
      break;
    case 0xA7:
    case 0xAF:
    case 0xE7:
    case 0xEF:
      c.max_length = in.U16();
      in.Skip(5);
      break;
    case 0xA5:
    case 0xAD:
      c.max_length = in.U16();
      break;
    case 0x23:
    case 0x63:
      c.max_length = in.U32();
      in.Skip(5);
      break;
    case 0x22:
      c.max_length = in.U32();
      break;
    default:
      in.Fail();
  }
  return c;
}

std::string Text(const Column& c, std::span<const std::uint8_t> data) {
  if (c.type == 0xE7 || c.type == 0xEF || c.type == 0x63)
    return tds::Ucs2ToUtf8(data);
  if (c.type == 0xA7 || c.type == 0xAF || c.type == 0x23)
    return tds::Cp1252ToUtf8(data);
  return "0x" + Hex(data);
}

std::string ReadColumnValue(tds::ByteReader& in, const Column& c) {
  if (IsPlp(c)) {
    const std::uint64_t total = in.U64();
    if (total == ~std::uint64_t{0})
      return "NULL";
    Bytes data;
    for (std::uint32_t chunk = in.U32(); chunk != 0 && in.ok(); chunk = in.U32()) {
      auto part = in.Take(chunk);
      data.insert(data.end(), part.begin(), part.end());
    }
    return Text(c, data);
  }
  switch (c.type) {
    case 0xA7:
    case 0xAF:
    case 0xE7:
    case 0xEF:
    case 0xA5:
    case 0xAD: {
      const std::uint16_t length = in.U16();
      return length == 0xFFFF ? "NULL" : Text(c, in.Take(length));
    }
    case 0x23:
    case 0x63:
    case 0x22: {
      const std::uint8_t pointer = in.U8();
      if (pointer == 0)
        return "NULL";
      in.Skip(pointer + 8u);
      return Text(c, in.Take(in.U32()));
    }
    default:
      break;
  }
  const std::uint8_t length = in.U8();
  if (length == 0)
    return "NULL";
  const auto data = in.Take(length);
  if (!in.ok())
    return "?";
  std::uint64_t raw = 0;
  for (std::size_t k = data.size(); k-- > 0;)
    raw = (raw << 8) | data[k];
  switch (c.type) {
    case 0x26: {
      const int shift = 64 - 8 * length;
      return std::to_string(length == 1 ? static_cast<std::int64_t>(raw)
                                        : static_cast<std::int64_t>(raw << shift) >> shift);
    }
    case 0x68:
      return raw ? "1" : "0";
    case 0x6D: {
      char buffer[40];
      if (length == 4) {
        float f;
        const auto bits = static_cast<std::uint32_t>(raw);
        std::memcpy(&f, &bits, 4);
        std::snprintf(buffer, sizeof buffer, "%g", f);
      } else {
        double d;
        std::memcpy(&d, &raw, 8);
        std::snprintf(buffer, sizeof buffer, "%.17g", d);
      }
      return buffer;
    }
    case 0x6E: {
      std::int64_t units = length == 4 ? static_cast<std::int32_t>(raw)
                                       : static_cast<std::int64_t>((raw << 32) | (raw >> 32));
      const bool negative = units < 0;
      std::uint64_t magnitude = negative ? static_cast<std::uint64_t>(-units) : units;
      char buffer[40];
      std::snprintf(buffer, sizeof buffer, "%s%llu.%04llu", negative ? "-" : "",
                    static_cast<unsigned long long>(magnitude / 10000),
                    static_cast<unsigned long long>(magnitude % 10000));
      return buffer;
    }
    case 0x6F:
      if (length == 4)
        return "d" + std::to_string(raw & 0xFFFF) + " m" + std::to_string(raw >> 16);
      return "d" + std::to_string(static_cast<std::int32_t>(raw & 0xFFFFFFFF)) + " t" +
             std::to_string(raw >> 32);
    case 0x6A:
    case 0x6C: {
      unsigned __int128 magnitude = 0;
      for (std::size_t k = data.size(); k-- > 1;)
        magnitude = (magnitude << 8) | data[k];
      std::string digits;
      do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
      } while (magnitude != 0);
      while (digits.size() <= c.scale)
        digits.insert(0, "0");
      if (c.scale)
        digits.insert(digits.size() - c.scale, ".");
      return (data[0] == 0 ? "-" : "") + digits;
    }
    case 0x24:
      return Hex(data);
    default:
      return "?";
  }
}

}  // namespace

std::vector<std::string> ReadTokens(const Bytes& payload, std::uint32_t tds_version) {
  const bool wide = (tds_version >> 24) >= 0x72;
  tds::ByteReader in(payload);
  std::vector<std::string> tokens;
  std::vector<Column> columns;
  char buffer[64];
  while (in.ok() && !in.AtEnd()) {
    const std::uint8_t token = in.U8();
    switch (token) {
      case 0xFD:
      case 0xFE:
      case 0xFF: {
        const std::uint16_t status = in.U16();
        in.U16();
        const std::uint64_t count = wide ? in.U64() : in.U32();
        std::snprintf(buffer, sizeof buffer, "%s 0x%04X %llu",
                      token == 0xFD   ? "DONE"
                      : token == 0xFE ? "DONEPROC"
                                      : "DONEINPROC",
                      status, static_cast<unsigned long long>(count));
        tokens.push_back(buffer);
        break;
      }
      case 0xAA:
      case 0xAB: {
        const std::size_t length = in.U16();
        const auto body = in.Take(length);
        tds::ByteReader message(body);
        const std::uint32_t number = message.U32();
        message.Skip(2);
        tokens.push_back(std::string(token == 0xAA ? "ERROR " : "INFO ") + std::to_string(number) +
                         " " + message.UsVarChar());
        break;
      }
      case 0xE3: {
        const std::size_t length = in.U16();
        const auto body = in.Take(length);
        tds::ByteReader change(body);
        const std::uint8_t type = change.U8();
        if (type == 7) {
          tokens.push_back("ENVCHANGE 7 " + Hex(change.Take(change.U8())));
        } else {
          const std::string now = change.BVarChar();
          tokens.push_back("ENVCHANGE " + std::to_string(type) + " " + now + " " +
                           change.BVarChar());
        }
        break;
      }
      case 0xAD: {
        const std::size_t length = in.U16();
        const auto body = in.Take(length);
        std::snprintf(buffer, sizeof buffer, "LOGINACK %02X%02X%02X%02X", body[1], body[2], body[3],
                      body[4]);
        tokens.push_back(buffer);
        break;
      }
      case 0x79:
        tokens.push_back("RETURNSTATUS " + std::to_string(static_cast<std::int32_t>(in.U32())));
        break;
      case 0x81: {
        const std::uint16_t count = in.U16();
        columns.clear();
        std::string names;
        for (std::uint16_t k = 0; k < count && in.ok(); ++k) {
          in.Skip(wide ? 6 : 4);
          Column c = ReadColumnType(in);
          if (c.type == 0x23 || c.type == 0x63 || c.type == 0x22) {
            const int parts = wide ? in.U8() : 1;
            for (int p = 0; p < parts; ++p)
              in.UsVarChar();
          }
          names += (k ? "|" : "") + in.BVarChar();
          columns.push_back(c);
        }
        tokens.push_back("COLMETADATA " + names);
        break;
      }
      case 0xD1:
      case 0xD2: {
        std::vector<bool> nulls(columns.size(), false);
        if (token == 0xD2) {
          const auto bitmap = in.Take((columns.size() + 7) / 8);
          for (std::size_t c = 0; c < columns.size() && in.ok(); ++c)
            nulls[c] = (bitmap[c / 8] >> (c % 8)) & 1;
        }
        std::string row = "ROW ";
        for (std::size_t c = 0; c < columns.size(); ++c)
          row +=
              (c ? "|" : "") + (nulls[c] ? std::string("NULL") : ReadColumnValue(in, columns[c]));
        tokens.push_back(row);
        break;
      }
      case 0xAC: {
        const std::uint16_t ordinal = in.U16();
        const std::string name = in.BVarChar();
        in.U8();
        in.Skip(wide ? 6 : 4);
        const Column c = ReadColumnType(in);
        tokens.push_back("RETURNVALUE " + std::to_string(ordinal) + " " + name + " " +
                         ReadColumnValue(in, c));
        break;
      }
      default:
        std::snprintf(buffer, sizeof buffer, "?%02X", token);
        tokens.push_back(buffer);
        return tokens;
    }
  }
  if (!in.ok())
    tokens.push_back("?truncated");
  return tokens;
}

}  // namespace korvane::testing
