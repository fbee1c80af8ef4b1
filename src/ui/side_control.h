// Finding a control of one side of the main window by its name and side.
#pragma once

#include <QString>
#include <QWidget>

namespace korvane {

// The control named name + "_" + side ("pvlDb" and 0 find "pvlDb_0"); the window always has it.
template <typename Widget>
Widget& SideControl(const QWidget& window, const char* name, int side) {
  Widget* widget = window.findChild<Widget*>(QString("%1_%2").arg(name).arg(side));
  Q_ASSERT(widget != nullptr);
  return *widget;
}

}  // namespace korvane
