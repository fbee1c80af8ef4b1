// Removal of comments from the text of procedures, functions, views and triggers, for the
// database comparison's "IgnoreComments" option.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

// The text without its block comments ("/*" to the first "*/") and then without its line
// comments ("--" to the end of the line, which is the next CR LF or bare LF). The rules are
// textual and callers see their consequences:
//
// - A comment that starts a line takes the LF before it with it. A whole-line line comment
//   therefore disappears with exactly one line break ("x\r\n-- c\r\ny" -> "x\r\ny"); a block
//   comment that starts a line leaves the CR of the line before ("x\r\n/* c */\r\ny" ->
//   "x\r\r\ny").
// - A line comment after code keeps the code and leaves a bare LF where its CR LF was
//   ("x -- c\r\ny" -> "x \ny").
// - A bare LF ends a line comment too and is kept ("x -- c\ny" -> "x \ny", "x\n-- c\ny" ->
//   "x\ny"), so module texts stored with bare LF line ends lose only their comments.
// - Comment markers inside string literals are treated as comments.
// - Block comments do not nest: the first "*/" ends the comment. "/*/" opens and closes a
//   comment at once.
// - A "/*" that is never closed removes everything from it to the end of the text.
// - Passes are bounded by the number of markers counted before stripping: each "/*" and each
//   "--" (overlapping ones included, so "---" counts twice) allows one pass.
std::string StripCommentsFromProc(std::string_view text);

}  // namespace korvane
