// frmReport ("Comparison Report"): the report text of a comparison with Save Comparison, Export
// To File, Print, Copy To Clipboard and Exit (Esc closes). The actions are the core's
// (compare/report_window.h); the window shows the pane and forwards the clicks. Opened for a
// saved process being re-run, it exports and prints by itself when first shown, asking nothing.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "compare/report_printing.h"
#include "compare/report_window.h"

class QPushButton;

namespace korvane {

struct ApplicationContext;
class QtTextView;

// Makes the device that prints a text; the Qt printer by default.
using PrintDeviceFactory = std::function<std::unique_ptr<PrintDevice>(std::string_view text)>;

class ReportWindow final : public QDialog {
  Q_OBJECT

 public:
  // `text` is the report; the window's caption is `state.title`.
  ReportWindow(ApplicationContext& context, ReportWindowState state, std::string_view text,
               QWidget* parent = nullptr);
  ~ReportWindow() override;

  void SetPrintDeviceFactory(PrintDeviceFactory factory) { print_devices_ = std::move(factory); }

  const ReportWindowState& state() const { return state_; }
  QtTextView& pane() const { return *pane_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  class PrintingInterface;

  void SaveComparison();
  void ExportToFile();
  void Print();
  void CopyToClipboard();
  void FirstShowing();

  ApplicationContext& context_;
  ReportWindowState state_;
  QtTextView* pane_ = nullptr;
  PrintDeviceFactory print_devices_;
  bool shown_ = false;
};

}  // namespace korvane
