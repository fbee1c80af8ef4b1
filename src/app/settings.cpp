#include "app/settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "base/text.h"
#include "base/user_interface.h"
#include "base/version.h"

namespace korvane {
namespace {

using K = SettingKind;

// The one table of settings: key, value name, kind and default.
constexpr std::array kSettings = {
    SettingDefinition{Setting::kVerNum, "", "VerNum", K::kString, 0, ""},
    SettingDefinition{Setting::kLocation, "", "Location", K::kString, 0, ""},
    SettingDefinition{Setting::kTimeout, "", "Timeout", K::kDword, 30, ""},
    SettingDefinition{Setting::kMaxRowsInDiffTable, "", "MaxRowsInDiffTable", K::kDword, 5000, ""},
    SettingDefinition{Setting::kCacheSize, "", "CacheSize", K::kDword, 5, ""},
    SettingDefinition{Setting::kPreserveDbSel, "", "PreserveDbSel", K::kBoolean, 1, ""},
    SettingDefinition{Setting::kAutoSelTargetObj, "", "AutoSelTargetObj", K::kBoolean, 0, ""},
    SettingDefinition{Setting::kAnalyzeConstraints, "", "AnalyzeConstraints", K::kBoolean, 0, ""},
    SettingDefinition{Setting::kShowTipOfDay, "", "ShowTipOfDay", K::kBoolean, 1, ""},
    SettingDefinition{Setting::kDisplayedTipNum, "", "DisplayedTipNum", K::kDword, 0, ""},
    SettingDefinition{Setting::kServersCount, "Servers", "Count", K::kDword, 0, ""},
    SettingDefinition{Setting::kAutoConnect, "Servers", "AutoConnect", K::kBoolean, 0, ""},
    SettingDefinition{Setting::kShowOwners, "Servers", "ShowOwners", K::kBoolean, 0, ""},
    SettingDefinition{Setting::kFilterOfflineDbs, "Servers", "FilterOfflineDbs", K::kBoolean, 1,
                      ""},
    SettingDefinition{Setting::kCursorConnectionUseServer, "Servers", "CursorConnectionUseServer",
                      K::kBoolean, 1, ""},
    SettingDefinition{Setting::kCaseSensitive, "Comparisons", "CaseSensitive", K::kBoolean, 0, ""},
    SettingDefinition{Setting::kIgnoreWhitespace, "Comparisons", "IgnoreWhitespace", K::kBoolean, 1,
                      ""},
    SettingDefinition{Setting::kIgnoreComments, "Comparisons", "IgnoreComments", K::kBoolean, 1,
                      ""},
    SettingDefinition{Setting::kIgnoreIndexes, "Comparisons", "IgnoreIndexes", K::kBoolean, 0, ""},
    SettingDefinition{Setting::kIgnoreColSeq, "Comparisons", "IgnoreColSeq", K::kBoolean, 1, ""},
    SettingDefinition{Setting::kIgnoreSysObjects, "Comparisons", "IgnoreSysObjects", K::kBoolean, 1,
                      ""},
    SettingDefinition{Setting::kShowDataCompOpt, "Comparisons", "ShowDataCompOpt", K::kBoolean, 1,
                      ""},
    SettingDefinition{Setting::kPromptToSave, "Comparisons", "PromptToSave", K::kBoolean, 1, ""},
    SettingDefinition{Setting::kPageWidth, "TXText", "PageWidth", K::kDword, 20000, ""},
    SettingDefinition{Setting::kPageHeight, "TXText", "PageHeight", K::kDword, 15840, ""},
};

constexpr bool TableFollowsEnumOrder() {
  for (std::size_t i = 0; i < kSettings.size(); ++i) {
    if (static_cast<std::size_t>(kSettings[i].id) != i)
      return false;
  }
  return true;
}
static_assert(TableFollowsEnumOrder(), "kSettings must list the settings in enum order");

// A digits-only field's numeric value, held within what a setting can store.
std::uint32_t FieldNumber(std::string_view text) {
  const double value = LeadingNumber(text);
  if (!(value > 0))
    return 0;
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::uint32_t>(std::min(std::nearbyint(value), kMax));
}

}  // namespace

std::span<const SettingDefinition> AllSettings() {
  return kSettings;
}

const SettingDefinition& DefinitionOf(Setting setting) {
  return kSettings[static_cast<std::size_t>(setting)];
}

std::uint32_t ReadNumber(const SettingsStore& store, Setting setting) {
  const SettingDefinition& d = DefinitionOf(setting);
  return store.GetNumber(SettingsKeyPath(d.subkey), d.name, d.default_number);
}

bool ReadBoolean(const SettingsStore& store, Setting setting) {
  const SettingDefinition& d = DefinitionOf(setting);
  const auto value = store.GetValue(SettingsKeyPath(d.subkey), d.name);
  if (!value || value->kind != RegistryValue::Kind::kDword)
    return d.default_number == 1;
  return value->number == 1;
}

std::string ReadString(const SettingsStore& store, Setting setting) {
  const SettingDefinition& d = DefinitionOf(setting);
  return store.GetString(SettingsKeyPath(d.subkey), d.name, d.default_text);
}

bool WriteNumber(SettingsStore& store, Setting setting, std::uint32_t value) {
  const SettingDefinition& d = DefinitionOf(setting);
  return store.SaveNumber(SettingsKeyPath(d.subkey), d.name, value);
}

bool WriteBoolean(SettingsStore& store, Setting setting, bool on) {
  return WriteNumber(store, setting, on ? 1 : 0);
}

bool WriteString(SettingsStore& store, Setting setting, std::string_view text) {
  const SettingDefinition& d = DefinitionOf(setting);
  return store.SaveString(SettingsKeyPath(d.subkey), d.name, text);
}

void CheckSettingsVersion(SettingsStore& store) {
  if (ReadString(store, Setting::kVerNum) != kProgramVersion) {
    WriteString(store, Setting::kVerNum, kProgramVersion);
  }
}

LoadedSettings LoadSettings(const SettingsStore& store, bool debug_mode) {
  const SettingsStore::ReadScope one_read(store);
  LoadedSettings s;
  s.timeout = ReadNumber(store, Setting::kTimeout);
  s.max_rows_in_diff_table = ReadNumber(store, Setting::kMaxRowsInDiffTable);
  s.show_owners = ReadBoolean(store, Setting::kShowOwners);
  s.case_sensitive = ReadBoolean(store, Setting::kCaseSensitive);
  s.ignore_whitespace = ReadBoolean(store, Setting::kIgnoreWhitespace);
  s.ignore_comments = ReadBoolean(store, Setting::kIgnoreComments);
  s.ignore_indexes = ReadBoolean(store, Setting::kIgnoreIndexes);
  s.cursor_location = ReadBoolean(store, Setting::kCursorConnectionUseServer) ? kServerSideCursor
                                                                              : kClientSideCursor;
  s.cache_size = ReadNumber(store, Setting::kCacheSize);
  s.ignore_sys_objects = ReadBoolean(store, Setting::kIgnoreSysObjects);
  s.filter_offline_dbs = debug_mode ? ReadBoolean(store, Setting::kFilterOfflineDbs) : true;
  s.ignore_col_seq = ReadBoolean(store, Setting::kIgnoreColSeq);
  s.auto_sel_target_obj = ReadBoolean(store, Setting::kAutoSelTargetObj);
  s.analyze_constraints = ReadBoolean(store, Setting::kAnalyzeConstraints);
  return s;
}

TextViewPageSize ReadTextViewPageSize(const SettingsStore& store) {
  const SettingsStore::ReadScope one_read(store);
  TextViewPageSize size;
  size.width = std::max<std::uint32_t>(ReadNumber(store, Setting::kPageWidth), 20000);
  size.height = std::max<std::uint32_t>(ReadNumber(store, Setting::kPageHeight), 15840);
  return size;
}

OptionsValues ReadOptions(const SettingsStore& store) {
  const SettingsStore::ReadScope one_read(store);
  OptionsValues v;
  v.auto_connect = ReadBoolean(store, Setting::kAutoConnect);
  v.show_owners = ReadBoolean(store, Setting::kShowOwners);
  v.max_rows_text = std::to_string(ReadNumber(store, Setting::kMaxRowsInDiffTable));
  v.case_sensitive = ReadBoolean(store, Setting::kCaseSensitive);
  v.ignore_whitespace = ReadBoolean(store, Setting::kIgnoreWhitespace);
  v.ignore_comments = ReadBoolean(store, Setting::kIgnoreComments);
  v.ignore_indexes = ReadBoolean(store, Setting::kIgnoreIndexes);
  v.server_side_cursor = ReadBoolean(store, Setting::kCursorConnectionUseServer);
  v.cache_size_text = std::to_string(ReadNumber(store, Setting::kCacheSize));
  v.ignore_sys_objects = ReadBoolean(store, Setting::kIgnoreSysObjects);
  v.show_data_comp_opt = ReadBoolean(store, Setting::kShowDataCompOpt);
  v.preserve_db_sel = ReadBoolean(store, Setting::kPreserveDbSel);
  v.ignore_col_seq = ReadBoolean(store, Setting::kIgnoreColSeq);
  v.auto_sel_target_obj = ReadBoolean(store, Setting::kAutoSelTargetObj);
  v.analyze_constraints = ReadBoolean(store, Setting::kAnalyzeConstraints);
  v.prompt_to_save = ReadBoolean(store, Setting::kPromptToSave);
  return v;
}

void ValidateOptions(OptionsValues& values, UserInterface& ui) {
  if (LeadingNumber(values.max_rows_text) < 10) {
    ui.ShowMessage(kRowsTooFewMessage, MessageIcon::kExclamation);
    values.max_rows_text = "10";
  }
  if (LeadingNumber(values.cache_size_text) < 1) {
    ui.ShowMessage(kCacheTooSmallMessage, MessageIcon::kExclamation);
    values.cache_size_text = "1";
  }
}

bool SaveOptions(SettingsStore& store, const OptionsValues& v, LoadedSettings& loaded) {
  const std::uint32_t rows = FieldNumber(v.max_rows_text);
  const std::uint32_t cache = FieldNumber(v.cache_size_text);
  // One file write for the whole dialog, values in the order of the tabs.
  const bool saved = store.Update([&](RegistryTree& tree) {
    auto put = [&tree](Setting setting, std::uint32_t number) {
      const SettingDefinition& d = DefinitionOf(setting);
      tree.SetValue(SettingsKeyPath(d.subkey), d.name, RegistryValue::Dword(number));
    };
    put(Setting::kAutoConnect, v.auto_connect);
    put(Setting::kShowOwners, v.show_owners);
    put(Setting::kMaxRowsInDiffTable, rows);
    put(Setting::kCaseSensitive, v.case_sensitive);
    put(Setting::kIgnoreWhitespace, v.ignore_whitespace);
    put(Setting::kIgnoreComments, v.ignore_comments);
    put(Setting::kIgnoreIndexes, v.ignore_indexes);
    put(Setting::kCursorConnectionUseServer, v.server_side_cursor);
    put(Setting::kCacheSize, cache);
    put(Setting::kIgnoreSysObjects, v.ignore_sys_objects);
    put(Setting::kShowDataCompOpt, v.show_data_comp_opt);
    put(Setting::kPreserveDbSel, v.preserve_db_sel);
    put(Setting::kIgnoreColSeq, v.ignore_col_seq);
    put(Setting::kAutoSelTargetObj, v.auto_sel_target_obj);
    put(Setting::kAnalyzeConstraints, v.analyze_constraints);
    put(Setting::kPromptToSave, v.prompt_to_save);
  });
  loaded.show_owners = v.show_owners;
  loaded.max_rows_in_diff_table = rows;
  loaded.case_sensitive = v.case_sensitive;
  loaded.ignore_whitespace = v.ignore_whitespace;
  loaded.ignore_comments = v.ignore_comments;
  loaded.ignore_indexes = v.ignore_indexes;
  loaded.cursor_location = v.server_side_cursor ? kServerSideCursor : kClientSideCursor;
  loaded.cache_size = cache;
  loaded.ignore_sys_objects = v.ignore_sys_objects;
  loaded.ignore_col_seq = v.ignore_col_seq;
  loaded.auto_sel_target_obj = v.auto_sel_target_obj;
  loaded.analyze_constraints = v.analyze_constraints;
  return saved;
}

std::string DigitsOnly(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c >= '0' && c <= '9')
      out.push_back(c);
  }
  return out;
}

