#include "app/startup.h"

#include "app/application_context.h"
#include "app/logs.h"
#include "app/settings.h"
#include "base/command_args.h"
#include "base/files.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "db/server_list.h"

namespace korvane {

std::int32_t ReadRunSavedCompId(std::string_view argument_text) {
  if (argument_text.empty())
    return 0;
  CCommandArgs args;
  args.SetDelim("/");
  args.SetTestString(argument_text);
  args.Parse();
  const std::string value = args.Item("RunSavedComp");
  if (value.empty())
    return 0;
  return RoundToInt32(LeadingNumber(value)).value_or(0);
}

void RunStartUp(ApplicationContext& context, std::string_view argument_text) {
  context.DebugMode = DetectDebugMode(context.locations.debug_marker);
  context.CurrentServers = {};
  // A settings file that exists but cannot be read is never replaced: say so once and go on
  // with the defaults; the incidental writes below then fail without a word.
  if (const std::string& reason = context.settings_store.unreadable_reason(); !reason.empty())
    context.ui.ShowMessage(reason, MessageIcon::kExclamation, kSettingsUnreadableTitle);
  CheckSettingsVersion(context.settings_store);
  context.settings = LoadSettings(context.settings_store, context.DebugMode);
  LoadServerList(context);
  WriteString(context.settings_store, Setting::kLocation,
              FolderText(context.locations.program_folder));
  context.RunSavedCompId = ReadRunSavedCompId(argument_text);
}

}  // namespace korvane
