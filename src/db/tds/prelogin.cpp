#include "db/tds/prelogin.h"

#include <charconv>
#include <string>

namespace korvane::tds {
namespace {

constexpr std::uint8_t kOptionVersion = 0x00;
constexpr std::uint8_t kOptionEncryption = 0x01;
constexpr std::uint8_t kOptionInstance = 0x02;
constexpr std::uint8_t kOptionThreadId = 0x03;
constexpr std::uint8_t kOptionMars = 0x04;
constexpr std::uint8_t kOptionEnd = 0xFF;

}  // namespace

std::optional<PreloginRequest> ParsePrelogin(std::span<const std::uint8_t> payload) {
  PreloginRequest request;
  ByteReader reader(payload);
  for (;;) {
    const std::uint8_t token = reader.U8();
    if (!reader.ok())
      return std::nullopt;
    if (token == kOptionEnd)
      break;
    const std::size_t offset = reader.U16Be();
    const std::size_t length = reader.U16Be();
    if (!reader.ok() || offset > payload.size() || length > payload.size() - offset)
      return std::nullopt;
    if (token == kOptionEncryption && length >= 1) {
      const std::uint8_t value = payload[offset];
      request.encryption = value <= 3 ? static_cast<Encryption>(value) : Encryption::kOn;
    }
  }
  return request;
}

ProductVersion ParseProductVersion(const std::string& text) {
  ProductVersion version;
  int* parts[] = {&version.major, &version.minor, &version.build};
  const char* p = text.data();
  const char* end = text.data() + text.size();
  for (int* part : parts) {
    auto [next, error] = std::from_chars(p, end, *part);
    if (error != std::errc())
      break;
    p = next;
    if (p == end || *p != '.')
      break;
    ++p;
  }
  return version;
}

Bytes BuildPreloginReply(const std::string& product_version, Encryption encryption) {
  const ProductVersion version = ParseProductVersion(product_version);
  struct Option {
    std::uint8_t token;
    Bytes data;
  };
  const Option options[] = {
      {kOptionVersion,
       {static_cast<std::uint8_t>(version.major), static_cast<std::uint8_t>(version.minor),
        static_cast<std::uint8_t>((version.build >> 8) & 0xFF),
        static_cast<std::uint8_t>(version.build & 0xFF), 0, 0}},
      {kOptionEncryption, {static_cast<std::uint8_t>(encryption)}},
      {kOptionInstance, {0}},
      {kOptionThreadId, {}},
      {kOptionMars, {0}},
  };
  ByteWriter writer;
  std::size_t offset = std::size(options) * 5 + 1;
  for (const Option& option : options) {
    writer.U8(option.token);
    writer.U16Be(static_cast<std::uint16_t>(offset));
    writer.U16Be(static_cast<std::uint16_t>(option.data.size()));
    offset += option.data.size();
  }
  writer.U8(kOptionEnd);
  for (const Option& option : options)
    writer.Append(option.data);
  return std::move(writer.bytes());
}

}  // namespace korvane::tds
