#include <iostream>
#include <string>
#include <vector>

#include "app/locations.h"
#include "base/clock.h"
#include "cli/cli.h"
#include "cli/terminal_progress.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const korvane::SystemClock clock;
  return korvane::RunCli(args, korvane::Environment::FromProcess(),
                         korvane::ExecutableFolder(argc > 0 ? argv[0] : nullptr), clock, std::cin,
                         std::cout, std::cerr, korvane::StderrTerminalColumns());
}
