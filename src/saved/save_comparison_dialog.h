// SaveComparisonDialog: what the "Save Comparison Process" dialog does, without the window. The
// report windows open it with the description of the comparison they show; the window binds its
// list, name box, print box and buttons to these operations, the command line calls them
// directly.
//
// Names: the name box text is taken without leading and trailing spaces. A name that equals a
// listed process name, also when only letter case differs (both would share one section of the
// store), is offered for overwrite first; the question names the listed process. A name with a
// line break is refused before anything is asked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "saved/saved_process.h"

namespace korvane {

class Clock;
class SavedComparisonStore;
class UserInterface;

inline constexpr std::string_view kSaveComparisonCaption = "Save Comparison Process";
inline constexpr std::string_view kSaveComparisonIntro =
    "You can save comparison's process parameters so it can be re-run later.";
inline constexpr std::string_view kSaveComparisonListLabel =
    "List of previously saved comparison processes:";
inline constexpr std::string_view kSaveComparisonNameLabel =
    "Please enter the name for the process:";
inline constexpr std::string_view kSaveComparisonNoteLabel = "Note:";
inline constexpr std::string_view kSaveComparisonNote =
    "If you want to include automatic exporting in your saved comparison process, please save "
    "the process first and then export data to file. The program will add exporting info to "
    "saved comparison process.";
inline constexpr std::string_view kSaveComparisonPrintBox = "Automatically print the final report";

inline constexpr std::string_view kEnterProcessName = "Please enter a name for comparison process.";
inline constexpr std::string_view kOverwriteProcessTitle = "Overwrite Comparison Process";
inline constexpr std::string_view kProcessSaved = "Comparison process saved successfully.";
inline constexpr std::string_view kProcessNotSaved = "Comparison process not saved.";
// Shown (exclamation icon) for a name that holds a line break.
inline constexpr std::string_view kProcessNameLineBreak =
    "The name of a comparison process must be a single line.";

// The help topic of both saved-process dialogs.
inline constexpr int kSavedProcessHelpContextId = 250;

// "Comparison process with name " + name + " already exists." CR LF CR LF
// "Do you want to overwrite it?"
std::string OverwriteProcessQuestion(std::string_view name);

// The proposed name: the date as "MMM DD, YYYY" (Dec 04, 2026) + " - " + table 1.
std::string ProposedProcessName(const Clock& clock, std::string_view table_name1);

struct SaveComparisonResult {
  bool saved = false;
  std::string name;  // the name the dialog saved under (also when saving failed); empty on Cancel
};

class SaveComparisonDialog {
 public:
  enum class OkOutcome {
    kIgnored,    // an OK is already in progress
    kFocusName,  // the dialog stays open with the focus in the name box
    kClosed,     // the dialog is done; see result()
  };

  // `comparison` describes the comparison (its name, export settings, print flag and Id are not
  // used). Fills the list of saved processes and the proposed name.
  SaveComparisonDialog(SavedComparisonStore& store, UserInterface& ui, const Clock& clock,
                       SavedProcess comparison);

  // The process names in file order, as the dialog lists them.
  const std::vector<std::string>& ListedNames() const { return listed_names_; }

  // The name box's first text.
  const std::string& ProposedName() const { return proposed_name_; }

  // OK with the name box text and the print box. On kClosed the process was saved (or saving
  // failed) and the outcome was shown.
  OkOutcome Ok(std::string_view name_box_text, bool print);

  // Cancel or Esc: closes without saving.
  void Cancel();

  bool closed() const { return closed_; }
  const SaveComparisonResult& result() const { return result_; }

 private:
  SavedComparisonStore& store_;
  UserInterface& ui_;
  SavedProcess comparison_;
  std::vector<std::string> listed_names_;
  std::string proposed_name_;
  bool busy_ = false;
  bool closed_ = false;
  SaveComparisonResult result_;
};

}  // namespace korvane
