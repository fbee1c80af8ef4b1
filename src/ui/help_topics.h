// The program's help: HTML pages in the help folder beside the program, one per topic id, opened
// in the desktop's browser.
#pragma once

#include <filesystem>

namespace korvane {

struct AppLocations;
struct ApplicationContext;

// The topics the windows open.
inline constexpr int kMainWindowHelpTopic = 10;
inline constexpr int kTechnicalSupportHelpTopic = 230;

// The page of a topic id: 10 the main window, 160 selective comparisons, 230 technical support,
// 250 saved comparison processes; any other id gives the main window's page.
std::filesystem::path HelpTopicPage(const AppLocations& locations, int topic);

// Opens the topic's page with the desktop's default program; a page that cannot be opened is
// reported by the user interface, which says what failed.
void OpenHelpTopic(ApplicationContext& context, int topic);

}  // namespace korvane
