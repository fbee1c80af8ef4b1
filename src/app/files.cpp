#include "app/files.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
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
  const char* data = content.data();
  std::size_t left = content.size();
  bool ok = true;
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

std::string FolderText(const fs::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != static_cast<char>(fs::path::preferred_separator)) {
    text.push_back(static_cast<char>(fs::path::preferred_separator));
  }
  return text;
}

}  // namespace korvane
