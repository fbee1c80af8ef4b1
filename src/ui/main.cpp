#include <QApplication>
#include <string>
#include <vector>

#include "app/locations.h"
#include "base/clock.h"
#include "ui/korvane_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // takes Qt's own options out of argc and argv
  const std::vector<std::string> args(argv + 1, argv + argc);
  const korvane::SystemClock clock;
  return korvane::RunKorvane(app, args, korvane::Environment::FromProcess(),
                             korvane::ExecutableFolder(argv[0]), clock);
}
