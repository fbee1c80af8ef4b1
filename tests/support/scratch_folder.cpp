#include "support/scratch_folder.h"

#include <fstream>
#include <iterator>
#include <random>

namespace korvane::testing {
namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::random_device device;
  const fs::path base = fs::temp_directory_path();
  for (;;) {
    path_ = base / ("korvane-test-" + std::to_string(device()));
    if (fs::create_directory(path_))
      break;
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  // Tests may have made files read-only; give the owner write access back before removing.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

void WriteFile(const fs::path& path, const std::string& content) {
  if (path.has_parent_path())
    fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace korvane::testing
