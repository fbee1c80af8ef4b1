#include "ui/data_analyze_window.h"

#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "base/text.h"
#include "base/user_interface.h"
#include "export/export_texts.h"
#include "ui/export_dialog.h"
#include "ui/ignore_columns_dialogs.h"
#include "ui/qt_text.h"

namespace korvane {

void DataAnalyzeWindow::ShowUp(ApplicationContext& context, const ViewedTable& table,
                               QWidget* parent) {
  CountedTable counted = CountViewedTable(context, table);
  if (!counted.opened)
    return;
  DataAnalyzeWindow window(context, table, std::move(counted), parent);
  window.exec();
}

DataAnalyzeWindow::DataAnalyzeWindow(ApplicationContext& context, const ViewedTable& table,
                                     CountedTable counted, QWidget* parent)
    : QDialog(parent), context_(context), table_(table), counted_(std::move(counted)) {
  setObjectName("frmDataAnalyze");
  setWindowTitle(ToQString(AnalyzerCaption(table_.table)));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(ToQString(counted_.label), this);
  label->setObjectName("lblTable");
  layout->addWidget(label);
  instructions_ = new QLabel(
      ToQString(std::string(kAnalyzerStartHint) + "\n\n" + std::string(kAnalyzerExplanation) +
                "\n\n" + std::string(kAnalyzerStopHint)),
      this);
  instructions_->setObjectName("lblInstructions");
  instructions_->setWordWrap(true);
  layout->addWidget(instructions_);

  auto* choices = new QHBoxLayout;
  auto* records_label = new QLabel(ToQString(kRecordsToAnalyzeCaption), this);
  records_ = new QLineEdit(ToQString(FormatNumber(counted_.count)), this);
  records_->setObjectName("txtRecords");
  records_label->setBuddy(records_);
  choices->addWidget(records_label);
  choices->addWidget(records_);
  auto* frequency = new QGroupBox(ToQString(kFrequencyCaption), this);
  frequency->setObjectName("fraFrequency");
  auto* frequency_layout = new QHBoxLayout(frequency);
  most_ = new QRadioButton(ToQString(kMostFrequently), frequency);
  most_->setObjectName("optMost");
  most_->setChecked(true);
  least_ = new QRadioButton(ToQString(kLeastFrequently), frequency);
  least_->setObjectName("optLeast");
  frequency_layout->addWidget(most_);
  frequency_layout->addWidget(least_);
  choices->addWidget(frequency);
  ignore_ = new QPushButton(ToQString(kIgnoreColumnsCaption), this);
  ignore_->setObjectName("cmdIgnoreColumns");
  choices->addWidget(ignore_);
  layout->addLayout(choices);

  auto* progress = new QGridLayout;
  column_ = new QLabel(this);
  column_->setObjectName("lblColumn");
  column_progress_ = new QProgressBar(this);
  column_progress_->setObjectName("prgColumns");
  row_ = new QLabel(this);
  row_->setObjectName("lblRow");
  row_progress_ = new QProgressBar(this);
  row_progress_->setObjectName("prgRows");
  row_progress_->setRange(0, 100);
  elapsed_ = new QLabel(this);
  elapsed_->setObjectName("lblElapsed");
  progress->addWidget(column_, 0, 0);
  progress->addWidget(column_progress_, 0, 1);
  progress->addWidget(row_, 1, 0);
  progress->addWidget(row_progress_, 1, 1);
  progress->addWidget(elapsed_, 1, 2);
  layout->addLayout(progress);

  grid_ = new QTableWidget(0, static_cast<int>(AnalyzerHeaders().size()), this);
  grid_->setObjectName("rptData");
  grid_->setFont(QFont("Tahoma"));
  QStringList headers;
  for (const std::string& header : AnalyzerHeaders())
    headers << ToQString(header);
  grid_->setHorizontalHeaderLabels(headers);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  layout->addWidget(grid_, 1);

  auto* buttons = new QHBoxLayout;
  start_ = new QPushButton(ToQString(kStartCaption), this);
  start_->setObjectName("cmdStart");
  stop_ = new QPushButton(tr("S&top (F6)"), this);
  stop_->setObjectName("cmdStop");
  stop_->setEnabled(false);
  auto* print = new QPushButton(tr("&Print"), this);
  print->setObjectName("cmdPrint");
  auto* preview = new QPushButton(ToQString(kPrintPreviewCaption), this);
  preview->setObjectName("cmdPreview");
  auto* page_setup = new QPushButton(tr("Page Set&up"), this);
  page_setup->setObjectName("cmdPageSetup");
  auto* export_button = new QPushButton(ToQString(kExportCaptionAnalyzer), this);
  export_button->setObjectName("cmdExport");
  exit_ = new QPushButton(tr("E&xit"), this);
  exit_->setObjectName("cmdExit");
  for (QPushButton* button : {start_, stop_, print, preview, page_setup, export_button, exit_})
    buttons->addWidget(button);
  layout->addLayout(buttons);

  connect(start_, &QPushButton::clicked, this, &DataAnalyzeWindow::StartCommand);
  connect(stop_, &QPushButton::clicked, this, [this] { requests_.stop = true; });
  connect(exit_, &QPushButton::clicked, this, &DataAnalyzeWindow::close);
  connect(ignore_, &QPushButton::clicked, this, &DataAnalyzeWindow::IgnoreColumnsCommand);
  connect(print, &QPushButton::clicked, this, [this] { PrintCommand(false); });
  connect(preview, &QPushButton::clicked, this, [this] { PrintCommand(true); });
  connect(page_setup, &QPushButton::clicked, this, &DataAnalyzeWindow::PageSetupCommand);
  connect(export_button, &QPushButton::clicked, this, &DataAnalyzeWindow::ExportCommand);
  auto* f5 = new QShortcut(QKeySequence(Qt::Key_F5), this);
  connect(f5, &QShortcut::activated, start_, &QPushButton::click);
  auto* f6 = new QShortcut(QKeySequence(Qt::Key_F6), this);
  connect(f6, &QShortcut::activated, stop_, &QPushButton::click);
  resize(900, 560);
}

DataAnalyzeWindow::~DataAnalyzeWindow() = default;

void DataAnalyzeWindow::SetRunning(bool running) {
  running_ = running;
  start_->setEnabled(!running);
  stop_->setEnabled(running);
  ignore_->setEnabled(!running);
}

void DataAnalyzeWindow::StartCommand() {
  if (running_)
    return;
  const std::int64_t typed = ParseRecordsToAnalyze(ToStdString(records_->text()));
  const std::int64_t records = RowsToAnalyze(typed, counted_.count);
  records_->setText(ToQString(FormatNumber(records)));
  requests_ = {};
  report_.clear();
  grid_->setRowCount(0);
  column_progress_->setValue(0);
  row_progress_->setValue(0);
  instructions_->hide();
  SetRunning(true);
  const AnalyzerRun run =
      RunAnalysis(context_, counted_, table_.database, table_.table, table_.object_id, records,
                  least_->isChecked(), requests_, this);
  SetRunning(false);
  if (requests_.exit)
    QDialog::reject();
  (void)run;
}

void DataAnalyzeWindow::ShowColumn(std::string_view column, int index, int total) {
  column_->setText(ToQString(column));
  column_progress_->setRange(0, total);
  column_progress_->setValue(index);
}

void DataAnalyzeWindow::ShowRow(std::string_view row_text, int percent, std::string_view elapsed) {
  row_->setText(ToQString(row_text));
  row_progress_->setValue(percent);
  elapsed_->setText(ToQString(elapsed));
  emit rowShown();
}

void DataAnalyzeWindow::RowAdded(const AnalyzerRow& row) {
  report_.push_back(row);
  const int at = grid_->rowCount();
  grid_->insertRow(at);
  const std::vector<std::string> cells = row.Cells();
  for (std::size_t k = 0; k < cells.size(); ++k) {
    auto* item = new QTableWidgetItem(DisplayText(cells[k]));
    if (k == 2 || (k >= 4 && k % 2 == 0))
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid_->setItem(at, static_cast<int>(k), item);
  }
}

void DataAnalyzeWindow::IgnoreColumnsCommand() {
  if (IgnoreColumnsAddDialog::ShowUp(context_, IgnoredColumnsKind::DataAnalysis, table_, this)) {
    // The next run leaves the newly ignored columns out; what was analyzed is cleared.
    report_.clear();
    grid_->setRowCount(0);
  }
}

std::string DataAnalyzeWindow::ReportText() const {
  std::string text;
  const std::vector<std::string> headers = AnalyzerHeaders();
  auto line = [&text](const std::vector<std::string>& cells) {
    for (std::size_t k = 0; k < cells.size(); ++k)
      text += (k == 0 ? "" : "\t") + cells[k];
    text += kCrLf;
  };
  line(headers);
  for (const AnalyzerRow& row : report_)
    line(row.Cells());
  return text;
}

void DataAnalyzeWindow::PrintCommand(bool preview) {
  if (report_.empty()) {
    context_.ui.ShowMessage(kNothingToPrint, MessageIcon::kInformation);
    return;
  }
  if (!printer_)
    printer_ = std::make_unique<QPrinter>();
  QTextDocument document;
  document.setDefaultFont(QFont("Tahoma", 8));
  document.setPlainText(ToQString(ReportText()));
  if (preview) {
    QPrintPreviewDialog dialog(printer_.get(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [&document](QPrinter* printer) { document.print(printer); });
    dialog.exec();
    return;
  }
  QPrintDialog dialog(printer_.get(), this);
  if (dialog.exec() == QDialog::Accepted)
    document.print(printer_.get());
}

void DataAnalyzeWindow::PageSetupCommand() {
  if (!printer_)
    printer_ = std::make_unique<QPrinter>();
  QPageSetupDialog dialog(printer_.get(), this);
  dialog.exec();
}

void DataAnalyzeWindow::ExportCommand() {
  if (report_.empty()) {
    context_.ui.ShowMessage(kNothingToExport, MessageIcon::kInformation);
    return;
  }
  const DiffGrid grid = AnalyzerGrid(report_);
  ExportDialog dialog(context_, static_cast<std::int32_t>(ExportSourceMode::kDataAnalyzer), grid,
                      AnalyzerExportPage(counted_, table_.table), this);
  dialog.exec();
}

void DataAnalyzeWindow::closeEvent(QCloseEvent* event) {
  if (running_) {
    requests_.exit = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void DataAnalyzeWindow::reject() {
  if (running_) {
    requests_.exit = true;
    return;
  }
  QDialog::reject();
}

}  // namespace korvane
