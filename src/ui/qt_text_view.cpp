#include "ui/qt_text_view.h"

#include <QFontDatabase>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "base/text.h"
#include "ui/qt_text.h"

namespace korvane {
namespace {

// One character of the interface as the document shows it: itself when it is well-formed
// UTF-8, else the replacement character. Characters the document would take as paragraph or
// frame boundaries are shown as the replacement character too, so lines stay lines.
QString DocumentCharacter(std::string_view character) {
  static const QString kReplacement(QChar(0xFFFD));
  if (!IsValidUtf8(character))
    return kReplacement;
  const QString shown = ToQString(character);
  if (shown.size() == 1) {
    const char16_t unit = shown.at(0).unicode();
    if (unit == QChar::ParagraphSeparator || unit == 0xFDD0 || unit == 0xFDD1 ||
        unit == QChar::LineSeparator)
      return kReplacement;
  }
  return shown;
}

}  // namespace

QtTextView::QtTextView(QWidget* parent) : QTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QTextEdit::NoWrap);
  setAcceptRichText(false);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // The owner opens its pop-up menu on customContextMenuRequested.
  setContextMenuPolicy(Qt::CustomContextMenu);
  SetText("");
}

void QtTextView::SetText(std::string_view text) {
  model_.SetText(text);
  // The model's text has one LF per break, so one chunk is one position.
  const std::string normalised = ReplaceAll(model_.Text(), kCrLf, "\n");
  QString shown;
  shown.reserve(static_cast<qsizetype>(normalised.size()));
  document_positions_.clear();
  document_positions_.reserve(normalised.size() + 1);
  for (const std::string_view character : Utf8Chunks(normalised, 1)) {
    document_positions_.push_back(static_cast<int>(shown.size()));
    if (character.size() == 1 && static_cast<unsigned char>(character[0]) < 0x80)
      shown += QChar(character[0]);  // ASCII, the line break included
    else
      shown += DocumentCharacter(character);
  }
  document_positions_.push_back(static_cast<int>(shown.size()));
  // A new text starts without the colours of the old one.
  setCurrentCharFormat(QTextCharFormat());
  setPlainText(shown);
  moveCursor(QTextCursor::Start);
}

int QtTextView::DocumentPosition(int position) const {
  position = std::clamp(position, 0, Length());
  return document_positions_[position];
}

int QtTextView::ViewPosition(int document_position) const {
  // A position inside a surrogate pair belongs to its character.
  const auto after = std::upper_bound(document_positions_.begin(), document_positions_.end(),
                                      std::max(document_position, 0));
  return static_cast<int>(after - document_positions_.begin()) - 1;
}

void QtTextView::Clamp(int& start, int& length) const {
  const long long end = std::clamp(static_cast<long long>(start) + std::max(length, 0), 0LL,
                                   static_cast<long long>(Length()));
  start = std::clamp(start, 0, Length());
  length = static_cast<int>(std::max(end - start, 0LL));
}

int QtTextView::SelectionStart() const {
  return ViewPosition(textCursor().selectionStart());
}

int QtTextView::SelectionLength() const {
  const QTextCursor cursor = textCursor();
  return ViewPosition(cursor.selectionEnd()) - ViewPosition(cursor.selectionStart());
}

void QtTextView::SetSelection(int start, int length) {
  Clamp(start, length);
  QTextCursor cursor(document());
  cursor.setPosition(DocumentPosition(start));
  cursor.setPosition(DocumentPosition(start + length), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

std::string QtTextView::SelectedText() const {
  return model_.TextAt(SelectionStart(), SelectionLength());
}

void QtTextView::SetSelectionBackground(RgbColor color) {
  SetBackground(SelectionStart(), SelectionLength(), color);
}

void QtTextView::SetBackground(int start, int length, RgbColor color) {
  Clamp(start, length);
  if (length == 0)
    return;
  QTextCursor cursor(document());
  cursor.setPosition(DocumentPosition(start));
  cursor.setPosition(DocumentPosition(start + length), QTextCursor::KeepAnchor);
  QTextCharFormat format;
  format.setBackground(QColor(color.red, color.green, color.blue));
  cursor.mergeCharFormat(format);
}

std::optional<RgbColor> QtTextView::BackgroundAt(int position) const {
  if (position < 0 || position >= Length())
    return std::nullopt;
  const int at = DocumentPosition(position);
  const QTextBlock block = document()->findBlock(at);
  QTextCharFormat format;
  if (at == block.position() + block.length() - 1) {
    // The paragraph separator that ends the block: the next block's character format.
    format = block.next().charFormat();
  } else {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.contains(at)) {
        format = fragment.charFormat();
        break;
      }
    }
  }
  if (!format.hasProperty(QTextFormat::BackgroundBrush))
    return std::nullopt;
  const QColor colour = format.background().color();
  return RgbColor{static_cast<std::uint8_t>(colour.red()),
                  static_cast<std::uint8_t>(colour.green()),
                  static_cast<std::uint8_t>(colour.blue())};
}

void QtTextView::SetPageSize(std::uint32_t width_twips, std::uint32_t height_twips) {
  page_width_ = width_twips;
  page_height_ = height_twips;
}

bool QtTextView::Print(std::string_view document_name) {
  const QPrinterInfo default_printer = QPrinterInfo::defaultPrinter();
  if (default_printer.isNull())
    return false;
  QPrinter printer(default_printer);
  return PrintTo(printer, document_name);
}

bool QtTextView::PrintTo(QPrinter& printer, std::string_view document_name) {
  printer.setDocName(ToQString(document_name));
  printer.setCopyCount(1);
  printer.setPrintRange(QPrinter::AllPages);
  if (page_width_ > 0 && page_height_ > 0) {
    constexpr double kTwipsPerInch = 1440.0;
    printer.setPageSize(QPageSize(QSizeF(page_width_ / kTwipsPerInch, page_height_ / kTwipsPerInch),
                                  QPageSize::Inch, QString(), QPageSize::ExactMatch));
  }
  if (!printer.isValid())
    return false;
  document()->print(&printer);
  return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

}  // namespace korvane
