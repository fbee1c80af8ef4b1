#include "datacomp/compared_row.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "base/text.h"
#include "base/unicode_case.h"
#include "datacomp/criterion_key.h"
#include "db/recordset.h"

namespace korvane {
namespace {

constexpr std::size_t kFingerprintAt = 0;
constexpr std::size_t kKeyHashAt = 8;
constexpr std::size_t kKeySizeAt = 16;
constexpr std::size_t kKeyStateAt = 20;
constexpr std::size_t kClassCountAt = 21;
constexpr std::size_t kHeaderSize = 22;

template <typename T>
void Put(std::string& out, std::size_t at, T value) {
  std::memcpy(out.data() + at, &value, sizeof value);
}

template <typename T>
T Get(std::string_view in, std::size_t at) {
  T value;
  std::memcpy(&value, in.data() + at, sizeof value);
  return value;
}

}  // namespace

bool WriteCommonKey(const FieldView& value, std::string& key) {
  if (value.type == ValueType::kInteger) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value.integer).ptr;
    key.clear();
    key.push_back('n');
    key.append(digits, static_cast<std::size_t>(end - digits));
    return true;
  }
  if (value.type == ValueType::kText) {
    key.clear();
    key.push_back('t');
    AppendSimpleCaseFold(TrimRight(value.bytes), key);
    return true;
  }
  return false;
}

bool WriteDateKey(const DateTimeValue& value, std::string& key, std::string& scratch) {
  key.clear();
  AppendDateKey(value, key);
  // Whole seconds within the usual widths are written as "2024-03-07 14:05:09", "2024-03-07"
  // or "14:05:09", which read back as the same fields: the text need not be written and read.
  const auto pair = [](int part) { return part >= 0 && part <= 99; };
  if (value.nanosecond == 0 && value.year >= 0 && value.year <= 9999 && pair(value.month) &&
      pair(value.day) && pair(value.hour) && pair(value.minute) && pair(value.second)) {
    if (value.has_time)
      return true;
    // A date alone: its text leaves out the time, which must then be midnight.
    return value.has_date && value.hour == 0 && value.minute == 0 && value.second == 0;
  }
  FieldView field;
  field.type = ValueType::kDateTime;
  field.datetime = value;
  scratch.clear();
  AppendNullText(field, scratch);
  const std::optional<DateTimeValue> read = ParseCriterionDateTime(scratch);
  if (!read)
    return false;
  scratch.clear();
  AppendDateKey(*read, scratch);
  return scratch == key;
}

void AppendKeyPart(std::string& key, std::string_view part) {
  const auto size = static_cast<std::uint32_t>(part.size());
  key.append(reinterpret_cast<const char*>(&size), sizeof size);
  key.append(part);
}

void AppendPackedLength(std::string& out, std::size_t size) {
  while (size >= 0x80) {
    out.push_back(static_cast<char>((size & 0x7F) | 0x80));
    size >>= 7;
  }
  out.push_back(static_cast<char>(size));
}

std::size_t ReadPackedLength(std::string_view packed, std::size_t& at) {
  std::size_t size = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<std::uint8_t>(packed[at++]);
    size |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0)
      return size;
  }
}

