#include "saved/saved_comparison_store.h"

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "app/locations.h"
#include "base/busy_pointer.h"
#include "base/files.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "saved/enc_obj_types.h"
#include "saved/ini_document.h"
#include "saved/ini_file.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kKeyName = "Name";
constexpr std::string_view kKeyCompType = "CompType";
constexpr std::string_view kKeyCompSubType = "CompSubType";
constexpr std::string_view kKeyCompSubSubType = "CompSubSubType";
constexpr std::string_view kKeyEncObjTypes = "EncObjTypes";
constexpr std::string_view kKeyCompMethod = "CompMethod";
constexpr std::string_view kKeyServerName1 = "ServerName1";
constexpr std::string_view kKeyServerName2 = "ServerName2";
constexpr std::string_view kKeyDbName1 = "DbName1";
constexpr std::string_view kKeyDbName2 = "DbName2";
constexpr std::string_view kKeyTableName1 = "TableName1";
constexpr std::string_view kKeyTableName2 = "TableName2";
constexpr std::string_view kKeyExportFilePath = "ExportFilePath";
constexpr std::string_view kKeyExportType = "ExportType";
constexpr std::string_view kKeyId = "Id";
constexpr std::string_view kKeySelCompCountSource = "SelCompCountSource";
constexpr std::string_view kKeySelCompCountTarget = "SelCompCountTarget";
constexpr std::string_view kKeyPrint = "Print";
constexpr std::string_view kKeyObjId1 = "ObjId1";
constexpr std::string_view kKeyObjId2 = "ObjId2";

// A section name as the store matches it: blanks the INI layer ignores around names removed.
std::string_view SectionName(std::string_view name) {
  constexpr std::string_view kBlanks = " \t\r\v\f\x1a";
  const std::size_t first = name.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  return name.substr(first, name.find_last_not_of(kBlanks) - first + 1);
}

bool SameProcess(std::string_view a, std::string_view b) {
  return EqualsIgnoringCase(SectionName(a), SectionName(b));
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string Number(std::int32_t value) {
  return std::to_string(value);
}

// The texts of a process that are stored as values and read back.
std::array<std::string_view, 8> StoredTexts(const SavedProcess& process) {
  return {process.enc_obj_types, process.server_name1,    process.server_name2,
          process.db_name1,      process.db_name2,        process.table_name1,
          process.table_name2,   process.export_file_path};
}

// One reader of the store's keys with the program's 254-character reads.
class StoreReader {
 public:
  explicit StoreReader(const fs::path& file) { ini_.SetPath(file); }

  std::string Text(std::string_view section, std::string_view key) {
    ini_.SetSection(section);
    ini_.SetKey(key);
    return ini_.Value();
  }
  std::int32_t Number(std::string_view section, std::string_view key) {
    return ReadProcessNumber(Text(section, key));
  }
  std::vector<std::string> Sections() const { return ini_.EnumerateAllSections(); }

 private:
  cInifile ini_;
};

std::int32_t StoredNumber(const IniDocument& document, std::string_view section,
                          std::string_view key) {
  const std::optional<std::string> value = document.Value(section, key);
  return value ? ReadProcessNumber(Utf8Left(*value, kIniValueMaxChars)) : 0;
}

// Applies edits to the store file's content and replaces the file once. False when the file
// cannot be read, an edit is refused or the file cannot be written; the file is then unchanged.
bool EditStore(const fs::path& file, const std::function<bool(IniDocument&)>& edit) {
  std::string lock_error;
  const std::optional<FileLock> lock = FileLock::Acquire(file, lock_error);
  if (!lock)
    return false;
  std::optional<IniDocument> document = IniDocument::Load(file);
  if (!document || !edit(*document))
    return false;
  return document->Save(file);
}

bool Set(IniDocument& document, std::string_view section, std::string_view key,
         std::string_view value) {
  return document.SetValue(section, key, value) != IniDocument::Edit::kRefused;
}

bool SectionExists(const IniDocument& document, std::string_view section) {
  const std::vector<std::string> names = document.SectionNames();
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& listed) { return SameProcess(listed, section); });
}

