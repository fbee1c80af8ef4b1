// One row of an object list, as the catalogue query returned it.
#pragma once

#include <cstdint>
#include <string>

namespace korvane {

struct ObjectEntry {
  // The name as listed; for same-named objects of different schemas on servers of version 9 and
  // later, Schema + "." + the name.
  std::string Name;
  std::string RefDate;  // the reference date as text
  std::int32_t Id = 0;  // the object's id in its database
  std::string Schema;   // filled only when duplicate names were qualified

  friend bool operator==(const ObjectEntry&, const ObjectEntry&) = default;
};

}  // namespace korvane
