// The user boundary on Qt: message boxes, file dialogs, the busy pointer, the clipboard, the
// desktop's default programs and printing.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "base/user_interface.h"

namespace korvane {

class QtUserInterface final : public UserInterface {
 public:
  // Dialogs are parented to `parent` when it is set (it may be set later, once the main window
  // exists).
  void SetParentWindow(QWidget* parent) { parent_ = parent; }

  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override;
  Answer Ask(std::string_view text, std::string_view title, Answer goes_on,
             MessageIcon icon) override;
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest& request) override;
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest& request) override;
  void SetBusy(bool busy) override;
  void ProcessPendingEvents() override;
  void SetClipboardText(std::string_view text) override;
  int OpenWithDefaultProgram(std::string_view file_or_address) override;
  bool PrintText(std::string_view document_name, std::string_view text) override;
  void ShowErrorReport(const ErrorReport& report) override;

 private:
  QPointer<QWidget> parent_;
  int busy_depth_ = 0;
};

// The Yes/No box of a question: Yes and No buttons, the default answer on the default button
// (Enter gives it), No on Escape.
std::unique_ptr<QMessageBox> BuildQuestionBox(std::string_view text, std::string_view title,
                                              Answer default_answer, MessageIcon icon,
                                              QWidget* parent);

// "Text files|*.txt|All files|*.*" -> "Text files (*.txt);;All files (*.*)".
QString QtFileFilter(std::string_view filter);

}  // namespace korvane