std::string InconsistencyText(std::int32_t id, std::string_view side, std::int32_t count,
                              std::size_t lines) {
  std::string text = "Inconsistent data while retrieving details of saved comparison process.";
  text.append(kCrLf).append(kCrLf).append("Comparison Id: ").append(Number(id));
  text.append(kCrLf).append(kCrLf).append(side).append(" objects count: ").append(Number(count));
  text.append(kCrLf).append(kCrLf).append(side).append(" objects in file: ");
  text.append(std::to_string(lines));
  return text;
}

}  // namespace

std::int32_t ReadProcessNumber(std::string_view text) {
  return RoundToInt32(LeadingNumber(text)).value_or(0);
}

bool ReadProcessFlag(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (EqualsIgnoringCase(trimmed, "True"))
    return true;
  return IsNumeric(trimmed) && LeadingNumber(trimmed) != 0;
}

std::int32_t SmallestFreeProcessId(const std::vector<std::int32_t>& ids) {
  std::vector<std::int32_t> sorted = ids;
  std::sort(sorted.begin(), sorted.end());
  std::int32_t candidate = 1;
  for (const std::int32_t id : sorted) {
    if (id == candidate)
      ++candidate;
    else if (id > candidate)
      break;
  }
  return candidate;
}

SavedComparisonStore::SavedComparisonStore(fs::path comps_ini, fs::path data_folder,
                                           UserInterface& ui)
    : comps_ini_(std::move(comps_ini)), data_folder_(std::move(data_folder)), ui_(ui) {}

SavedComparisonStore::SavedComparisonStore(const AppLocations& locations, UserInterface& ui)
    : SavedComparisonStore(locations.comps_ini, locations.data_folder, ui) {}

fs::path SavedComparisonStore::SelectionFile(std::int32_t id, SelectionSide side) const {
  return SelectionFilePath(data_folder_, id, side);
}

