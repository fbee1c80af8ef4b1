// EncObjTypes: the object types of a structure comparison as seven flags "1" or "0" joined by
// "," ("1,0,0,1,0,0,0"), in the type-index order tables, procedures, functions, views,
// triggers, relationships, constraints. Saved processes store it, the Compare All dialog ticks
// its boxes from it and the one-type comparisons take their type from it.
//
// Files written before constraints existed hold six flags (11 characters); they read as if a
// seventh flag "0" followed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

inline constexpr int kObjTypeCount = 7;

// The type codes of the type indexes 0..6: tables 50, procedures 10, functions 20, views 30,
// triggers 40, relationships 60, constraints 80.
inline constexpr std::array<int, kObjTypeCount> kObjTypeCodesByIndex = {50, 10, 20, 30, 40, 60, 80};

// Flag i is "1" when box i is ticked, else "0".
std::string EncodeObjTypes(const std::array<bool, kObjTypeCount>& ticked);

// The value naming one type code alone (50 -> "1,0,0,0,0,0,0" ... 80 -> "0,0,0,0,0,0,1");
// code 0 gives "0,0,0,0,0,0,0", any other code the empty text.
std::string SingleObjTypes(std::int32_t type_code);

// The type index (0..6) of a single-type value; -1 for any other value, all zeros included.
int ObjTypesTypeIndex(std::string_view enc_obj_types);

// Not empty and, after ",0" is appended to a six-flag value, exactly 13 characters holding
// exactly six ",".
bool ObjTypesValid(std::string_view enc_obj_types);

// The box values of a valid value: box i gets the numeric value of character 2i+1 (1-based).
// Nothing when the value is not valid.
std::optional<std::array<int, kObjTypeCount>> DecodeObjTypes(std::string_view enc_obj_types);

// "Tables", "Procedures", ... of the flags equal to 1, in order, joined by ", "; "N/A" when none
// is set or the value is not valid.
std::string ObjTypesNames(std::string_view enc_obj_types);

}  // namespace korvane
