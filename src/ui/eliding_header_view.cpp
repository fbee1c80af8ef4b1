#include "ui/eliding_header_view.h"

#include <QStyle>
#include <QStyleOptionHeader>

namespace korvane {

ElidingHeaderView::ElidingHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
  // As a table view's own header.
  setSectionsClickable(true);
  setHighlightSections(true);
}

QString ElidingHeaderView::ShownText(int logical_index) const {
  QStyleOptionHeader option;
  initStyleOption(&option);
  initStyleOptionForIndex(&option, logical_index);
  return option.text;
}

void ElidingHeaderView::initStyleOptionForIndex(QStyleOptionHeader* option,
                                                int logical_index) const {
  QHeaderView::initStyleOptionForIndex(option, logical_index);
  // The style draws the label inside a margin on either side and clips what does not fit.
  const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, option, this);
  const int room = sectionSize(logical_index) - margin;
  if (room > 0)
    option->text = option->fontMetrics.elidedText(option->text, Qt::ElideMiddle, room);
}

}  // namespace korvane