bool SavedComparisonStore::SaveProcess(const SavedProcess& process) {
  BusyPointer busy(ui_);
  const std::string& name = process.name;

  bool line_break = HasLineBreak(name);
  bool too_long = false;
  for (const std::string_view text : StoredTexts(process)) {
    line_break = line_break || HasLineBreak(text);
    too_long = too_long || Utf8Length(text) > kIniValueMaxChars;
  }
  for (const auto* selection : {&process.source_selection, &process.target_selection}) {
    line_break = line_break || std::any_of(selection->begin(), selection->end(),
                                           [](const std::string& s) { return HasLineBreak(s); });
  }
  if (line_break) {
    ui_.ShowMessage(kProcessLineBreakRefused, MessageIcon::kExclamation);
    return false;
  }
  if (too_long) {
    ui_.ShowMessage(kProcessValueTooLong, MessageIcon::kExclamation);
    return false;
  }

  if (name.find(']') != std::string::npos || SectionName(name).starts_with(';')) {
    ui_.ShowMessage(kProcessNameRefused, MessageIcon::kExclamation);
    return false;
  }

  // The store is read, its Id given out and its selection files written under the store's lock,
  // so runs saving side by side never hand out one Id twice or drop each other's sections.
  std::string lock_error;
  const std::optional<FileLock> lock = FileLock::Acquire(comps_ini_, lock_error);
  if (!lock) {
    ui_.ShowMessage(lock_error, MessageIcon::kExclamation);
    return false;
  }
  std::optional<IniDocument> document = IniDocument::Load(comps_ini_);
  // An overwritten process keeps its Id, so that scripted runs of that Id still find it.
  const std::int32_t kept_id =
      document && SectionExists(*document, name) ? StoredNumber(*document, name, kKeyId) : 0;
  if (!document || !Set(*document, name, kKeyName, name)) {
    ui_.ShowMessage(kFailedToSaveProcessName, MessageIcon::kInformation);
    return false;
  }
  IniDocument& doc = *document;
  const std::pair<std::string_view, std::string> first_keys[] = {
      {kKeyCompType, Number(process.comp_type)},
      {kKeyCompSubType, Number(process.comp_sub_type)},
      {kKeyCompSubSubType, Number(process.comp_sub_sub_type)},
      {kKeyEncObjTypes, process.enc_obj_types},
      {kKeyCompMethod, Number(process.comp_method)},
      {kKeyServerName1, process.server_name1},
      {kKeyServerName2, process.server_name2},
      {kKeyDbName1, process.db_name1},
      {kKeyDbName2, process.db_name2},
      {kKeyTableName1, process.table_name1},
      {kKeyTableName2, process.table_name2},
      {kKeyExportFilePath, process.export_file_path},
      {kKeyExportType, Number(process.export_type)},
  };
  bool written = true;
  for (const auto& [key, value] : first_keys)
    written = written && Set(doc, name, key, value);

  // A new process, or an overwritten one that held no Id, gets the smallest free Id.
  std::int32_t id = kept_id;
  if (id < 1) {
    std::vector<std::int32_t> ids;
    for (const std::string& section : doc.SectionNames())
      ids.push_back(StoredNumber(doc, section, kKeyId));
    id = SmallestFreeProcessId(ids);
  }
  written = written && Set(doc, name, kKeyId, Number(id)) &&
            Set(doc, name, kKeySelCompCountSource, Number(process.sel_comp_count_source)) &&
            Set(doc, name, kKeySelCompCountTarget, Number(process.sel_comp_count_target)) &&
            Set(doc, name, kKeyPrint, process.print ? "True" : "False") &&
            Set(doc, name, kKeyObjId1, Number(process.obj_id1)) &&
            Set(doc, name, kKeyObjId2, Number(process.obj_id2));
  if (!written) {
    ui_.ShowMessage(kFailedToSaveProcessName, MessageIcon::kInformation);
    return false;
  }

  // Selection files first: when one fails the store still shows no trace of the save, and the
  // files of an Id nobody holds are replaced when the Id is given out.
  const auto write_side = [&](SelectionSide side, std::int32_t count,
                              const std::vector<std::string>& selection) {
    const fs::path file = SelectionFile(id, side);
    return DeleteSelectionFile(file) && (count < 1 || WriteSelectionFile(file, selection));
  };
  if (!write_side(SelectionSide::kSource, process.sel_comp_count_source,
                  process.source_selection) ||
      !write_side(SelectionSide::kTarget, process.sel_comp_count_target,
                  process.target_selection)) {
    return false;
  }

  if (!doc.Save(comps_ini_)) {
    ui_.ShowMessage(kFailedToSaveProcessName, MessageIcon::kInformation);
    return false;
  }
  return true;
}

SavedProcess SavedComparisonStore::LoadProcessKeys(std::string_view name) const {
  BusyPointer busy(ui_);
  SavedProcess process;
  if (name.empty())
    return process;
  StoreReader read(comps_ini_);
  process.name = std::string(name);
  process.comp_type = read.Number(name, kKeyCompType);
  process.comp_sub_type = read.Number(name, kKeyCompSubType);
  process.comp_sub_sub_type = read.Number(name, kKeyCompSubSubType);
  process.enc_obj_types = read.Text(name, kKeyEncObjTypes);
  process.comp_method = read.Number(name, kKeyCompMethod);
  process.server_name1 = read.Text(name, kKeyServerName1);
  process.server_name2 = read.Text(name, kKeyServerName2);
  process.db_name1 = read.Text(name, kKeyDbName1);
  process.db_name2 = read.Text(name, kKeyDbName2);
  process.table_name1 = read.Text(name, kKeyTableName1);
  process.table_name2 = read.Text(name, kKeyTableName2);
  process.export_file_path = read.Text(name, kKeyExportFilePath);
  process.export_type = read.Number(name, kKeyExportType);
  process.id = read.Number(name, kKeyId);
  process.sel_comp_count_source = read.Number(name, kKeySelCompCountSource);
  process.sel_comp_count_target = read.Number(name, kKeySelCompCountTarget);
  process.print = ReadProcessFlag(read.Text(name, kKeyPrint));
  process.obj_id1 = read.Number(name, kKeyObjId1);
  process.obj_id2 = read.Number(name, kKeyObjId2);
  return process;
}