namespace {

// The forms of a packed text, in the low two bits of its header.
constexpr std::size_t kRawForm = 0;
constexpr std::size_t kCodedForm = 1;
constexpr std::size_t kTailCodedForm = 2;
// A tail shorter than this is kept as it is: coding it would save nothing once the size of the
// part before it is written.
constexpr std::size_t kShortestCodedTail = 4;

constexpr char kCodeCharacters[17] = "0123456789 -.:+E";
constexpr std::uint8_t kNotCoded = 0xFF;

struct CodeTable {
  std::uint8_t code[256];
  constexpr CodeTable() : code() {
    for (std::uint8_t& c : code)
      c = kNotCoded;
    for (std::uint8_t k = 0; k < 16; ++k)
      code[static_cast<std::uint8_t>(kCodeCharacters[k])] = k;
  }
};
constexpr CodeTable kCodes;

std::uint8_t CodeOf(char c) {
  return kCodes.code[static_cast<std::uint8_t>(c)];
}

// Two characters a byte, the first in the low half.
char* WriteCoded(char* out, std::string_view text) {
  std::size_t k = 0;
  for (; k + 2 <= text.size(); k += 2)
    *out++ = static_cast<char>(CodeOf(text[k]) | (CodeOf(text[k + 1]) << 4));
  if (k < text.size())
    *out++ = static_cast<char>(CodeOf(text[k]));
  return out;
}

char* WriteDecoded(std::string_view coded, std::size_t size, char* to) {
  std::size_t k = 0;
  for (; k + 2 <= size; k += 2) {
    const auto byte = static_cast<std::uint8_t>(coded[k / 2]);
    to[k] = kCodeCharacters[byte & 0x0F];
    to[k + 1] = kCodeCharacters[byte >> 4];
  }
  if (k < size)
    to[k] = kCodeCharacters[static_cast<std::uint8_t>(coded[k / 2]) & 0x0F];
  return to + size;
}

// The size of the text of packed bytes, and the text written to `to` (room for that size).
std::size_t UnpackedSize(std::string_view packed_text) {
  std::size_t at = 0;
  return ReadPackedLength(packed_text, at) >> 2;
}
void WriteUnpacked(std::string_view packed_text, char* to) {
  std::size_t at = 0;
  const std::size_t header = ReadPackedLength(packed_text, at);
  const std::size_t size = header >> 2;
  switch (header & 3) {
    case kCodedForm:
      WriteDecoded(packed_text.substr(at), size, to);
      return;
    case kTailCodedForm: {
      const std::size_t head = ReadPackedLength(packed_text, at);
      std::memcpy(to, packed_text.data() + at, head);
      WriteDecoded(packed_text.substr(at + head), size - head, to + head);
      return;
    }
    default:
      if (size > 0)
        std::memcpy(to, packed_text.data() + at, size);
      return;
  }
}

// The most bytes a length takes (7 bits a byte).
constexpr std::size_t kLongestLength = (sizeof(std::size_t) * 8 + 6) / 7;

char* WriteLength(char* out, std::size_t size) {
  while (size >= 0x80) {
    *out++ = static_cast<char>((size & 0x7F) | 0x80);
    size >>= 7;
  }
  *out++ = static_cast<char>(size);
  return out;
}

}  // namespace

namespace {

// The most bytes WritePackedText writes for a text of `size` bytes.
constexpr std::size_t PackedTextBound(std::size_t size) {
  return 2 * kLongestLength + size;
}

// Writes a text in its packed form at `to` (room for PackedTextBound bytes): the smallest when
// `small`, else as it is; the end of what was written.
char* WritePackedText(char* to, std::string_view text, bool small) {
  if (small && text.size() >= 2) {
    // Numbers and dates are coded whole: tried first, from the start, two characters at a time,
    // until a character the code lacks (most other texts start with one).
    char* coded = WriteLength(to, text.size() << 2 | kCodedForm);
    std::size_t k = 0;
    for (; k + 2 <= text.size(); k += 2) {
      const std::uint8_t first = CodeOf(text[k]);
      const std::uint8_t second = CodeOf(text[k + 1]);
      if ((first | second) > 0x0F)
        break;
      *coded++ = static_cast<char>(first | second << 4);
    }
    if (k == text.size())
      return coded;
    if (k + 1 == text.size() && CodeOf(text[k]) <= 0x0F) {
      *coded++ = static_cast<char>(CodeOf(text[k]));
      return coded;
    }
  }
  std::size_t tail = 0;
  while (small && tail < text.size() && CodeOf(text[text.size() - 1 - tail]) != kNotCoded)
    ++tail;
  if (tail == text.size() && tail >= 2) {
    to = WriteLength(to, text.size() << 2 | kCodedForm);
    return WriteCoded(to, text);
  }
  if (tail >= kShortestCodedTail) {
    const std::size_t head = text.size() - tail;
    to = WriteLength(to, text.size() << 2 | kTailCodedForm);
    to = WriteLength(to, head);
    to = CopyBytes(to, text.data(), head);
    return WriteCoded(to, text.substr(head));
  }
  to = WriteLength(to, text.size() << 2 | kRawForm);
  return CopyBytes(to, text.data(), text.size());
}

}  // namespace

void AppendPackedText(std::string& out, std::string_view text, bool small) {
  // Written first on the stack for a short text, as growing `out` by the room the longest
  // headers need would first fill it with zeros.
  char stack[128];
  std::string heap;
  const std::size_t room = PackedTextBound(text.size());
  char* const begin = room <= sizeof stack ? stack : (heap.resize(room), heap.data());
  out.append(begin, static_cast<std::size_t>(WritePackedText(begin, text, small) - begin));
}

