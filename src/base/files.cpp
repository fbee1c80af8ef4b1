#include "base/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <system_error>
#include <thread>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korvane {
namespace fs = std::filesystem;

namespace {

std::string UniqueSuffix() {
  std::random_device device;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, ".tmp%08x", static_cast<unsigned>(device()));
  return buffer;
}

}  // namespace

bool WriteFileAtomically(const fs::path& path, std::string_view content, FileMode mode) {
  std::error_code error;
  if (path.has_parent_path())
    fs::create_directories(path.parent_path(), error);
  const fs::path temporary = fs::path(path.native() + UniqueSuffix());
#ifndef _WIN32
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        mode == FileMode::kOwnerOnly ? 0600 : 0666);
  if (fd < 0)
    return false;
  bool ok = true;
  // The replaced file's permissions (and owner, where allowed) carry over to its successor.
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    mode_t kept = existing.st_mode & 0777;
    if (mode == FileMode::kOwnerOnly)
      kept &= 0700;
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      // Only the superuser may give a file away; the group alone may still be kept.
      [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
    ok = ::fchmod(fd, kept) == 0;
  }
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written <= 0) {
      ok = false;
      break;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (ok && ::fsync(fd) != 0)
    ok = false;
  if (::close(fd) != 0)
    ok = false;
  if (ok)
    ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok)
    ::unlink(temporary.c_str());
  return ok;
#else
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out)
      return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temporary, error);
      return false;
    }
  }
  (void)mode;
  fs::rename(temporary, path, error);
  if (error)
    fs::remove(temporary, error);
  return !error;
#endif
}

bool AppendToFile(const fs::path& path, std::string_view text) {
  std::error_code error;
  if (path.has_parent_path())
    fs::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  if (!out)
    return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    return std::nullopt;
  return content;
}

FileLock::FileLock(FileLock&& other) noexcept : descriptor_(other.descriptor_) {
  other.descriptor_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  std::swap(descriptor_, other.descriptor_);  // `other` releases the lock held before
  return *this;
}

FileLock::~FileLock() {
#ifndef _WIN32
  if (descriptor_ >= 0) {
    ::flock(descriptor_, LOCK_UN);
    ::close(descriptor_);
  }
#endif
  descriptor_ = -1;
}

fs::path LockFilePath(const fs::path& target) {
  return fs::path(target.native() + ".lock");
}

std::chrono::milliseconds DefaultLockTimeout() {
  constexpr std::chrono::milliseconds kDefault(10000);
  const char* text = std::getenv("KORVANE_LOCK_TIMEOUT_MS");
  if (text == nullptr || *text == '\0')
    return kDefault;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 0)
    return kDefault;
  return std::chrono::milliseconds(value);
}

std::optional<FileLock> FileLock::Acquire(const fs::path& target, std::string& error) {
  return Acquire(target, error, DefaultLockTimeout());
}

std::optional<FileLock> FileLock::Acquire(const fs::path& target, std::string& error,
                                          std::chrono::milliseconds timeout) {
  error.clear();
#ifndef _WIN32
  std::error_code ignored;
  if (target.has_parent_path())
    fs::create_directories(target.parent_path(), ignored);
  const fs::path lock_path = LockFilePath(target);
  const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "Cannot open the lock file " + lock_path.string() + ": " + std::strerror(errno) + ".";
    return std::nullopt;
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
      return FileLock(fd);
    if (errno != EWOULDBLOCK && errno != EINTR) {
      error = "Cannot lock " + target.string() + ": " + std::strerror(errno) + ".";
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error = "The file " + target.string() + " is in use by another run of the program (" +
              lock_path.string() + " stayed locked for " + std::to_string(timeout.count()) +
              " ms). Nothing was changed; try again when the other run has finished.";
      break;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  ::close(fd);
  return std::nullopt;
#else
  (void)target;
  (void)timeout;
  return FileLock(-1);
#endif
}

std::string FolderText(const fs::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != static_cast<char>(fs::path::preferred_separator)) {
    text.push_back(static_cast<char>(fs::path::preferred_separator));
  }
  return text;
}

FileStamp ReadFileStamp(const std::filesystem::path& file) {
  namespace fs = std::filesystem;
  FileStamp stamp;
#ifndef _WIN32
  struct stat info {};
  if (file.empty() || ::stat(file.c_str(), &info) != 0)
    return stamp;
  stamp.type = static_cast<std::int64_t>(info.st_mode & S_IFMT);
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.identity = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified_ns =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  stamp.changed_ns =
      static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
#else
  std::error_code error;
  const fs::file_type type = fs::status(file, error).type();
  if (file.empty() || type == fs::file_type::not_found || type == fs::file_type::none)
    return stamp;
  stamp.type = static_cast<std::int64_t>(type);
  stamp.size = fs::file_size(file, error);
  stamp.modified_ns = fs::last_write_time(file, error).time_since_epoch().count();
#endif
  return stamp;
}

}  // namespace korvane
