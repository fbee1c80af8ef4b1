// The selection list files of selective comparisons: one file per process and side beside
// kvn_comps.ini, named "kvn_" + the process Id in at least three digits + "_src" or "_tgt" +
// ".txt" (kvn_007_src.txt, kvn_1234_tgt.txt). One displayed object name per line, each line
// ended by CR LF, in selection order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum class SelectionSide { kSource, kTarget };

// The Id with at least three digits: 1 -> "001", 27 -> "027", 1234 -> "1234", -5 -> "-005".
std::string FormatProcessId(std::int32_t id);

std::filesystem::path SelectionFilePath(const std::filesystem::path& data_folder, std::int32_t id,
                                        SelectionSide side);

// Replaces the file atomically with every name followed by CR LF; false when it could not be
// written. Names holding a line break would read back as several names: callers refuse them.
bool WriteSelectionFile(const std::filesystem::path& file, const std::vector<std::string>& names);

// Every line of the file, in order; CR LF or LF ends a line, the end of the file ends the last
// one, and a leading UTF-8 byte-order mark is dropped. Nothing when the file does not exist or
// cannot be read.
std::optional<std::vector<std::string>> ReadSelectionFile(const std::filesystem::path& file);

// Removes the file; a missing file is no failure. False when it exists and could not be removed.
bool DeleteSelectionFile(const std::filesystem::path& file);

}  // namespace korvane
