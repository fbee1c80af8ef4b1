#include "ui/report_window.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "base/user_interface.h"
#include "compare/report_save.h"
#include "saved/saved_comparison_store.h"
#include "ui/qt_print_device.h"
#include "ui/qt_text.h"
#include "ui/qt_text_view.h"
#include "ui/save_comparison_window.h"

namespace korvane {

// The program's user interface with this window's printing: the default printer and, when there
// is none, the PDF offer (interactive) or the not-printed notice (a saved process's re-run).
class ReportWindow::PrintingInterface final : public UserInterface {
 public:
  PrintingInterface(UserInterface& inner, const PrintDeviceFactory& devices, bool unattended,
                    std::filesystem::path pdf_folder)
      : inner_(inner),
        devices_(devices),
        unattended_(unattended),
        pdf_folder_(std::move(pdf_folder)) {}

  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title) override {
    inner_.ShowMessage(text, icon, title);
  }
  Answer Ask(std::string_view text, std::string_view title, Answer goes_on,
             MessageIcon icon) override {
    return inner_.Ask(text, title, goes_on, icon);
  }
  std::optional<std::filesystem::path> RequestSaveFile(const FileRequest& request) override {
    return inner_.RequestSaveFile(request);
  }
  std::optional<std::filesystem::path> RequestOpenFile(const FileRequest& request) override {
    return inner_.RequestOpenFile(request);
  }
  void SetBusy(bool busy) override { inner_.SetBusy(busy); }
  void ProcessPendingEvents() override { inner_.ProcessPendingEvents(); }
  void SetClipboardText(std::string_view text) override { inner_.SetClipboardText(text); }
  int OpenWithDefaultProgram(std::string_view file_or_address) override {
    return inner_.OpenWithDefaultProgram(file_or_address);
  }
  bool PrintText(std::string_view document_name, std::string_view text) override {
    const std::unique_ptr<PrintDevice> device = devices_(text);
    return PrintOrOfferPdf(*device, inner_, unattended_, document_name, pdf_folder_);
  }
  void ShowErrorReport(const ErrorReport& report) override { inner_.ShowErrorReport(report); }

 private:
  UserInterface& inner_;
  const PrintDeviceFactory& devices_;
  bool unattended_;
  std::filesystem::path pdf_folder_;
};

ReportWindow::ReportWindow(ApplicationContext& context, ReportWindowState state,
                           std::string_view text, QWidget* parent)
    : QDialog(parent), context_(context), state_(std::move(state)) {
  setObjectName("frmReport");
  setWindowTitle(ToQString(state_.title));
  setModal(true);
  resize(760, 540);
  print_devices_ = [](std::string_view printed) {
    return std::make_unique<QtPrintDevice>(printed);
  };

  auto* layout = new QVBoxLayout(this);
  pane_ = new QtTextView(this);
  pane_->setObjectName("txtReport");
  pane_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // The report indents its entries with one tab: four characters wide.
  pane_->setTabStopDistance(QFontMetricsF(pane_->font()).horizontalAdvance(' ') * 4);
  pane_->SetText(text);
  layout->addWidget(pane_, 1);

  auto* buttons = new QHBoxLayout;
  auto add = [&](const QString& caption, const char* name, auto slot) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, slot);
    buttons->addWidget(button);
    return button;
  };
  QPushButton* save = add(tr("&Save Comparison"), "cmdSave", &ReportWindow::SaveComparison);
  save->setVisible(state_.save_button_visible);
  add(tr("Export To &File"), "cmdExport", &ReportWindow::ExportToFile);
  add(tr("&Print"), "cmdPrint", &ReportWindow::Print);
  add(tr("Copy To &Clipboard"), "cmdCopy", &ReportWindow::CopyToClipboard);
  buttons->addStretch(1);
  add(tr("E&xit"), "cmdExit", &ReportWindow::reject);
  layout->addLayout(buttons);
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_)
    return;
  shown_ = true;
  if (state_.running_saved_process)
    QTimer::singleShot(0, this, &ReportWindow::FirstShowing);
}

void ReportWindow::FirstShowing() {
  SavedComparisonStore store(context_.locations, context_.ui);
  StoreProcessRecorder recorder(store);
  PrintingInterface ui(context_.ui, print_devices_, true, context_.locations.data_folder);
  ShowReportFirstTime(state_, *pane_, context_.locations.data_folder, ui, &recorder);
}

void ReportWindow::SaveComparison() {
  if (state_.busy)
    return;
  state_.busy = true;
  const SaveComparisonResult result =
      SaveComparisonWindow::ShowUp(context_, SavedProcessOfReport(state_), this);
  state_.busy = false;
  RecordSavedComparison(state_, result.saved, result.name);
}

void ReportWindow::ExportToFile() {
  SavedComparisonStore store(context_.locations, context_.ui);
  StoreProcessRecorder recorder(store);
  ExportReportToFile(state_, *pane_, context_.locations.data_folder, context_.ui, &recorder);
}

void ReportWindow::Print() {
  SavedComparisonStore store(context_.locations, context_.ui);
  StoreProcessRecorder recorder(store);
  PrintingInterface ui(context_.ui, print_devices_, state_.running_saved_process,
                       context_.locations.data_folder);
  PrintReport(state_, *pane_, ui, &recorder);
}

void ReportWindow::CopyToClipboard() {
  CopyReportToClipboard(state_, *pane_, context_.ui);
}

}  // namespace korvane
