// Running a saved comparison process again: load its description, put the main window into the
// stored state (servers, databases, and for the one-pair kinds the objects or tables), start the
// command the user would have started, and let its result window export and print as the
// process asks. The menu command and the command line both come here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

struct ApplicationContext;
struct SavedProcess;
class SavedProcessHost;

inline constexpr std::string_view kNoSavedProcessesMessage = "There are no saved processes to run.";
inline constexpr std::string_view kProcessDetailsMissingMessage =
    "Cannot run saved process - couldn't retrieve all details data.";
inline constexpr std::string_view kProcessIdMissingMessage =
    "Cannot run saved process - couldn't retrieve Id of the process.";
inline constexpr std::string_view kCompTypeNotDefinedMessage =
    "Cannot run saved process - comparison type not defined.";
inline constexpr std::string_view kStructureSubTypeNotDefinedMessage =
    "Comparison sub type not defined - aborting comparison.";
inline constexpr std::string_view kDataSubTypeNotDefinedMessage =
    "Cannot run saved process - comparison sub type not defined.";

// "Cannot run saved process - path " + name + " not found." (the Source server)
std::string SourceServerNotFoundMessage(std::string_view name);
// "Cannot run saved process - server " + name + " not found." (the Target server)
std::string TargetServerNotFoundMessage(std::string_view name);
// "Cannot run saved process - SQL Server database " + name + " not found."
std::string DatabaseNotFoundMessage(std::string_view name);
// "Cannot run saved process - object " + name + " not found."
std::string ObjectNotFoundMessage(std::string_view name);
// "Cannot run saved process - table " + name + " not found."
std::string TableNotFoundMessage(std::string_view name);

enum class SavedProcessRunOutcome {
  kNotRun,   // no process was picked, or none has the Id (nothing shown)
  kRefused,  // the run stopped with a message before or instead of its command
  kStarted,  // the stored command was started; its own Part reports what it found
};

// Runs the process with Id `id`, or the one the user picks in the run dialog when `id` is below
// 1. Every refusal is a message (exclamation icon; the empty store: information icon). The
// host's busy flag is set while the window is prepared and clear afterwards, as is the busy
// pointer.
SavedProcessRunOutcome RunSavedProcess(ApplicationContext& context, SavedProcessHost& host,
                                       std::int32_t id);

// The structure kinds (CompType 1): 10 Compare All Objects, 20 one type, 30 one type with the
// stored selections, 35 the two stored objects. Sets the host's run state for the command and
// clears it afterwards; the busy flag is restored.
SavedProcessRunOutcome RunStructureProcess(ApplicationContext& context, SavedProcessHost& host,
                                           const SavedProcess& process);

// The data kinds (CompType 0): 40 the stored table pair, 50 the stored table selections, 60 all
// tables. Run state and busy flag as for the structure kinds.
SavedProcessRunOutcome RunDataProcess(ApplicationContext& context, SavedProcessHost& host,
                                      const SavedProcess& process);

}  // namespace korvane
