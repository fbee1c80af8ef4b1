#include "ui/qt_text.h"

#include "base/text.h"

namespace korvane {

QString DisplayText(std::string_view text) {
  return ToQString(ReplaceAll(text, "\r\n", "\n"));
}

}  // namespace korvane
