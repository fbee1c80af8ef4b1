// Number fields of the settings dialogs: they keep only digits, however the text arrives.
#pragma once

class QLineEdit;

namespace korvane {

// Makes the field drop every character but the digits from its text, typed or pasted; the
// cursor stays behind the digits that were before it.
void KeepDigitsOnly(QLineEdit* field);

}  // namespace korvane