namespace {

// NextPackedText, with the common case of a short text kept as it is inline.
inline std::string_view NextText(std::string_view packed, std::size_t& at) {
  const std::size_t start = at;
  const auto first = static_cast<std::uint8_t>(packed[at]);
  if (first < 0x80 && (first & 3) == kRawForm) {
    at += 1 + (first >> 2);
    return std::string_view(packed.data() + start, at - start);
  }
  const std::size_t header = ReadPackedLength(packed, at);
  const std::size_t size = header >> 2;
  switch (header & 3) {
    case kCodedForm:
      at += (size + 1) / 2;
      break;
    case kTailCodedForm: {
      const std::size_t head = ReadPackedLength(packed, at);
      at += head + (size - head + 1) / 2;
      break;
    }
    default:
      at += size;
      break;
  }
  return std::string_view(packed.data() + start, at - start);
}

}  // namespace

std::string_view NextPackedText(std::string_view packed, std::size_t& at) {
  return NextText(packed, at);
}

void UnpackText(std::string_view packed_text, std::string& out) {
  out.resize(UnpackedSize(packed_text));
  WriteUnpacked(packed_text, out.data());
}

void AppendPackedNullText(const FieldView& field, std::string& out, std::string& raw, bool small) {
  const std::size_t start = raw.size();
  AppendNullText(field, raw);
  AppendPackedText(out, std::string_view(raw).substr(start), small);
}

std::vector<std::string> UnpackTexts(std::string_view packed) {
  std::vector<std::string> texts;
  for (std::size_t at = 0; at < packed.size();)
    UnpackText(NextPackedText(packed, at), texts.emplace_back());
  return texts;
}

namespace {

// The text of packed bytes: those of a text kept as it is, else the text unpacked, into a
// buffer of its own when short.
class PackedTextReader {
 public:
  std::string_view Text(std::string_view packed_text) {
    const auto first = static_cast<std::uint8_t>(packed_text[0]);
    if (first < 0x80 && (first & 3) == kRawForm)
      return packed_text.substr(1);
    const std::size_t size = UnpackedSize(packed_text);
    if (size <= sizeof short_) {
      WriteUnpacked(packed_text, short_);
      return std::string_view(short_, size);
    }
    UnpackText(packed_text, long_);
    return long_;
  }

 private:
  char short_[64];
  std::string long_;
};

}  // namespace

bool SamePackedTexts(std::string_view source, std::string_view target, std::size_t count) {
  std::size_t s = 0;
  std::size_t t = 0;
  PackedTextReader source_reader;
  PackedTextReader target_reader;
  for (std::size_t k = 0; k < count && s < source.size(); ++k) {
    const std::string_view source_packed = NextText(source, s);
    const std::string_view target_packed =
        t < target.size() ? NextText(target, t) : std::string_view();
    // Most pairs hold equal texts packed alike: equal bytes settle them without unpacking.
    if (source_packed == target_packed)
      continue;
    const std::string_view source_text = source_reader.Text(source_packed);
    const std::string_view target_text =
        target_packed.empty() ? std::string_view() : target_reader.Text(target_packed);
    if (source_text != target_text && Trim(source_text) != Trim(target_text))
      return false;
  }
  return true;
}

ComparedRowPreparer::ComparedRowPreparer(ComparedRowLayout layout)
    : layout_(std::move(layout)),
      parts_(layout_.key_fields.size()),
      trimmed_(static_cast<std::size_t>(std::max(0, layout_.compared_fields))) {}

void ComparedRowPreparer::Prepare(const RowCursor& row, std::string& out) {
  // Every field read once, in one call.
  values_.resize(row.Columns().size());
  row.Fields(values_);
  PrepareFields(values_, out);
}

void ComparedRowPreparer::PrepareRead(const RowCursor& row, std::span<const FieldView> fields,
                                      std::string& out) {
  if (fields.size() != row.Columns().size()) {
    Prepare(row, out);
    return;
  }
  PrepareFields(fields, out);
}

