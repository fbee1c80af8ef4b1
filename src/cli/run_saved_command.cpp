#include "cli/run_saved_command.h"

#include <charconv>
#include <optional>

#include "app/application_context.h"
#include "base/memory_list_control.h"
#include "base/memory_text_view.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "catalog/main_window_catalog.h"
#include "catalog/memory_selector.h"
#include "catalog/object_type_selector.h"
#include "cli/cli.h"
#include "cli/cli_support.h"
#include "cli/compare_objects_command.h"
#include "cli/saved_data_runs.h"
#include "compare/comparison_commands.h"
#include "compare/comparison_progress.h"
#include "compare/report_window.h"
#include "compare/script_text_source.h"
#include "db/server_list.h"
#include "run/saved_process_host.h"
#include "run/saved_process_runner.h"
#include "saved/saved_comparison_store.h"
#include "saved/saved_process.h"
#include "script/structure_text.h"

namespace korvane {
namespace {

constexpr std::string_view kRunSavedTitle = "Run Saved";

// The controls of one side of the in-memory main window.
struct MemorySide {
  MemorySelector servers;
  MemoryListControl databases;
  MemorySelector owners;
  MemoryListControl objects;
  MemoryTextView structure;

  SideControls Controls() { return SideControls{databases, owners, objects, structure, &servers}; }
};

// The main window of an unattended run: the catalogue's rules over in-memory controls, and the
// commands of a saved process with their results printed instead of shown.
class CliMainWindow final : public SavedProcessHost, public MainWindowOperations {
 public:
  CliMainWindow(ApplicationContext& context, std::ostream& out, TerminalProgressLine* progress)
      : context_(context),
        out_(out),
        progress_(progress),
        catalog_(context, *this, types_, sides_[kSource].Controls(), sides_[kTarget].Controls(),
                 MakeStructureTextRenderer(context)) {
    FillTypeSelector(types_, context_.settings.analyze_constraints);
    LoadServerList(context_);
    for (MemorySide& side : sides_) {
      side.servers.SetTag(kBusyTag);
      for (const ServerRecord& server : context_.servers)
        side.servers.AddItem(server.Name);
      side.servers.SetTag("");
    }
    catalog_.ConnectSelectionEvents();
  }

  // What the started command found; refused or failed until a command ran.
  int exit_status() const { return exit_status_; }

  // --- MainWindowOperations
  bool ServerInfoSet() override { return !context_.CurrentServers[kSource].Name.empty(); }
  void InitializeDisplay(bool load_mru_db) override {
    for (int side : {kSource, kTarget})
      catalog_.ClearSide(side);
    if (!ServerInfoSet())
      return;
    for (int side : {kSource, kTarget})
      catalog_.LoadServer(side, load_mru_db);
  }
  void SetCompareToolTip(std::string_view) override {}
  void SetObjectListHeader(int, std::string_view) override {}
  bool IsLoaded() const override { return true; }
  bool IsCommandRunning() const override { return busy_; }

  // --- SavedProcessHost
  bool IsBusy() const override { return busy_; }
  void SetBusy(bool busy) override { busy_ = busy; }
  void SetBusyCursor(bool busy) override { context_.ui.SetBusy(busy); }
  void SetRunState(const SavedProcessRunState& state) override { run_state_ = state; }
  std::string PickProcess() override { return {}; }  // nobody to pick on the command line

  bool SelectServer(int side, std::string_view name) override {
    MemorySelector& servers = Side(side).servers;
    for (int index = 0; index < servers.Count(); ++index) {
      if (servers.ItemText(index) == name) {
        servers.SetCurrentIndex(index);
        return true;
      }
    }
    return false;
  }

  bool SelectDatabase(int side, std::string_view name) override {
    ListControl& databases = Side(side).databases;
    for (int row = 0; row < databases.RowCount(); ++row) {
      if (databases.Cell(row, 0) == name) {
        // The list is reloaded for the chosen database even while the busy flag is set.
        const bool busy = busy_;
        busy_ = false;
        databases.SetCurrentRow(row);
        busy_ = busy;
        return true;
      }
    }
    return false;
  }

  ObjectType CurrentObjectType() const override { return catalog_.CurrentType(); }
  void SelectObjectType(ObjectType type) override {
    SelectType(types_, type, /*suppress_events=*/false);
  }
  bool SelectObject(int side, std::string_view name) override {
    return SelectRowByText(Side(side).objects, name) >= 0;
  }
  std::int32_t SelectedObjectId(int side) const override {
    const ListControl& objects = sides_[static_cast<std::size_t>(side)].objects;
    const int row = objects.CurrentRow();
    return row >= 0 ? static_cast<std::int32_t>(LeadingNumber(objects.Cell(row, 2))) : 0;
  }

