// Byte-level building blocks of the TDS wire format: a growing little-endian writer, a
// bounds-checked reader that never reads past its buffer, and the text encodings the protocol
// uses (UTF-16LE for every name and message, code page 1252 for char/varchar data).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::tds {

using Bytes = std::vector<std::uint8_t>;

class ByteWriter {
 public:
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value);
  void U32(std::uint32_t value);
  void U64(std::uint64_t value);
  void U16Be(std::uint16_t value);
  void Append(std::span<const std::uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
  }
  // UTF-16LE text without a length.
  void Ucs2(std::string_view utf8);
  // B_VARCHAR: a 1-byte length in characters (text longer than 255 units is cut).
  void BVarChar(std::string_view utf8);
  // US_VARCHAR: a 2-byte length in characters (text longer than 65535 units is cut).
  void UsVarChar(std::string_view utf8);
  // Overwrites two bytes written earlier (a length known only afterwards).
  void PatchU16(std::size_t offset, std::uint16_t value);

  std::size_t size() const { return bytes_.size(); }
  Bytes& bytes() { return bytes_; }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

// Reads a message. Any read past the end sets the failed flag and yields zeros, so a parser
// checks ok() once at the end instead of after every field.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  std::uint64_t U64();
  std::uint16_t U16Be();
  std::span<const std::uint8_t> Take(std::size_t count);
  // `chars` UTF-16 units as UTF-8.
  std::string Ucs2(std::size_t chars);
  std::string BVarChar() { return Ucs2(U8()); }
  std::string UsVarChar() { return Ucs2(U16()); }
  void Skip(std::size_t count) { Take(count); }

  bool ok() const { return ok_; }
  void Fail() { ok_ = false; }
  std::size_t position() const { return position_; }
  std::size_t remaining() const { return ok_ ? data_.size() - position_ : 0; }
  bool AtEnd() const { return remaining() == 0; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

// UTF-8 to UTF-16LE; invalid UTF-8 bytes become U+FFFD.
Bytes Utf8ToUcs2(std::string_view utf8);
// UTF-16LE to UTF-8; unpaired surrogates become U+FFFD, an odd last byte is dropped.
std::string Ucs2ToUtf8(std::span<const std::uint8_t> ucs2);
// Number of UTF-16 units the text takes.
std::size_t Ucs2Length(std::string_view utf8);
// The text in code page 1252, or nullopt when a character has no place in it.
std::optional<std::string> Utf8ToCp1252(std::string_view utf8);
std::string Cp1252ToUtf8(std::span<const std::uint8_t> bytes);

}  // namespace korvane::tds
