// SavedProcessHost: the main window as a saved comparison process being re-run sees it. The runner
// (saved/saved_process_runner.h) puts the window into the stored state through these operations
// and then starts the stored command; the Qt main window implements them on its own controls,
// korvane-cli on in-memory controls, tests record the calls.
//
// Every operation is called by the runner while the window's busy flag may be set; the commands
// at the end must run all the same (the flag keeps the user's clicks out, not the runner).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalog/object_type.h"

namespace korvane {

struct SavedProcess;

// What the comparison commands and their result windows need to know about the saved process
// being re-run. Set by the runner just before it starts a stored command and cleared (back to
// the defaults) right after; outside a run `running_saved_process` is false.
struct SavedProcessRunState {
  bool running_saved_process = false;
  std::int32_t sub_type = 0;      // CompSubType of the process
  std::int32_t sub_sub_type = 0;  // CompSubSubType: Simple or Details
  std::string object_types;       // EncObjTypes of the process
  std::string export_path;        // where the result window exports; empty for none
  bool print = false;             // the result window prints the result

  friend bool operator==(const SavedProcessRunState&, const SavedProcessRunState&) = default;
};

// The run state of a process: running, and the process's fields.
SavedProcessRunState MakeRunState(const SavedProcess& process);

class SavedProcessHost {
 public:
  virtual ~SavedProcessHost() = default;

  // --- window state
  // The window's busy flag: while set, changing the object type does not reload the object lists
  // and selecting a Source object does not select a Target object by itself.
  virtual bool IsBusy() const = 0;
  virtual void SetBusy(bool busy) = 0;
  // The busy (hourglass) pointer on, or back to what it was before.
  virtual void SetBusyCursor(bool busy) = 0;
  // The run state the commands below hand to their result windows.
  virtual void SetRunState(const SavedProcessRunState& state) = 0;

  // The process the user picks in the "Run Saved Comparison Process" dialog; empty when the
  // dialog was cancelled.
  virtual std::string PickProcess() = 0;

  // --- selections; each compares names exactly (letter case counts) and returns false, with
  // nothing changed and nothing shown, when no entry matches.
  // Selects the server in the side's server list as the user picking it does: the side takes
  // the server's record and lists its databases.
  virtual bool SelectServer(int side, std::string_view name) = 0;
  // Clears and reloads both sides from their servers; `load_mru_db` preselects the most recently
  // used databases.
  virtual void InitializeDisplay(bool load_mru_db) = 0;
  // Selects the database in the side's database list; the side's object list then shows that
  // database's objects of the current type, also while the busy flag is set.
  virtual bool SelectDatabase(int side, std::string_view name) = 0;
  virtual ObjectType CurrentObjectType() const = 0;
  // Makes `type` the current object type as the user choosing it does (with the busy flag
  // clear, both object lists are reloaded for it).
  virtual void SelectObjectType(ObjectType type) = 0;
  // Selects the object in the side's object list; the side's structure view shows it.
  virtual bool SelectObject(int side, std::string_view name) = 0;
  // The catalogue id of the object selected in the side's object list; 0 when none is.
  virtual std::int32_t SelectedObjectId(int side) const = 0;

  // --- the commands a process starts, with the window in the stored state
  // Compare All Objects with the types of the process's EncObjTypes.
  virtual void CompareAllObjects(const SavedProcess& process) = 0;
  // The one-type comparison of the type with index `type_index` (0 tables ... 6 constraints;
  // any other index is refused by the command with its wrong-index message), in Details mode or
  // not; `selective` takes the process's counts and selections instead of asking for objects.
  virtual void CompareObjectsOfType(int type_index, bool details, bool selective,
                                    const SavedProcess& process) = 0;
  // Compare Selected Objects on the objects selected on both sides.
  virtual void CompareSelectedObjects() = 0;
  // The data comparison of the table pair selected on both sides, with the process's method,
  // export path and type, and object ids (those of the selected rows: the ids a process file
  // holds are not trusted).
  virtual void CompareTablePair(const SavedProcess& process) = 0;
  // The data comparison of the process's selected tables.
  virtual void CompareSelectedTables(const SavedProcess& process) = 0;
  // The data comparison of all tables of the two databases.
  virtual void CompareAllTables(const SavedProcess& process) = 0;
};

}  // namespace korvane
