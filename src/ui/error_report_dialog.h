// frmErrorReport: the report of an unexpected failure, with the person's comments and e-mail
// address, sent through the browser or not at all.
#pragma once

#include <QCursor>
#include <QDialog>
#include <string_view>

#include "base/error_report.h"

class QLineEdit;
class QPlainTextEdit;

namespace korvane {

class UserInterface;

class ErrorReportDialog final : public QDialog {
  Q_OBJECT

 public:
  // `base_address` is where "Send Error Report" sends to (the program's endpoint unless a test
  // chooses another).
  ErrorReportDialog(const ErrorReport& report, UserInterface& ui, QWidget* parent = nullptr,
                    std::string_view base_address = kErrorReportBaseAddress);
  ~ErrorReportDialog() override;

 private:
  void Send();

  ErrorReport report_;
  UserInterface& ui_;
  std::string base_address_;
  QPlainTextEdit* comments_ = nullptr;
  QLineEdit* email_ = nullptr;
  bool sending_ = false;
  // The dialog shows the normal pointer while it is open, whatever the failed command set.
  bool pointer_overridden_ = false;
};

}  // namespace korvane
