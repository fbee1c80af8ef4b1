// One row of an object list, as the catalogue query returned it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// The object's name as the catalogue stores it: Name without the schema prefix that a qualified
// duplicate carries. A name is never split at a dot of its own ("x.y" stays "x.y").
inline std::string_view CatalogueName(const ObjectEntry& entry) {
  const std::string_view name = entry.Name;
  if (entry.Schema.empty() || name.size() <= entry.Schema.size() ||
      !name.starts_with(entry.Schema) || name[entry.Schema.size()] != '.') {
    return name;
  }
  return name.substr(entry.Schema.size() + 1);
}

}  // namespace korvane
