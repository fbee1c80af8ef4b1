#include "ui/digits_field.h"

#include <QLineEdit>

#include "app/settings.h"
#include "ui/qt_text.h"

namespace korvane {

void KeepDigitsOnly(QLineEdit* field) {
  QObject::connect(field, &QLineEdit::textChanged, field, [field](const QString& text) {
    const QString digits = ToQString(DigitsOnly(ToStdString(text)));
    if (digits == text)
      return;
    // The cursor stays behind the digits that were before it.
    const QString before = text.left(field->cursorPosition());
    const auto cursor = ToQString(DigitsOnly(ToStdString(before))).size();
    field->setText(digits);
    field->setCursorPosition(static_cast<int>(cursor));
  });
}

}  // namespace korvane
