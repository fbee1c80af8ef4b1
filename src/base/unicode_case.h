// Letter case beyond ASCII, from the Unicode character data (ICU):
//   - SimpleUpperCase maps every character to its simple upper case, one character to one, so
//     a text keeps its number of characters and every line keeps its place (the structure
//     comparison upper-cases texts it then shows and positions by character);
//   - the simple case folding decides every equality that ignores letter case (ignored-column
//     names, key values, the embedded server's case-insensitive collation): "Σ", "σ" and "ς"
//     fold alike, as do "Ä" and "ä". The dotted capital "İ" and the dotless "ı" have no simple
//     folding and stay apart from "i" and "I".
// Bytes that are not well-formed UTF-8 are kept as they are and compare by their value, so no
// input is rejected or merged with another. Pure ASCII takes a fast path without ICU.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

std::string SimpleUpperCase(std::string_view text);

std::string SimpleCaseFold(std::string_view text);
// Appends the folded text to `out` (no allocation when `out` has room).
void AppendSimpleCaseFold(std::string_view text, std::string& out);

// Whether the two texts are equal after simple case folding.
bool EqualsFoldingCase(std::string_view a, std::string_view b);

// The folded characters' code points, one per character; a byte that is not well-formed UTF-8
// gives 0x110000 + its value.
std::u32string FoldedCodePoints(std::string_view text);

// Orders two texts by the code points of their folded characters (-1, 0, 1); a byte that is
// not well-formed UTF-8 sorts after every character.
int CompareFoldingCase(std::string_view a, std::string_view b);

}  // namespace korvane
