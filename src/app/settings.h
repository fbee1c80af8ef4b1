// Every setting of the program, declared once with its key, kind and default; the copies
// loaded at start-up; the version check; and the rules of the Options, Timeout and debug
// options dialogs, which the windows call.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings_store.h"

namespace korvane {

class UserInterface;

// Root of the program's settings, relative to HKEY_CURRENT_USER.

enum class Setting {
  kVerNum,
  kLocation,
  kTimeout,
  kMaxRowsInDiffTable,
  kCacheSize,
  kPreserveDbSel,
  kAutoSelTargetObj,
  kAnalyzeConstraints,
  kShowTipOfDay,
  kDisplayedTipNum,
  kServersCount,
  kAutoConnect,
  kShowOwners,
  kFilterOfflineDbs,
  kCursorConnectionUseServer,
  kCaseSensitive,
  kIgnoreWhitespace,
  kIgnoreComments,
  kIgnoreIndexes,
  kIgnoreColSeq,
  kIgnoreSysObjects,
  kShowDataCompOpt,
  kPromptToSave,
  kPageWidth,
  kPageHeight,
};

enum class SettingKind {
  kDword,
  kBoolean,  // a DWORD: on exactly when it is 1
  kString,
};

struct SettingDefinition {
  Setting id;
  std::string_view subkey;  // "" for the root key, else "Servers", "Comparisons", "TXText"
  std::string_view name;
  SettingKind kind;
  std::uint32_t default_number;   // DWORD and boolean settings (booleans: 1 on, 0 off)
  std::string_view default_text;  // string settings
};

std::span<const SettingDefinition> AllSettings();
const SettingDefinition& DefinitionOf(Setting setting);

std::uint32_t ReadNumber(const SettingsStore& store, Setting setting);
bool ReadBoolean(const SettingsStore& store, Setting setting);
std::string ReadString(const SettingsStore& store, Setting setting);
// Writes one setting; false when the store could not be written (store.last_error() says why).
bool WriteNumber(SettingsStore& store, Setting setting, std::uint32_t value);
bool WriteBoolean(SettingsStore& store, Setting setting, bool on);
bool WriteString(SettingsStore& store, Setting setting, std::string_view text);

// Title of the message that reports a settings change that could not be written.
inline constexpr std::string_view kSettingsNotSavedTitle = "Settings Not Saved";

// Cursor locations as the data-access layer takes them.
inline constexpr int kServerSideCursor = 2;
inline constexpr int kClientSideCursor = 3;

// The settings read once at start-up and used from memory afterwards.
struct LoadedSettings {
  std::uint32_t timeout = 30;
  std::uint32_t max_rows_in_diff_table = 5000;
  bool show_owners = false;
  bool case_sensitive = false;
  bool ignore_whitespace = true;
  bool ignore_comments = true;
  bool ignore_indexes = false;
  int cursor_location = kServerSideCursor;
  std::uint32_t cache_size = 5;
  bool ignore_sys_objects = true;
  bool filter_offline_dbs = true;
  bool ignore_col_seq = true;
  bool auto_sel_target_obj = false;
  bool analyze_constraints = false;

