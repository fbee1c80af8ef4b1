#include "ui/compare_data_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/application_context.h"
#include "export/grid_export.h"
#include "saved/saved_comparison_store.h"
#include "ui/data_diff_grid_model.h"
#include "ui/data_diff_grid_view.h"
#include "ui/export_dialog.h"
#include "ui/qt_text.h"
#include "ui/save_comparison_window.h"

namespace korvane {
namespace {

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

CompareDataWindow::CompareDataWindow(ApplicationContext& context,
                                     const DataDifferencesWindow& window,
                                     std::optional<SavedProcess> comparison, QWidget* parent)
    : QDialog(parent), context_(context), window_(window), comparison_(std::move(comparison)) {
  setObjectName("frmCompareData");
  setWindowTitle(ToQString(window_.caption));
  setModal(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);

  auto* layout = new QVBoxLayout(this);
  for (int side = 0; side < 2; ++side) {
    layout->addWidget(
        NamedLabel(QString("lblTable_%1").arg(side), ToQString(window_.table_labels[side]), this));
  }
  QLabel* information = NamedLabel("lblInfo", DisplayText(window_.information_label), this);
  layout->addWidget(information);
  QLabel* ignored = NamedLabel("lblIgnoredColumns", ToQString(window_.ignored_columns_label), this);
  ignored->setVisible(window_.ignored_columns_visible);
  layout->addWidget(ignored);
  QLabel* note = NamedLabel("lblNote", ToQString(window_.note_label), this);
  note->setStyleSheet("color: #C00000; font-weight: bold;");
  note->setVisible(window_.note_visible);
  layout->addWidget(note);

  model_ = new DataDiffGridModel(window_.grid, this);
  grid_ = new DataDiffGridView(this);
  grid_->setObjectName("grdDiff");
  grid_->SetGrid(model_, window_.grid.ColumnWidthsTwips());
  layout->addWidget(grid_, 1);

  auto* statistics = new QGridLayout;
  for (int i = 0; i < 3; ++i) {
    statistics->addWidget(
        NamedLabel(QString("lblStats_%1").arg(i), ToQString(kStatisticsCaptions[i]), this), i, 0);
    auto* value = NamedLabel(QString("lblStats_%1").arg(3 + i),
                             ToQString(window_.grid.statistics()[i]), this);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(80);
    statistics->addWidget(value, i, 1);
  }
  statistics->setColumnStretch(2, 1);

  export_ = new QPushButton(tr("&Export..."), this);
  export_->setObjectName("cmdExport");
  connect(export_, &QPushButton::clicked, this, &CompareDataWindow::ExportCommand);
  save_ = new QPushButton(tr("&Save Comparison..."), this);
  save_->setObjectName("cmdSave");
  save_->setEnabled(comparison_.has_value());
  connect(save_, &QPushButton::clicked, this, [this] {
    const SaveComparisonResult saved = SaveComparisonWindow::ShowUp(context_, *comparison_, this);
    if (saved.saved)
      saved_process_name_ = saved.name;
  });
  auto* close = new QPushButton(tr("&Close"), this);
  close->setObjectName("cmdClose");
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* bottom = new QHBoxLayout;
  bottom->addLayout(statistics, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(export_);
  buttons->addWidget(save_);
  buttons->addWidget(close);
  bottom->addLayout(buttons);
  layout->addLayout(bottom);
  resize(900, 600);
}

void CompareDataWindow::ExportCommand() {
  ExportDialog dialog(context_, static_cast<std::int32_t>(ExportSourceMode::kDifferencesWindow),
                      window_.grid, DifferencesWindowPage(window_), this);
  dialog.exec();
  // An export of a comparison that is a saved process is repeated by its re-runs.
  const std::string& process = !saved_process_name_.empty()
                                   ? saved_process_name_
                                   : (comparison_ ? comparison_->name : saved_process_name_);
  if (dialog.outcome() && dialog.outcome()->written() && !process.empty()) {
    SavedComparisonStore store(context_.locations, context_.ui);
    AttachExportToSavedProcess(context_, store, process, *dialog.outcome());
  }
}

}  // namespace korvane
