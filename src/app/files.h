// File primitives the program's own files rely on: whole-file replacement that a crash cannot
// leave half-written, line appends for logs, and whole-file reads.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvane {

enum class FileMode {
  kShared,     // the process's usual permissions
  kOwnerOnly,  // readable and writable by the owner alone (files that may hold passwords)
};

// Writes `content` to a temporary file beside `path`, flushes it to disk and renames it over
// `path`, creating missing parent folders. Either the old or the new content survives a crash.
// Returns false (and leaves `path` as it was) on any failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         FileMode mode = FileMode::kShared);

// Opens `path` for appending (creating it and its folders when missing), writes `text`, closes
// it. Returns false on any failure.
bool AppendToFile(const std::filesystem::path& path, std::string_view text);

// The whole content of a file, bytes as they are; empty when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// A folder path as text with a trailing separator ("/home/x/" rather than "/home/x").
std::string FolderText(const std::filesystem::path& folder);

}  // namespace korvane
