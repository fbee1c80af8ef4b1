// White space made not to matter: collapsing runs of white space to one replacement, and the
// equality test that structure comparisons use when "IgnoreWhitespace" is on.
#pragma once

#include <string>
#include <string_view>

#include "compare/comparison_options.h"

namespace korvane {

// Every CR, LF, NUL, TAB and vertical tab becomes `replacement` (the program always passes a
// space), and every run of spaces and such characters becomes a single space, also at the start
// and the end of the text: nothing is trimmed. Other characters, form feeds and non-ASCII
// spaces included, are kept as they are.
//   "a\t\tb" -> "a b", "\r\n\r\n" -> " ", "  x  " -> " x "
std::string ReplaceNonPrintableChars(std::string_view text, std::string_view replacement = " ");

// True when the two texts count as identical: equal after trimming their spaces and, unless
// options.case_sensitive, upper-casing them; or, both being non-empty, equal word by word after
// ReplaceNonPrintableChars. Letter case folds for ASCII letters only.
bool CompareIgnoringWhitespace(std::string_view a, std::string_view b,
                               const ComparisonOptions& options);

}  // namespace korvane
