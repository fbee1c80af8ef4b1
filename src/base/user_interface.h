// The boundary between the core and the person using the program. The Qt program shows real
// dialogs, the command line prints to stderr and answers questions itself, tests record.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "base/version.h"

namespace korvane {

struct ErrorReport;

enum class MessageIcon { kNone, kInformation, kExclamation, kCritical, kQuestion };

enum class Answer { kYes, kNo };

// What a file dialog asks for.
struct FileRequest {
  std::string title;
  // Filter in the "Description|*.ext|Description|*.*" form of the program's dialogs.
  std::string filter;
  std::string proposed_name;
  std::filesystem::path initial_folder;
  bool overwrite_prompt = true;  // save dialogs: ask before replacing an existing file
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A modal message with one OK button.
  virtual void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::kNone,
                           std::string_view title = kApplicationTitle) = 0;

  // A modal Yes/No question. `goes_on` is the question's default answer: the window's default
  // button (Enter gives it), and what front ends with nobody to ask (unattended runs, the
  // command line) answer.
  virtual Answer Ask(std::string_view text, std::string_view title, Answer goes_on,
                     MessageIcon icon = MessageIcon::kQuestion) = 0;

  // The chosen file, or nothing when the user cancelled.
  virtual std::optional<std::filesystem::path> RequestSaveFile(const FileRequest& request) = 0;
  virtual std::optional<std::filesystem::path> RequestOpenFile(const FileRequest& request) = 0;

  // The busy (hourglass) pointer on or off.
  virtual void SetBusy(bool busy) = 0;

  // Lets the window system handle what is pending (repaints, a Stop click) during long work.
  virtual void ProcessPendingEvents() = 0;

  virtual void SetClipboardText(std::string_view text) = 0;

  // Opens a file or a web address with the desktop's default program. 0 on success, otherwise
  // a non-zero error code.
  virtual int OpenWithDefaultProgram(std::string_view file_or_address) = 0;

  // Prints the text on the default printer under the given document name; false on failure.
  virtual bool PrintText(std::string_view document_name, std::string_view text) = 0;

  // Shows the error report of an unexpected failure; returns when the person is done with it.
  virtual void ShowErrorReport(const ErrorReport& report) = 0;
};

}  // namespace korvane
