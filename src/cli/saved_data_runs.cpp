#include "cli/saved_data_runs.h"

#include "app/application_context.h"
#include "app/user_interface.h"
#include "cli/cli.h"
#include "saved/saved_process.h"

namespace korvane {

// Placeholder until the data runs land: refuses instead of pretending to have compared.
int RunSavedDataProcess(ApplicationContext& context, const SavedProcess& process,
                        std::ostream& /*out*/) {
  context.ui.ShowMessage("Saved data process \"" + process.name + "\" cannot run yet.",
                         MessageIcon::kExclamation);
  return kExitFailed;
}

}  // namespace korvane