SavedProcess SavedComparisonStore::LoadProcess(std::string_view name) {
  BusyPointer busy(ui_);
  SavedProcess process = LoadProcessKeys(name);
  if (name.empty())
    return process;
  struct Side {
    SelectionSide side;
    std::string_view label;
    std::int32_t count;
    std::vector<std::string>* selection;
  };
  const Side sides[] = {
      {SelectionSide::kSource, "Source", process.sel_comp_count_source, &process.source_selection},
      {SelectionSide::kTarget, "Target", process.sel_comp_count_target, &process.target_selection},
  };
  for (const Side& side : sides) {
    *side.selection = ReadSelectionFile(SelectionFile(process.id, side.side))
                          .value_or(std::vector<std::string>());
    if (static_cast<std::int64_t>(side.selection->size()) != side.count) {
      ui_.ShowMessage(InconsistencyText(process.id, side.label, side.count, side.selection->size()),
                      MessageIcon::kExclamation, kInconsistentDataTitle);
    }
  }
  return process;
}

std::int32_t SavedComparisonStore::ProcessId(std::string_view name) const {
  BusyPointer busy(ui_);
  if (name.empty())
    return 0;
  return StoreReader(comps_ini_).Number(name, kKeyId);
}

std::string SavedComparisonStore::ProcessName(std::int32_t id) const {
  BusyPointer busy(ui_);
  StoreReader read(comps_ini_);
  for (const std::string& section : read.Sections()) {
    if (read.Number(section, kKeyId) == id)
      return section;
  }
  return {};
}

int SavedComparisonStore::ProcessCount() const {
  return static_cast<int>(ProcessNames().size());
}

std::vector<std::string> SavedComparisonStore::ProcessNames() const {
  BusyPointer busy(ui_);
  return StoreReader(comps_ini_).Sections();
}

std::optional<std::string> SavedComparisonStore::FindProcessName(std::string_view name) const {
  for (const std::string& listed : ProcessNames()) {
    if (SameProcess(listed, name))
      return listed;
  }
  return std::nullopt;
}

bool SavedComparisonStore::SetExport(std::string_view name, std::string_view path,
                                     std::int32_t export_type) {
  BusyPointer busy(ui_);
  if (HasLineBreak(path) || Utf8Length(path) > kIniValueMaxChars) {
    ui_.ShowMessage(kExportPathRefused, MessageIcon::kExclamation);
    return false;
  }
  return EditStore(comps_ini_, [&](IniDocument& doc) {
    return !name.empty() && SectionExists(doc, name) && Set(doc, name, kKeyExportFilePath, path) &&
           Set(doc, name, kKeyExportType, Number(export_type));
  });
}

bool SavedComparisonStore::SetPrint(std::string_view name, bool print) {
  BusyPointer busy(ui_);
  return EditStore(comps_ini_, [&](IniDocument& doc) {
    return !name.empty() && SectionExists(doc, name) &&
           Set(doc, name, kKeyPrint, print ? "True" : "False");
  });
}

