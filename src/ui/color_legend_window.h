// The "Color Schema" window: which background colour marks which kind of structure line.
#pragma once

#include <QDialog>

namespace korvane {

class ColorLegendWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit ColorLegendWindow(QWidget* parent = nullptr);
};

}  // namespace korvane