std::vector<OptionsReaction> OptionsReactions(const LoadedSettings& before,
                                              const LoadedSettings& after) {
  using Kind = OptionsReaction::Kind;
  std::vector<OptionsReaction> reactions;
  if (before.show_owners != after.show_owners)
    reactions.push_back({Kind::kRedoOwnerLayout, ""});
  if (before.cursor_location != after.cursor_location) {
    reactions.push_back({Kind::kReloadBothSides,
                         "Cursor location setting was changed.\r\n\r\n"
                         "Please click OK and wait while the connections are refreshed."});
  }
  if (before.cache_size != after.cache_size && after.cursor_location == kClientSideCursor) {
    reactions.push_back({Kind::kCacheSizeNotice,
                         "Cache Size setting was changed.\r\n\r\n"
                         "Please note that this setting has meaning only when Cursor Location "
                         "is set to server-side."});
  }
  if (before.analyze_constraints != after.analyze_constraints) {
    reactions.push_back({Kind::kRefreshObjectTypes,
                         "Setting 'Treat Constraints as a separate object type' changed.\r\n\r\n"
                         "Please click OK and wait while the display is refreshed."});
  }
  return reactions;
}

bool IsTimeoutKeyAccepted(int key_code) {
  return (key_code >= '0' && key_code <= '9') || key_code == 8;
}

