// The line lister: the plain-text "detailed list of differences" of two structure texts that the
// database comparison report holds. Lines are paired strictly by position.
#pragma once

#include <string>
#include <string_view>

#include "compare/comparison_options.h"

namespace korvane {

inline constexpr std::string_view kSourceDifferencesHeading = "Differences in Source:";
inline constexpr std::string_view kTargetDifferencesHeading = "Differences in Target:";
inline constexpr std::string_view kDifferenceDetailsHeading =
    "Detailed list of differences between compared ";

// The text, ending with CR LF (appended when it does not).
std::string EnsureTrailingLineBreak(std::string_view text);

// True when the lines are equal, or equal once one final "," is taken from each line that ends
// with one and both are trimmed of spaces.
bool LinesEqualIgnoringTrailingComma(std::string_view a, std::string_view b);

// Empty when the texts are exactly equal. Otherwise both texts get a trailing CR LF (unless they
// end with a line end already) and their lines, ended by CR LF or by a bare LF, are paired by
// position until either text runs out; a pair that differs (upper-cased
// unless options.case_sensitive; collapsed with ReplaceNonPrintableChars when
// options.ignore_whitespace, in which case pairs equal once collapsed do not differ) and is not
// equal by LinesEqualIgnoringTrailingComma is listed, each line in the form compared, under
// "Differences in Source:" and "Differences in Target:". Then the rest of the text that did not
// run out (the Target's when both ran out together, possibly empty) is appended to its list
// unchanged, followed by CR LF. The result is the Source list, CR LF and the Target list, or
// only the list of the side that had the rest when the other lists no pair.
std::string ListDifferentLines(std::string_view source_text, std::string_view target_text,
                               const ComparisonOptions& options);

// Adds entry `n` (from 1) for the object `object_name` to the report. Entry 1 first replaces the
// report with the heading: CR LF, 43 "=", CR LF, CR LF, "Detailed list of differences between
// compared " + type word (plural, such as "procedures"), CR LF. Each entry is CR LF, n, ". ",
// the name, CR LF, CR LF and ListDifferentLines of the two texts.
void AppendDifferenceDetails(std::string& report, std::string_view type_word,
                             std::string_view object_name, int n, std::string_view source_text,
                             std::string_view target_text, const ComparisonOptions& options);

}  // namespace korvane