void ComparedRowPreparer::PrepareFields(std::span<const FieldView> values, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + kHeaderSize);
  // The key: first the class of each component read, then its bytes when all are common.
  const int fields = static_cast<int>(values.size());
  PreparedKey state = PreparedKey::kReady;
  std::uint8_t classes = 0;
  for (std::size_t c = 0; c < layout_.key_fields.size(); ++c) {
    const int field = layout_.key_fields[c];
    if (field < 0 || field >= fields) {
      state = PreparedKey::kFromFields;  // left to the fields' own path, as before
      break;
    }
    const FieldView& value = values[static_cast<std::size_t>(field)];
    if (value.type == ValueType::kNull) {
      state = PreparedKey::kNull;
      break;
    }
    std::uint8_t match_class = 0;
    if (WriteCommonKey(value, parts_[c]))
      match_class = value.type == ValueType::kInteger ? kMatchNumber : kMatchText;
    else if (value.type == ValueType::kDateTime && WriteDateKey(value.datetime, parts_[c], part_))
      match_class = kMatchDate;
    if (match_class == 0) {
      state = PreparedKey::kFromFields;
      break;
    }
    out.push_back(static_cast<char>(match_class));
    ++classes;
  }
  std::uint64_t key_hash = 0;
  std::uint32_t key_size = 0;
  if (state == PreparedKey::kReady && !layout_.key_fields.empty()) {
    const std::size_t key_at = out.size();
    if (parts_.size() == 1) {
      out.append(parts_[0]);
    } else {
      for (const std::string& part : parts_)
        AppendKeyPart(out, part);
    }
    key_size = static_cast<std::uint32_t>(out.size() - key_at);
    key_hash = layout_.key_hash(std::string_view(out).substr(key_at, key_size));
  }
  // The texts, and the fingerprint of the compared ones as they are (not packed). Every text is
  // written in place into buffers made large enough beforehand, then the row's texts are added
  // to `out` at once. Texts packed small are first written as they are to `raw_`, unless
  // the field holds its text as it is.
  const bool small = layout_.small_texts;
  std::size_t bound = 0;
  for (const FieldView& value : values)
    bound += PackedTextBound(NullTextBound(value));
  if (texts_.size() < bound)
    texts_.resize(bound);
  if (small && raw_.size() < bound)
    raw_.resize(bound);
  const auto compared = static_cast<std::size_t>(std::clamp(layout_.compared_fields, 0, fields));
  char* const texts_begin = texts_.data();
  char* to = texts_begin;
  char* raw = raw_.data();
  for (std::size_t k = 0; k < values.size(); ++k) {
    std::string_view text;
    if (small) {
      // A text at hand is packed from where it is (it stays there while the row is prepared).
      if (NullTextIsBytes(values[k])) {
        text = values[k].bytes;
      } else {
        char* const end = WriteNullText(values[k], raw);
        text = std::string_view(raw, static_cast<std::size_t>(end - raw));
        raw = end;
      }
      to = WritePackedText(to, text, true);
    } else {
      // As it is behind a one-byte header, widened in the rare case of 32 bytes or more.
      char* text_at = to + 1;
      char* end = WriteNullText(values[k], text_at);
      const auto size = static_cast<std::size_t>(end - text_at);
      if ((size << 2) < 0x80) {
        *to = static_cast<char>(size << 2 | kRawForm);
      } else {
        char header[kLongestLength];
        const auto header_size =
            static_cast<std::size_t>(WriteLength(header, size << 2 | kRawForm) - header);
        std::memmove(to + header_size, text_at, size);
        std::memcpy(to, header, header_size);
        text_at = to + header_size;
        end = text_at + size;
      }
      text = std::string_view(text_at, size);
      to = end;
    }
    if (k < compared)
      trimmed_[k] = text;
  }
  out.append(texts_begin, static_cast<std::size_t>(to - texts_begin));
  std::uint64_t fingerprint = 0;
  if (layout_.fingerprint != nullptr) {
    for (std::size_t k = 0; k < trimmed_.size(); ++k)
      trimmed_[k] = k < compared ? Trim(trimmed_[k]) : std::string_view();
    fingerprint = layout_.fingerprint(trimmed_);
  }
  Put(out, start + kFingerprintAt, fingerprint);
  Put(out, start + kKeyHashAt, key_hash);
  Put(out, start + kKeySizeAt, key_size);
  out[start + kKeyStateAt] = static_cast<char>(state);
  out[start + kClassCountAt] = static_cast<char>(classes);
}

ComparedRow ComparedRow::Parse(std::string_view prepared) {
  ComparedRow row;
  row.fingerprint = Get<std::uint64_t>(prepared, kFingerprintAt);
  row.key_hash = Get<std::uint64_t>(prepared, kKeyHashAt);
  const auto key_size = Get<std::uint32_t>(prepared, kKeySizeAt);
  row.key_state = static_cast<PreparedKey>(prepared[kKeyStateAt]);
  const auto classes = static_cast<std::uint8_t>(prepared[kClassCountAt]);
  row.classes = prepared.substr(kHeaderSize, classes);
  row.key = prepared.substr(kHeaderSize + classes, key_size);
  row.texts = prepared.substr(kHeaderSize + classes + key_size);
  return row;
}

}  // namespace korvane
