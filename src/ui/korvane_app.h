// The Qt program's start: the application context, start-up, the main window, the event loop.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class QApplication;

namespace korvane {

class Clock;
struct Environment;

// Runs the program until its main window closes; returns the exit status. `args` are the
// arguments after the program name with Qt's own options already taken out by QApplication.
int RunKorvane(QApplication& app, const std::vector<std::string>& args, const Environment& env,
               const std::filesystem::path& program_folder, const Clock& clock);

}  // namespace korvane
