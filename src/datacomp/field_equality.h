// Whether the fields of a record-by-record pair hold the same data, decided from the values where
// they settle it and from the texts otherwise, so that texts are made only for the few pairs
// whose values cannot tell.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace korvane {

// Two fields are the same when their NullTexts, trimmed of blanks, are equal, letter case
// counting ("abc " equals "abc", a Null equals the text "Null", the integer 5 the text "5").
// Values of one kind that are equal have one text, and whole numbers, binaries and finite
// floats of one kind that differ have different texts (none of them can start or end with a
// blank), so only the remaining pairs have their texts made and compared. Keeps buffers for
// those texts, so one comparer serves a whole run without allocating; not for use by two
// threads at once.
class FieldTextComparer {
 public:
  bool Same(const FieldView& source, const FieldView& target);
  // Whether a field equals the one a shorter Target lacks, which counts as an empty text.
  bool SameAsMissing(const FieldView& source);
  // Whether every field of `source` equals the Target's field at its position (the Target's
  // extra fields are not looked at; those it lacks count as empty texts).
  bool SameRecords(std::span<const FieldView> source, std::span<const FieldView> target);

 private:
  // The text of a field: its bytes for texts, digits and GUIDs, else made in `buffer`.
  static std::string_view TextOf(const FieldView& field, std::string& buffer);

  std::string source_text_;
  std::string target_text_;
};

// The NullText of each field, in order: what the grid shows of a record.
std::vector<std::string> FieldTexts(std::span<const FieldView> fields);

}  // namespace korvane
