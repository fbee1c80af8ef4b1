// File primitives the program's own files rely on: whole-file replacement that a crash cannot
// leave half-written, line appends for logs, and whole-file reads.
#pragma once

#include <chrono>
#include <cstdint>
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
// A file that already stands at `path` keeps its permission bits (kOwnerOnly never loosens
// them beyond the owner) and, where the system allows it, its owner and group; a new file gets
// the usual permissions (kShared) or 0600 (kOwnerOnly). A symbolic link at `path` is replaced,
// never followed. Returns false (and leaves `path` as it was) on any failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content,
                         FileMode mode = FileMode::kShared);

// Opens `path` for appending (creating it and its folders when missing), writes `text`, closes
// it. Returns false on any failure.
bool AppendToFile(const std::filesystem::path& path, std::string_view text);

// The whole content of a file, bytes as they are; empty when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// What tells one version of a file from another, for caches of a file's content. Every rewrite
// of the program replaces the file by a new one, whose identity differs from the one it replaces
// even when size and time (kept by the system in steps of milliseconds) are equal, and a change
// of permissions changes its status time.
struct FileStamp {
  std::int64_t type = -1;  // kind of file system entry; -1 when there is none
  std::uint64_t device = 0;
  std::uint64_t identity = 0;
  std::uint64_t size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;
  bool exists() const { return type != -1; }
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of `path` now (one stat); an empty path or a missing entry gives type -1.
FileStamp ReadFileStamp(const std::filesystem::path& path);

// An advisory lock of one file, held while the object lives: an exclusive `flock` of the lock
// file beside it (the file's name + ".lock", created when missing and never removed, so every
// process locks the same inode). Every read-modify-write of a file other processes of the
// program may rewrite at the same time takes it, and reads the file again inside it.
class FileLock {
 public:
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  // Takes the lock of `target`, trying again every few milliseconds until `timeout` has passed.
  // Nothing, with `error` set to a message naming the file, when the lock stays taken or the
  // lock file cannot be made.
  static std::optional<FileLock> Acquire(const std::filesystem::path& target, std::string& error,
                                         std::chrono::milliseconds timeout);
  // The same with DefaultLockTimeout().
  static std::optional<FileLock> Acquire(const std::filesystem::path& target, std::string& error);

 private:
  explicit FileLock(int descriptor) : descriptor_(descriptor) {}
  int descriptor_ = -1;
};

// The lock file of `target`: its name + ".lock", beside it.
std::filesystem::path LockFilePath(const std::filesystem::path& target);

// How long a lock is waited for: KORVANE_LOCK_TIMEOUT_MS when it holds a whole number of
// milliseconds (tests shorten the wait with it), else 10 seconds.
std::chrono::milliseconds DefaultLockTimeout();

// A folder path as text with a trailing separator ("/home/x/" rather than "/home/x").
std::string FolderText(const std::filesystem::path& folder);

}  // namespace korvane
