// The column header of the data grids: a name wider than its column is shortened in the middle
// ("colum…ber 59"), so that names which begin alike stay apart; the whole name is the header's
// tool tip when the model gives one.
#pragma once

#include <QHeaderView>

namespace korvane {

class ElidingHeaderView final : public QHeaderView {
  Q_OBJECT

 public:
  explicit ElidingHeaderView(QWidget* parent = nullptr);

  // The text the header draws for the column: the model's name, shortened to the section.
  QString ShownText(int logical_index) const;

 protected:
  void initStyleOptionForIndex(QStyleOptionHeader* option, int logical_index) const override;
};

}  // namespace korvane
