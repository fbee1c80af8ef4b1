// SavedComparisonStore: the comparison processes kept in kvn_comps.ini, one section per
// process, and their selection files beside it (saved/selection_file.h).
//
// Section layout, keys in the order a new process gets them:
//
//   [Nightly check]
//   Name=Nightly check
//   CompType=1
//   CompSubType=30
//   CompSubSubType=40
//   EncObjTypes=0,1,0,0,0,0,0
//   CompMethod=-1
//   ServerName1=DEV01
//   ServerName2=PROD01
//   DbName1=Sales
//   DbName2=Sales
//   TableName1=
//   TableName2=
//   ExportFilePath=
//   ExportType=0
//   Id=3
//   SelCompCountSource=2
//   SelCompCountTarget=2
//   Print=False
//   ObjId1=0
//   ObjId2=0
//
// Numbers are read as their leading number rounded to the nearest integer (0 when there is
// none or it does not fit 32 bits); Print reads true for "True" in any letter case or a
// non-zero number. Missing keys read as 0, the empty text or false.
//
// Ids: a new process gets the smallest Id from 1 up that no section holds. An overwritten
// process keeps its Id (scripted runs name processes by Id) and its selection files are
// replaced; one whose stored Id is below 1 gets a new Id as a new process does.
//
// Unsafe input: the INI format and the line-based selection files cannot hold a line break, and
// reads return at most 254 characters of a value. Saving refuses, before anything is written, a
// process whose name or any text value holds a line break (CR or LF) or whose stored text value
// (servers, databases, tables, export path, object types) is longer than 254 characters, with
// the messages below. A name holding "]" or starting with ";" (after blanks) is refused too: in
// the profile format a "]" closes a section header and a leading ";" starts a comment, so other
// readers of the file would see such a section cut or not at all. Names holding "=", quotes or
// starting with "[" are stored and read back as they are.
//
// A save is all or nothing for the store file: the whole section is written in one atomic
// replacement. Every operation shows the busy pointer while it runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "saved/saved_process.h"
#include "saved/selection_file.h"

namespace korvane {

class UserInterface;
struct AppLocations;

// Shown (information icon) when the process could not be written at all; saving returns false.
inline constexpr std::string_view kFailedToSaveProcessName =
    "Failed to save comparison's process name.";
// Shown (exclamation icon) when saving refuses a line break in the name or a value.
inline constexpr std::string_view kProcessLineBreakRefused =
    "Comparison process cannot be saved: its name, servers, databases, tables, selected objects "
    "and export file path must not contain line breaks.";
// Shown (exclamation icon) when saving refuses a name the profile format cannot hold.
inline constexpr std::string_view kProcessNameRefused =
    "Comparison process cannot be saved: its name must not contain \"]\" or start with \";\".";
// Shown (exclamation icon) when saving refuses a value that would read back cut.
inline constexpr std::string_view kProcessValueTooLong =
    "Comparison process cannot be saved: its servers, databases, tables and export file path "
    "must not be longer than 254 characters.";
// Shown (exclamation icon) when an export file path cannot be stored with a process.
inline constexpr std::string_view kExportPathRefused =
    "The export file path cannot be added to the saved comparison process: it must be one line "
    "of at most 254 characters.";

inline constexpr std::string_view kProcessNotDeleted =
    "The comparison process could not be deleted: the file of saved comparison processes could "
    "not be read or written.";

inline constexpr std::string_view kInconsistentDataTitle = "Inconsistent Data";
inline constexpr std::string_view kPropertiesTitle = "Properties";

class SavedComparisonStore {
 public:
  // `comps_ini` is the store file; the selection files live in `data_folder`.
  SavedComparisonStore(std::filesystem::path comps_ini, std::filesystem::path data_folder,
                       UserInterface& ui);
  SavedComparisonStore(const AppLocations& locations, UserInterface& ui);

  // Writes the process under its name (an existing section of that name, in any letter case,
  // is overwritten in place and keeps its Id), allocates the Id of a new process and writes its
  // selection files: for each side the file of the Id is removed and, when the side's count is
  // at least 1, written with every element of the side's selection. The Id of `process` is
  // ignored. False, with a
  // message, when the input is refused or the name could not be written; false without one
  // when a selection file could not be written (the store is then left unchanged).
  bool SaveProcess(const SavedProcess& process);

  // The stored process with both selections. A missing selection file is an empty selection; a
  // file whose line count differs from its stored count gives the "Inconsistent Data" warning
  // and its lines are used. An empty name gives the defaults of SavedProcess (no file is read);
  // a name that is not stored gives every key's missing value.
  SavedProcess LoadProcess(std::string_view name);

  // The stored keys of the process without its selections (no selection file is read, no
  // warning shown).
  SavedProcess LoadProcessKeys(std::string_view name) const;

  // The Id of the process; 0 for an empty name or a process without Id.
  std::int32_t ProcessId(std::string_view name) const;

  // The first section, in file order, whose Id equals `id`; empty when none does.
  std::string ProcessName(std::int32_t id) const;

  int ProcessCount() const;

  // All process names in file order.
  std::vector<std::string> ProcessNames() const;

  // The listed name equal to `name` without regard to letter case (the section that saving
  // `name` would write into); nothing when there is none.
  std::optional<std::string> FindProcessName(std::string_view name) const;

  // Records the export of a re-run: ExportFilePath and ExportType. False when the process does
  // not exist, the path is refused (message kExportPathRefused) or the file was not written.
  bool SetExport(std::string_view name, std::string_view path, std::int32_t export_type);

  // Records whether a re-run prints its report. False when the process does not exist or the
  // file was not written.
  bool SetPrint(std::string_view name, bool print);

  // The properties message of the process (CR LF line breaks, ends with CR LF).
  std::string PropertiesText(std::string_view name) const;

  // Shows PropertiesText with the title "Properties" and the information icon.
  void ShowProperties(std::string_view name) const;

  // Removes the process's section and the two selection files of its Id (missing files are no
  // failure; an Id below 1 owns no files). False, with kProcessNotDeleted (exclamation icon),
  // when the store could not be read, locked or written; the selection files are then kept.
  bool DeleteProcess(std::string_view name);

  std::filesystem::path SelectionFile(std::int32_t id, SelectionSide side) const;

  const std::filesystem::path& comps_ini() const { return comps_ini_; }

 private:
  std::filesystem::path comps_ini_;
  std::filesystem::path data_folder_;
  UserInterface& ui_;
};

// The number a stored text holds: its leading number rounded half to even, 0 when there is
// none or it does not fit 32 bits.
std::int32_t ReadProcessNumber(std::string_view text);

// True for "True" in any letter case or a non-zero number.
bool ReadProcessFlag(std::string_view text);

// The smallest integer from 1 up that is not among `ids`.
std::int32_t SmallestFreeProcessId(const std::vector<std::int32_t>& ids);

}  // namespace korvane