  void CompareAllObjects(const SavedProcess& process) override {
    ScriptTextSource texts(context_);
    SilentComparisonProgress progress;
    Finish(korvane::CompareAllObjects(context_, Database(kSource), Database(kTarget), {}, texts,
                                      progress, Presenter(), &process));
  }

  void CompareObjectsOfType(int type_index, bool details, bool selective,
                            const SavedProcess& process) override {
    ScriptTextSource texts(context_);
    SilentComparisonProgress progress;
    if (selective) {
      Finish(CompareSelectedObjectsOfType(context_, Database(kSource), Database(kTarget),
                                          type_index, details, texts, progress, Presenter(), {},
                                          &process));
    } else {
      Finish(CompareAllObjectsOfType(context_, Database(kSource), Database(kTarget), type_index,
                                     details, texts, progress, Presenter(), &process));
    }
  }

  void CompareSelectedObjects() override {
    exit_status_ = CompareSelectedInLists(
        context_, catalog_.CurrentType(), {&Side(kSource).objects, &Side(kTarget).objects},
        {Database(kSource), Database(kTarget)}, Side(kSource).structure, Side(kTarget).structure,
        run_state_, out_);
  }

  void CompareTablePair(const SavedProcess& process) override { RunData(process); }
  void CompareSelectedTables(const SavedProcess& process) override { RunData(process); }
  void CompareAllTables(const SavedProcess& process) override { RunData(process); }

 private:
  MemorySide& Side(int side) { return sides_[static_cast<std::size_t>(side)]; }
  std::string Database(int side) { return std::string(Trim(Side(side).databases.CurrentText())); }

  ReportPresenter Presenter() {
    return [this](const ReportWindowState& window) {
      if (!ShowReportUnattended(context_, window, context_.report_buffer))
        presentation_failed_ = true;
    };
  }

  void Finish(const ComparisonCommandOutcome& outcome) {
    if (!outcome.ran || !outcome.run.completed) {
      exit_status_ = kExitFailed;
      return;
    }
    out_ << outcome.report;
    // A report whose export (or printing) failed did not do the whole job.
    if (outcome.run.query_failed || presentation_failed_)
      exit_status_ = kExitFailed;
    else
      exit_status_ = HasDifferences(outcome.run.result) ? kExitDifferent : kExitDone;
  }

  void RunData(const SavedProcess& process) {
    exit_status_ = RunSavedDataProcess(context_, process, out_, progress_);
  }

  ApplicationContext& context_;
  std::ostream& out_;
  TerminalProgressLine* progress_;
  MemorySelector types_;
  std::array<MemorySide, 2> sides_;
  MainWindowCatalog catalog_;
  bool busy_ = false;
  SavedProcessRunState run_state_;
  int exit_status_ = kExitFailed;
  bool presentation_failed_ = false;
};

std::optional<std::int32_t> ParseId(std::string_view text) {
  std::int32_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || id < 1)
    return std::nullopt;
  return id;
}

}  // namespace

bool ShowReportUnattended(ApplicationContext& context, const ReportWindowState& window,
                          std::string_view text) {
  ReportWindowState state = window;
  const MemoryTextView pane(text);
  return ShowReportFirstTime(state, pane, context.locations.data_folder, context.ui, nullptr)
      .exported;
}

int RunSavedCommand(ApplicationContext& context, const std::vector<std::string>& args,
                    std::ostream& out, TerminalProgressLine* progress) {
  const std::optional<std::int32_t> id = args.size() == 1 ? ParseId(args[0]) : std::nullopt;
  if (!id) {
    context.ui.ShowMessage("usage: run-saved ID (the Id of a saved comparison process, 1 or more)",
                           MessageIcon::kExclamation, kRunSavedTitle);
    return kExitFailed;
  }
  CliMainWindow window(context, out, progress);
  switch (RunSavedProcess(context, window, *id)) {
    case SavedProcessRunOutcome::kStarted:
      return window.exit_status();
    case SavedProcessRunOutcome::kRefused:
      return kExitFailed;
    case SavedProcessRunOutcome::kNotRun:
      break;
  }
  // The window ends silently here; a script wants to know why nothing ran.
  if (SavedComparisonStore(context.locations, context.ui).ProcessCount() > 0) {
    context.ui.ShowMessage("No saved comparison process has Id " + std::to_string(*id) + ".",
                           MessageIcon::kExclamation, kRunSavedTitle);
  }
  return kExitFailed;
}

}  // namespace korvane
