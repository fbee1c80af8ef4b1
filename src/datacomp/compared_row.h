// What the data comparison needs of each row, made on the reader thread of the row's side
// (ComparedRowPreparer) and read back on the main thread (ComparedRow), so that the main thread
// only pairs, confirms and counts.
//
// A prepared row holds, one after another:
//   - the fingerprint of the compared texts (8 bytes; 0 when the layout asks for none);
//   - the hash of the key (8 bytes), the key's size (4 bytes), its state (1 byte) and the
//     number of components read (1 byte);
//   - one byte per component read: the value's match class (kMatchNumber for a whole
//     number, kMatchText for a text, kMatchDate for a date);
//   - the key bytes, as the index keeps them (one component as it is, several each behind its
//     4-byte size);
//   - the NullText of every field of the row, each in its packed form (below): the packed texts,
//     in the form the Target index keeps them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/read_ahead_cursor.h"
#include "db/value.h"

namespace korvane {

// Whether the key of a row could be made on the reader thread.
enum class PreparedKey : std::uint8_t {
  kReady,       // every component a whole number, a text or a date whose text reads back as
                // the same date (WriteDateKey): the key and its hash are there
  kNull,        // a component is NULL (the classes of the ones before it are there)
  kFromFields,  // some component of another kind: the key is made from the fields
};

struct ComparedRowLayout {
  using KeyHash = std::uint64_t (*)(std::string_view key);
  using RowFingerprint = std::uint64_t (*)(std::span<const std::string_view> texts);

  // The fingerprint covers the first this many texts, trimmed of blanks, a missing one as empty.
  int compared_fields = 0;
  RowFingerprint fingerprint = nullptr;  // null: no fingerprint
  std::vector<int> key_fields;           // the field of each key component; none: no key
  KeyHash key_hash = nullptr;
  // Whether texts are packed in their smallest form, for rows kept in memory; rows only passed
  // along keep them as they are, which is quicker to write.
  bool small_texts = false;
};

class ComparedRowPreparer final : public RowPreparer {
 public:
  explicit ComparedRowPreparer(ComparedRowLayout layout);
  void Prepare(const RowCursor& row, std::string& out) override;
  void PrepareRead(const RowCursor& row, std::span<const FieldView> fields,
                   std::string& out) override;

 private:
  // What both Prepare and PrepareRead write, from the row's fields.
  void PrepareFields(std::span<const FieldView> values, std::string& out);

  ComparedRowLayout layout_;
  std::vector<FieldView> values_;   // of the row being prepared, when read here
  std::vector<std::string> parts_;  // of the key, one per component
  std::string part_;
  // The row's texts as they are, one after another (when packed small; those the fields hold
  // as they are are not copied), and the row's texts packed: buffers that only grow, written in
  // place.
  std::string raw_;
  std::string texts_;
  std::vector<std::string_view> trimmed_;  // the compared texts, in `raw_` or `texts_`
};

// A prepared row read back.
struct ComparedRow {
  std::uint64_t fingerprint = 0;
  std::uint64_t key_hash = 0;
  PreparedKey key_state = PreparedKey::kFromFields;
  std::string_view classes;  // one byte per component read
  std::string_view key;
  std::string_view texts;  // packed

  static ComparedRow Parse(std::string_view prepared);
};

// The key FieldMatchKey gives, for the common kinds of key values only (whole numbers and
// texts), written into `key` so that its buffer serves one row after another without
// allocating. False for any other value, whose key must come from FieldMatchKey.
bool WriteCommonKey(const FieldView& value, std::string& key);
// The key FieldMatchKey gives a date, written into `key` (`scratch` serves as a buffer), when it
// is also the one key the date's text has as a criterion among dates (CriterionMatchKeys): the
// text reads back as the same date. False otherwise, when the key must come from the fields.
bool WriteDateKey(const DateTimeValue& value, std::string& key, std::string& scratch);
// Appends one component of a key of several components.
void AppendKeyPart(std::string& key, std::string_view part);

// Packed texts. Each text is kept behind a header (7 bits a byte, low first) holding its size
// and its form: as it is; wholly in a four-bit code, two characters a byte, when every character
// is a digit or one of " -.:+E" (numbers, dates and times); or its other characters as they are
// followed by such a tail in the code ("Customer 42"). Texts packed small take the smallest of
// these forms, a function of the text alone, so two texts so packed are equal exactly when their
// packed bytes are; the others are kept as they are.
void AppendPackedLength(std::string& out, std::size_t size);
std::size_t ReadPackedLength(std::string_view packed, std::size_t& at);
// Appends a text in its packed form: the smallest when `small`, else as it is.
void AppendPackedText(std::string& out, std::string_view text, bool small = true);
// The packed bytes of the text at `at` (header included), moving `at` past them.
std::string_view NextPackedText(std::string_view packed, std::size_t& at);
// The text of packed bytes NextPackedText gave, written to `out` (replacing what it held).
void UnpackText(std::string_view packed_text, std::string& out);
// Appends the NullText of a field to `raw` and its packed form to `out`.
void AppendPackedNullText(const FieldView& field, std::string& out, std::string& raw, bool small);
std::vector<std::string> UnpackTexts(std::string_view packed);
// Whether the first `count` texts of `source` equal those of `target`, each trimmed of blanks,
// letter case counting, a text `target` lacks counting as empty. Either may be packed small.
bool SamePackedTexts(std::string_view source, std::string_view target, std::size_t count);

}  // namespace korvane