  friend bool operator==(const LoadedSettings&, const LoadedSettings&) = default;
};

// Writes the program version to "VerNum" when the stored one differs.
void CheckSettingsVersion(SettingsStore& store);

// Reads the loaded settings. "FilterOfflineDbs" is read only in debug mode; otherwise it is on.
LoadedSettings LoadSettings(const SettingsStore& store, bool debug_mode);

// Page size of the structure text views in twips, raised to 20000 by 15840 at least.
struct TextViewPageSize {
  std::uint32_t width = 20000;
  std::uint32_t height = 15840;
};
TextViewPageSize ReadTextViewPageSize(const SettingsStore& store);

// --- Options dialog --------------------------------------------------------------------------

// What the Options dialog shows and edits, one member per tab.
struct OptionsValues {
  bool auto_connect = false;
  bool show_owners = false;
  std::string max_rows_text;  // digits only
  bool case_sensitive = false;
  bool ignore_whitespace = true;
  bool ignore_comments = true;
  bool ignore_indexes = false;
  bool server_side_cursor = true;
  std::string cache_size_text;  // digits only
  bool ignore_sys_objects = true;
  bool show_data_comp_opt = true;
  bool preserve_db_sel = true;
  bool ignore_col_seq = true;
  bool auto_sel_target_obj = false;
  bool analyze_constraints = false;
  bool prompt_to_save = true;
};

inline constexpr std::string_view kRowsTooFewMessage =
    "Maximum number of rows displayed in differences table cannot be smaller than 10.\r\n\r\n"
    "Program will reset this value to 10.";
inline constexpr std::string_view kCacheTooSmallMessage =
    "Cache Size cannot be smaller than 1.\r\n\r\nProgram will reset this value to 1.";

// The stored values, as the dialog opens showing them.
OptionsValues ReadOptions(const SettingsStore& store);

// The dialog's validation: a rows value below 10 and a cache value below 1 are reported
// (exclamation icon) and reset to 10 and 1.
void ValidateOptions(OptionsValues& values, UserInterface& ui);

// Writes every option in the order of the tabs and updates the loaded copies. False when the
// store could not be written (store.last_error() says why).
bool SaveOptions(SettingsStore& store, const OptionsValues& values, LoadedSettings& loaded);

// Keeps only the characters a digits-only field accepts.
std::string DigitsOnly(std::string_view text);

// What the main window does after the Options dialog saved, in this order.
struct OptionsReaction {
  enum class Kind {
    kRedoOwnerLayout,     // show or hide the owner selectors and refill them
    kReloadBothSides,     // cursor location changed: reload both sides
    kCacheSizeNotice,     // only the message
    kRefreshObjectTypes,  // "AnalyzeConstraints" changed: refill types, reload both sides
  };
  Kind kind;
  std::string message;  // shown first (information icon) when not empty
};
std::vector<OptionsReaction> OptionsReactions(const LoadedSettings& before,
                                              const LoadedSettings& after);

// --- Timeout dialog --------------------------------------------------------------------------

inline constexpr std::string_view kTimeoutExplanation =
    "Timeout indicates, in seconds, how long to wait while executing a command before "
    "terminating the attempt. Default is 30.\r\n\r\n"
    "Sometimes due to delays from network traffic or heavy server use, server is not as "
    "responsive as usual and increasing timeout can prevent application from cancelling the "
    "attempt.\r\n\r\n"
    "If you set the timeout to zero, KVN will wait indefinitely until the execution is "
    "complete.";
inline constexpr std::string_view kTimeoutRejectedMessage =
    "Entered value is not valid. Timeout is not changed.";
inline constexpr std::string_view kTimeoutRejectedTitle = "Changes Not Saved";

// True for the keys the time-out field accepts: digits and Backspace (8).
bool IsTimeoutKeyAccepted(int key_code);

// OK of the Timeout dialog: a non-empty whole number from 0 up is written to "Timeout" and to
// the loaded copy; anything else shows the refusal and changes nothing, and a failed write is
// reported (title kSettingsNotSavedTitle). True when saved.
bool SaveTimeout(SettingsStore& store, LoadedSettings& loaded, std::string_view text,
                 UserInterface& ui);

// --- Debug options dialog --------------------------------------------------------------------

// Writes "FilterOfflineDbs" (and its loaded copy) and the page size fields; an empty or
// non-numeric page field leaves its setting as it was. One file write; false when it failed
// (store.last_error() says why).
bool SaveDebugOptions(SettingsStore& store, LoadedSettings& loaded, bool filter_offline_dbs,
                      std::string_view page_width_text, std::string_view page_height_text);

}  // namespace korvane
