// Hash keys that agree exactly with the matching rule of Recordset Find and Filter
// (CriterionMatches in db/recordset.h), so the data comparison can pair records through a hash
// index instead of searching the Target once per Source record.
//
// A non-NULL field value has one key (FieldMatchKey). A criterion text has at most one key per
// class of field value (numbers, bits, dates, texts); CriterionMatches(field, criterion) holds
// exactly when the field's key is among the criterion's keys for the field's class. The class
// is part of every key, so keys of different classes never collide.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/value.h"

namespace korvane {

// Classes of field values under the matching rule, as bits of a mask.
enum MatchClass : std::uint8_t {
  kMatchNumber = 1,  // integer, float, decimal: equal when the numbers are equal
  kMatchBit = 2,     // bit: also matches the criteria True and False
  kMatchDate = 4,    // date and time: equal when the moments are equal
  kMatchText = 8,    // text and everything else: letter case and trailing blanks ignored
  kMatchAllClasses = 15,
};

// The class of a non-NULL value; 0 for NULL, which matches nothing.
std::uint8_t MatchClassOf(const Value& value);

// The key of a field value; nothing for NULL.
std::optional<std::string> FieldMatchKey(const Value& value);

// The keys a field of one of the `classes` must have to match the criterion, one per class
// that some value of it can match, in class order. A criterion that no value of these classes
// can match gives no key.
std::vector<std::string> CriterionMatchKeys(std::string_view criterion,
                                            std::uint8_t classes = kMatchAllClasses);

}  // namespace korvane
