// UTF-8 std::string and QString, and the CR LF texts of the core shown in Qt widgets.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace korvane {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) {
  return text.toUtf8().toStdString();
}

// A core text with CR LF breaks as a label shows it (line feeds only).
QString DisplayText(std::string_view text);

}  // namespace korvane