bool SaveTimeout(SettingsStore& store, LoadedSettings& loaded, std::string_view text,
                 UserInterface& ui) {
  bool valid = !text.empty() && IsNumeric(text);
  std::optional<std::int32_t> seconds;
  if (valid) {
    seconds = RoundToInt32(std::trunc(LeadingNumber(text)));
    valid = seconds.has_value() && *seconds >= 0;
  }
  if (!valid) {
    ui.ShowMessage(kTimeoutRejectedMessage, MessageIcon::kExclamation, kTimeoutRejectedTitle);
    return false;
  }
  if (!WriteNumber(store, Setting::kTimeout, static_cast<std::uint32_t>(*seconds))) {
    ui.ShowMessage(store.last_error(), MessageIcon::kExclamation, kSettingsNotSavedTitle);
    return false;
  }
  loaded.timeout = static_cast<std::uint32_t>(*seconds);
  return true;
}

bool SaveDebugOptions(SettingsStore& store, LoadedSettings& loaded, bool filter_offline_dbs,
                      std::string_view page_width_text, std::string_view page_height_text) {
  // One file write for the dialog.
  const bool saved = store.Update([&](RegistryTree& tree) {
    auto put = [&tree](Setting setting, std::uint32_t number) {
      const SettingDefinition& d = DefinitionOf(setting);
      tree.SetValue(SettingsKeyPath(d.subkey), d.name, RegistryValue::Dword(number));
    };
    put(Setting::kFilterOfflineDbs, filter_offline_dbs ? 1 : 0);
    if (IsNumeric(page_width_text))
      put(Setting::kPageWidth, FieldNumber(page_width_text));
    if (IsNumeric(page_height_text))
      put(Setting::kPageHeight, FieldNumber(page_height_text));
  });
  if (saved)
    loaded.filter_offline_dbs = filter_offline_dbs;
  return saved;
}

}  // namespace korvane
