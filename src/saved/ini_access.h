// One-shot reads and writes of a single INI value, for files read a key at a time (the
// per-table data comparison settings). Same file rules as cInifile (saved/ini_document.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace korvane {

// Longest value ReadIniString returns, in characters: the text of a 256-character buffer.
inline constexpr std::size_t kIniStringMaxChars = 255;

// The value as a decimal integer: blanks skipped, an optional sign, the digits up to the first
// other character ("12abc" reads 12). 0 when the file, section or key is missing, the value
// has no leading digits, or the number lies outside -32768..32767.
std::int16_t ReadIniInteger(std::string_view section, std::string_view key,
                            const std::filesystem::path& file);

// The value, at most kIniStringMaxChars characters (never cut inside a character); the empty
// text when the file, section or key is missing.
std::string ReadIniString(std::string_view section, std::string_view key,
                          const std::filesystem::path& file);

// Stores the value (up to its first NUL, as the profile functions take it) and replaces the
// file atomically; true on success. A file that exists but cannot be read is left alone
// (false).
bool WriteIniString(std::string_view section, std::string_view key, std::string_view value,
                    const std::filesystem::path& file);

}  // namespace korvane
