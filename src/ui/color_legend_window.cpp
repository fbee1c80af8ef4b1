#include "ui/color_legend_window.h"

#include <QColor>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "compare/color_legend.h"
#include "ui/qt_text.h"

namespace korvane {

ColorLegendWindow::ColorLegendWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("frmColorSchema");
  setWindowTitle(ToQString(kColorLegendTitle));
  auto* layout = new QVBoxLayout(this);
  auto* introduction = new QLabel(ToQString(kColorLegendIntroduction), this);
  introduction->setObjectName("lblIntroduction");
  introduction->setWordWrap(true);
  layout->addWidget(introduction);

  auto* swatches = new QGridLayout;
  int row = 0;
  for (const ColorLegendEntry& entry : ColorLegendEntries()) {
    auto* swatch = new QLabel(this);
    swatch->setObjectName(QString("shpColor_%1").arg(row));
    swatch->setFixedSize(48, 18);
    swatch->setAutoFillBackground(true);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window,
                     QColor(entry.color.red, entry.color.green, entry.color.blue));
    swatch->setPalette(palette);
    swatch->setFrameShape(QFrame::Box);
    auto* caption = new QLabel(ToQString(entry.caption), this);
    caption->setObjectName(QString("lblColor_%1").arg(row));
    swatches->addWidget(swatch, row, 0);
    swatches->addWidget(caption, row, 1);
    ++row;
  }
  layout->addLayout(swatches);

  auto* close = new QPushButton(ToQString(kColorLegendCloseCaption), this);
  close->setObjectName("cmdClose");
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  layout->addWidget(close, 0, Qt::AlignRight);
  // Esc closes it as a dialog's Esc does.
}

}  // namespace korvane
