#include "saved/enc_obj_types.h"

#include <algorithm>

#include "base/text.h"

namespace korvane {

namespace {

constexpr std::array<std::string_view, kObjTypeCount> kObjTypeNames = {
    "Tables", "Procedures", "Functions", "Views", "Triggers", "Relationships", "Constraints"};

constexpr std::size_t kSixFlagChars = 11;
constexpr std::size_t kSevenFlagChars = 13;

// The value as seven flags: a six-flag value gets its seventh "0".
std::string Completed(std::string_view enc_obj_types) {
  std::string value(enc_obj_types);
  if (Utf8Length(value) == kSixFlagChars)
    value += ",0";
  return value;
}

}  // namespace

std::string EncodeObjTypes(const std::array<bool, kObjTypeCount>& ticked) {
  std::string value;
  for (int i = 0; i < kObjTypeCount; ++i) {
    if (i > 0)
      value += ',';
    value += ticked[static_cast<std::size_t>(i)] ? '1' : '0';
  }
  return value;
}

std::string SingleObjTypes(std::int32_t type_code) {
  if (type_code == 0)
    return EncodeObjTypes({});
  const auto* found =
      std::find(kObjTypeCodesByIndex.begin(), kObjTypeCodesByIndex.end(), type_code);
  if (found == kObjTypeCodesByIndex.end())
    return {};
  std::array<bool, kObjTypeCount> ticked{};
  ticked[static_cast<std::size_t>(found - kObjTypeCodesByIndex.begin())] = true;
  return EncodeObjTypes(ticked);
}

int ObjTypesTypeIndex(std::string_view enc_obj_types) {
  for (int i = 0; i < kObjTypeCount; ++i) {
    if (enc_obj_types == SingleObjTypes(kObjTypeCodesByIndex[static_cast<std::size_t>(i)]))
      return i;
  }
  return -1;
}

bool ObjTypesValid(std::string_view enc_obj_types) {
  if (enc_obj_types.empty())
    return false;
  const std::string value = Completed(enc_obj_types);
  return Utf8Length(value) == kSevenFlagChars && std::count(value.begin(), value.end(), ',') == 6;
}

std::optional<std::array<int, kObjTypeCount>> DecodeObjTypes(std::string_view enc_obj_types) {
  if (!ObjTypesValid(enc_obj_types))
    return std::nullopt;
  const std::string value = Completed(enc_obj_types);
  std::array<int, kObjTypeCount> boxes{};
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    // Character 2i+1 counted from 1 is character 2i counted from 0.
    const double number = LeadingNumber(Utf8Mid(value, 2 * i, 1));
    boxes[i] = RoundToInt32(number).value_or(0);
  }
  return boxes;
}

std::string ObjTypesNames(std::string_view enc_obj_types) {
  const std::optional<std::array<int, kObjTypeCount>> boxes = DecodeObjTypes(enc_obj_types);
  std::string names;
  if (boxes) {
    for (std::size_t i = 0; i < boxes->size(); ++i) {
      if ((*boxes)[i] != 1)
        continue;
      if (!names.empty())
        names += ", ";
      names += kObjTypeNames[i];
    }
  }
  return names.empty() ? std::string("N/A") : names;
}

}  // namespace korvane
