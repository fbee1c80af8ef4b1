// What the data comparison needs of each row, made on the reader thread of the row's side
// (ComparedRowPreparer) and read back on the main thread (ComparedRow), so that the main thread
// only pairs, confirms and counts.
//
// A prepared row holds, one after another:
//   - the hash of the key (8 bytes), the key's size (4 bytes), its state (1 byte) and the
//     number of components read (1 byte);
//   - one byte per component read: the value's match class (kMatchNumber for a whole
//     number, kMatchText for a text, kMatchDate for a date);
//   - the key bytes, as the index keeps them (one component as it is, several each behind its
//     4-byte size);
//   - the compact form of every field of the row (db/row_form.h), in the form the Target index
//     keeps them: a pair whose forms are equal holds equal values, and texts are made only for
//     the rows the grid shows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/read_ahead_cursor.h"
#include "db/row_form.h"
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

  std::vector<int> key_fields;  // the field of each key component; none: no key
  KeyHash key_hash = nullptr;
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
  // The row's form, written in place into a buffer that only grows, then added to `out` at once.
  std::string form_;
};

// A prepared row read back.
struct ComparedRow {
  std::uint64_t key_hash = 0;
  PreparedKey key_state = PreparedKey::kFromFields;
  std::string_view classes;  // one byte per component read
  std::string_view key;
  std::string_view form;  // of every field of the row

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

// A size in 7 bits a byte, low first.
void AppendPackedLength(std::string& out, std::size_t size);
std::size_t ReadPackedLength(std::string_view packed, std::size_t& at);

}  // namespace korvane
