#include "ui/help_topics.h"

#include <string>

#include "app/application_context.h"
#include "base/user_interface.h"

namespace korvane {

std::filesystem::path HelpTopicPage(const AppLocations& locations, int topic) {
  const char* page = "main_window.html";
  switch (topic) {
    case 160:
      page = "selective_comparison.html";
      break;
    case 230:
      page = "technical_support.html";
      break;
    case 250:
      page = "saved_processes.html";
      break;
    default:
      break;
  }
  return locations.help_folder / page;
}

void OpenHelpTopic(ApplicationContext& context, int topic) {
  const std::filesystem::path page = HelpTopicPage(context.locations, topic);
  if (context.ui.OpenWithDefaultProgram(page.string()) != 0) {
    context.ui.ShowMessage("The help page " + page.string() + " could not be opened.",
                           MessageIcon::kExclamation);
  }
}

}  // namespace korvane
