// SaveCompRunDialog: what the "Run Saved Comparison Process" dialog does, without the window:
// pick a process to run, delete processes, show a process's properties. The window binds its
// list lstComps and its buttons to these operations; `selected` is the list's selected entry,
// nothing when no entry is selected.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class SavedComparisonStore;
class UserInterface;

inline constexpr std::string_view kSaveCompRunCaption = "Run Saved Comparison Process";
inline constexpr std::string_view kSaveCompRunIntro =
    "Please select comparison processes to be run and click 'Run'.";
inline constexpr std::string_view kSaveCompRunHint =
    "Please right-click selected process to see its properties.";
inline constexpr std::string_view kConfirmProcessDeletionTitle = "Confirm Process Deletion";

// "Please select the comparison process to be " + action + "."
std::string SelectProcessPrompt(std::string_view action);

// "Are you sure you want to remove comparison process '" + name + "' ?"
std::string RemoveProcessQuestion(std::string_view name);

class SaveCompRunDialog {
 public:
  // Fills the list with the process names in file order.
  SaveCompRunDialog(SavedComparisonStore& store, UserInterface& ui);

  const std::vector<std::string>& Names() const { return names_; }

  // Run (Enter, double-click): the selected name, after which the dialog is closed; nothing,
  // with a prompt, when no entry is selected, or while another command runs.
  std::optional<std::string> Run(const std::optional<std::string>& selected);

  // Delete (Del key): after the question, removes the process with its selection files and
  // reloads the list. True when a process was removed.
  bool Delete(const std::optional<std::string>& selected);

  // Right mouse button released over the list: the properties of the selected entry, if any.
  void ShowProperties(const std::optional<std::string>& selected);

  // Cancel or Esc.
  void Cancel() { closed_ = true; }

  bool closed() const { return closed_; }

 private:
  SavedComparisonStore& store_;
  UserInterface& ui_;
  std::vector<std::string> names_;
  bool busy_ = false;
  bool closed_ = false;
};

}  // namespace korvane
