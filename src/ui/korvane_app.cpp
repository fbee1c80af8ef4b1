#include "ui/korvane_app.h"

#include <QApplication>

#include "app/application_context.h"
#include "app/default_backends.h"
#include "app/locations.h"
#include "app/startup.h"
#include "dataview/text_handoff.h"
#include "ui/main_window.h"
#include "ui/qt_user_interface.h"

namespace korvane {

int RunKorvane(QApplication& app, const std::vector<std::string>& args, const Environment& env,
               const std::filesystem::path& program_folder, const Clock& clock) {
  QtUserInterface ui;
  const LaunchArguments launch = ExtractProfileOption(args, env);
  if (!launch.error.empty()) {
    ui.ShowMessage(launch.error, MessageIcon::kExclamation, kApplicationTitle);
    return 2;
  }
  ApplicationContext context(ComputeLocations(program_folder, launch.profile, env), ui, clock);
  RunStartUp(context, ArgumentText(launch.rest));
  context.backends = CreateDefaultBackends(context.locations, env);
  // Texts handed to the editor by an earlier run, once the editor is surely done with them.
  RemoveStaleHandOffFiles(context.locations.writable_folder,
                          std::filesystem::file_time_type::clock::now());

  MainWindow window(context);
  ui.SetParentWindow(&window);
  window.show();
  return app.exec();
}

}  // namespace korvane
