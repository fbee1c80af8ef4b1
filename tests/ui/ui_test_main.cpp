// GoogleTest main for the window tests: one QApplication for the whole program, headless unless
// the caller chose a platform.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Qt wants a private runtime folder; without one it warns on every run.
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    const std::filesystem::path runtime =
        std::filesystem::temp_directory_path() / ("korvane-ui-tests-" + std::to_string(getuid()));
    std::error_code error;
    std::filesystem::create_directories(runtime, error);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, error);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