std::string SavedComparisonStore::PropertiesText(std::string_view name) const {
  const SavedProcess p = LoadProcessKeys(name);
  const std::string_view crlf = kCrLf;
  std::string text = "Comparison Process Name: ";
  text.append(name);
  text.append(crlf).append("Comparison Process Id: ").append(Number(p.id));
  text.append(crlf).append(crlf).append("Comparison Type: ").append(CompTypeName(p.comp_type));
  if (p.comp_sub_type != 0) {
    text.append(crlf).append("Comparison Sub Type: ").append(CompSubTypeName(p.comp_sub_type));
  }
  if (p.comp_sub_sub_type != 0) {
    text.append(crlf).append("Comparison Sub Sub Type: ");
    text.append(CompSubSubTypeName(p.comp_sub_sub_type));
  }
  if (!p.enc_obj_types.empty())
    text.append(crlf).append("Object Types: ").append(ObjTypesNames(p.enc_obj_types));
  if (p.comp_method != kCompMethodNone)
    text.append(crlf).append("Comparison Method: ").append(CompMethodName(p.comp_method));
  if (p.comp_sub_type == kCompSubTypeStructureSelective && p.sel_comp_count_source >= 1) {
    text.append(crlf).append(crlf).append("Number of objects compared: ");
    text.append(FormatNumber(p.sel_comp_count_source));
  }
  text.append(crlf).append(crlf).append("Source: ").append(p.server_name1).append(".");
  text.append(p.db_name1);
  if (!p.table_name1.empty())
    text.append(".").append(p.table_name1);
  text.append(crlf).append("Target: ").append(p.server_name2).append(".").append(p.db_name2);
  if (!p.table_name2.empty())
    text.append(".").append(p.table_name2);
  if (!p.export_file_path.empty())
    text.append(crlf).append(crlf).append("Export File Path: ").append(p.export_file_path);
  if (p.export_type != 0)
    text.append(crlf).append("Export Type: ").append(ExportTypeName(p.export_type));
  text.append(crlf).append(crlf).append("Automatically print final report: ");
  text.append(p.print ? "Yes" : "No");
  if (p.obj_id1 > 0)
    text.append(crlf).append(crlf).append("Source Object Id: ").append(Number(p.obj_id1));
  if (p.obj_id2 > 0)
    text.append(crlf).append("Target Object Id: ").append(Number(p.obj_id2));
  text.append(crlf);
  return text;
}

void SavedComparisonStore::ShowProperties(std::string_view name) const {
  const std::string text = PropertiesText(name);
  ui_.ShowMessage(text, MessageIcon::kInformation, kPropertiesTitle);
}

bool SavedComparisonStore::DeleteProcess(std::string_view name) {
  BusyPointer busy(ui_);
  std::int32_t id = 0;
  // The section and the selection files of its Id go under the store's lock, so a run saving
  // at the same time cannot be given the Id while its files are removed.
  std::string lock_error;
  const std::optional<FileLock> lock = FileLock::Acquire(comps_ini_, lock_error);
  if (!lock) {
    ui_.ShowMessage(lock_error, MessageIcon::kExclamation);
    return false;
  }
  std::optional<IniDocument> document = IniDocument::Load(comps_ini_);
  if (!document) {
    ui_.ShowMessage(kProcessNotDeleted, MessageIcon::kExclamation);
    return false;
  }
  for (const std::string& section : document->SectionNames()) {
    if (SameProcess(section, name)) {
      id = StoredNumber(*document, section, kKeyId);
      break;
    }
  }
  switch (document->DeleteSection(name)) {
    case IniDocument::Edit::kRefused:
      ui_.ShowMessage(kProcessNotDeleted, MessageIcon::kExclamation);
      return false;
    case IniDocument::Edit::kUnchanged:
      break;
    case IniDocument::Edit::kChanged:
      if (!document->Save(comps_ini_)) {
        ui_.ShowMessage(kProcessNotDeleted, MessageIcon::kExclamation);
        return false;
      }
      break;
  }
  if (id >= 1) {
    DeleteSelectionFile(SelectionFile(id, SelectionSide::kSource));
    DeleteSelectionFile(SelectionFile(id, SelectionSide::kTarget));
  }
  return true;
}

}  // namespace korvane
