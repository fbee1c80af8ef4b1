// The comparison options the structure comparison engines read. The program passes the values
// loaded at start-up; tests build them directly.
#pragma once

#include "app/settings.h"

namespace korvane {

struct ComparisonOptions {
  // Off: texts and lines are upper-cased before they are compared.
  bool case_sensitive = false;
  // On: equality ignores runs of white space, and differing lines are collapsed before they
  // are listed.
  bool ignore_whitespace = true;

  friend bool operator==(const ComparisonOptions&, const ComparisonOptions&) = default;
};

inline ComparisonOptions ComparisonOptionsFrom(const LoadedSettings& settings) {
  return {.case_sensitive = settings.case_sensitive,
          .ignore_whitespace = settings.ignore_whitespace};
}

}  // namespace korvane
