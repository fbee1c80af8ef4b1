#include "ui/qt_text_view.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <optional>
#include <string>
#include <vector>

#include "base/memory_text_view.h"
#include "support/scratch_folder.h"

namespace korvane {
namespace {

constexpr RgbColor kRed{255, 0, 0};
constexpr RgbColor kGreen{0, 255, 0};
constexpr RgbColor kBlue{0, 0, 255};
using Colours = std::vector<std::optional<RgbColor>>;

// The behaviour every text view keeps, run on the in-memory view and on the Qt view alike.
template <typename View>
class TextViewContractTest : public ::testing::Test {
 protected:
  Colours Backgrounds() const {
    Colours colours;
    for (int position = 0; position < view_.Length(); ++position)
      colours.push_back(view_.BackgroundAt(position));
    return colours;
  }
  View view_;
};

using ViewTypes = ::testing::Types<MemoryTextView, QtTextView>;
TYPED_TEST_SUITE(TextViewContractTest, ViewTypes);

TYPED_TEST(TextViewContractTest, LineBreakIsOnePositionBetweenLines) {
  auto& view = this->view_;
  view.SetText("ab\r\ncde\r\nf");
  EXPECT_EQ(view.Text(), "ab\r\ncde\r\nf");
  EXPECT_EQ(view.Length(), 8);
  ASSERT_EQ(view.LineCount(), 3);
  EXPECT_EQ(view.LineStart(1), 0);
  EXPECT_EQ(view.LineStart(2), 3);
  EXPECT_EQ(view.LineStart(3), 7);
  EXPECT_EQ(view.LineStart(4), -1);
  EXPECT_EQ(view.LineText(2), "cde");
  EXPECT_EQ(view.LineText(4), "");
}

TYPED_TEST(TextViewContractTest, EmptyTextIsOneEmptyLine) {
  auto& view = this->view_;
  view.SetText("");
  EXPECT_EQ(view.Text(), "");
  EXPECT_EQ(view.LineCount(), 1);
  EXPECT_EQ(view.LineStart(1), 0);
  EXPECT_EQ(view.SelectedText(), "");
}

TYPED_TEST(TextViewContractTest, LoneLfAndLoneCrReadBackAsCrLf) {
  auto& view = this->view_;
  view.SetText("a\nb\rc\r\n\r\nd\n\r");
  EXPECT_EQ(view.Text(), "a\r\nb\r\nc\r\n\r\nd\r\n\r\n");
  EXPECT_EQ(view.LineCount(), 7);
  EXPECT_EQ(view.LineStart(5), 7);
  EXPECT_EQ(view.LineText(5), "d");
}

TYPED_TEST(TextViewContractTest, LineStartsCountCharactersOfNonAsciiText) {
  auto& view = this->view_;
  // e-acute (2 bytes), euro sign (3 bytes), G clef (4 bytes, two UTF-16 units).
  view.SetText("\xC3\xA9\xE2\x82\xAC\r\n\xF0\x9D\x84\x9Ex\r\n\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E");
  EXPECT_EQ(view.Length(), 8);
  EXPECT_EQ(view.LineStart(2), 3);
  EXPECT_EQ(view.LineStart(3), 6);
  EXPECT_EQ(view.LineText(2), "\xF0\x9D\x84\x9Ex");
  view.SetSelection(1, 4);
  EXPECT_EQ(view.SelectionStart(), 1);
  EXPECT_EQ(view.SelectionLength(), 4);
  EXPECT_EQ(view.SelectedText(), "\xE2\x82\xAC\r\n\xF0\x9D\x84\x9Ex");
}

TYPED_TEST(TextViewContractTest, MalformedBytesAreOneCharacterEachAndReadBackAsTheyWere) {
  auto& view = this->view_;
  view.SetText("a\xFF\xC3z\r\nq");
  EXPECT_EQ(view.Length(), 6);
  EXPECT_EQ(view.LineStart(2), 5);
  EXPECT_EQ(view.Text(), "a\xFF\xC3z\r\nq");
  view.SetSelection(1, 2);
  EXPECT_EQ(view.SelectedText(), "\xFF\xC3");
}

TYPED_TEST(TextViewContractTest, SelectionKeepsThePartInsideTheText) {
  auto& view = this->view_;
  view.SetText("abcde");
  struct Case {
    int start, length, expected_start, expected_length;
  };
  for (const Case& c : std::vector<Case>{
           {-3, 2, 0, 0}, {-1, 3, 0, 2}, {3, 100, 3, 2}, {100, 1, 5, 0}, {2, -1, 2, 0}}) {
    view.SetSelection(c.start, c.length);
    EXPECT_EQ(view.SelectionStart(), c.expected_start) << c.start << "," << c.length;
    EXPECT_EQ(view.SelectionLength(), c.expected_length) << c.start << "," << c.length;
  }
}

TYPED_TEST(TextViewContractTest, NewTextEmptiesTheSelectionAndClearsColours) {
  auto& view = this->view_;
  view.SetText("abc");
  view.SetSelection(1, 2);
  view.SetSelectionBackground(kRed);
  view.SetText("xyz");
  EXPECT_EQ(view.SelectionStart(), 0);
  EXPECT_EQ(view.SelectionLength(), 0);
  EXPECT_EQ(this->Backgrounds(), Colours(3));
}

TYPED_TEST(TextViewContractTest, ColouringOneLineLeavesEveryOtherCharacterUnchanged) {
  auto& view = this->view_;
  // Plain text, and a line between lines of G clefs (two UTF-16 units each) and e-acutes.
  for (const char* text :
       {"ab\r\ncd\r\nef", "\xF0\x9D\x84\x9E\xF0\x9D\x84\x9E\r\n\xC3\xA9\xC3\xA9\r\nzz"}) {
    view.SetText(text);
    view.SetBackground(view.LineStart(2), 2, kGreen);
    EXPECT_EQ(this->Backgrounds(), (Colours{std::nullopt, std::nullopt, std::nullopt, kGreen,
                                            kGreen, std::nullopt, std::nullopt, std::nullopt}))
        << text;
  }
  view.SetText("ab\r\ncd\r\nef");
  view.SetBackground(view.LineStart(1), 2, kRed);
  view.SetBackground(view.LineStart(3), 2, kBlue);
  view.SetBackground(view.LineStart(2), 2, kRed);
  EXPECT_EQ(this->Backgrounds(),
            (Colours{kRed, kRed, std::nullopt, kRed, kRed, std::nullopt, kBlue, kBlue}));
}

TYPED_TEST(TextViewContractTest, LineRangeWithItsBreakIsColouredToo) {
  auto& view = this->view_;
  view.SetText("ab\r\ncd");
  view.SetBackground(view.LineStart(1), view.LineStart(2) - view.LineStart(1), kBlue);
  EXPECT_EQ(this->Backgrounds(), (Colours{kBlue, kBlue, kBlue, std::nullopt, std::nullopt}));
}

TYPED_TEST(TextViewContractTest, SelectionBackgroundPaintsExactlyTheSelection) {
  auto& view = this->view_;
  view.SetText("abcdef");
  view.SetSelection(2, 2);
  view.SetSelectionBackground(kBlue);
  EXPECT_EQ(this->Backgrounds(),
            (Colours{std::nullopt, std::nullopt, kBlue, kBlue, std::nullopt, std::nullopt}));
  EXPECT_EQ(view.SelectionStart(), 2);
  EXPECT_EQ(view.SelectionLength(), 2);
}

TYPED_TEST(TextViewContractTest, RangesAreCutToTheTextAndDoNotMoveTheSelection) {
  auto& view = this->view_;
  view.SetText("abc");
  view.SetSelection(1, 1);
  view.SetBackground(2, 10, kRed);
  view.SetBackground(-5, 6, kGreen);
  view.SetBackground(1, -1, kBlue);
  EXPECT_EQ(this->Backgrounds(), (Colours{kGreen, std::nullopt, kRed}));
  EXPECT_EQ(view.BackgroundAt(3), std::nullopt);
  EXPECT_EQ(view.BackgroundAt(-1), std::nullopt);
  EXPECT_EQ(view.SelectionStart(), 1);
  EXPECT_EQ(view.SelectionLength(), 1);
}

// --- What only the Qt view does -------------------------------------------------------------

TEST(QtTextViewTest, PositionsCrossToTheDocumentsUtf16Units) {
  QtTextView view;
  view.SetText(
      "\xF0\x9D\x84\x9E"
      "a\r\nb");
  EXPECT_EQ(view.DocumentPosition(0), 0);
  EXPECT_EQ(view.DocumentPosition(1), 2);  // after the surrogate pair
  EXPECT_EQ(view.DocumentPosition(3), 4);  // line 2
  EXPECT_EQ(view.ViewPosition(4), 3);
  EXPECT_EQ(view.ViewPosition(1), 0);  // inside the pair: its character
  EXPECT_EQ(view.document()->findBlockByNumber(1).position(), view.DocumentPosition(3));
  EXPECT_EQ(view.document()->blockCount(), view.LineCount());
}

TEST(QtTextViewTest, SeparatorCharactersInsideALineDoNotSplitIt) {
  QtTextView view;
  view.SetText(
      "a\xE2\x80\xA9"
      "b\xE2\x80\xA8"
      "c");  // paragraph and line separators
  EXPECT_EQ(view.LineCount(), 1);
  EXPECT_EQ(view.document()->blockCount(), 1);
  EXPECT_EQ(view.Length(), 5);
  EXPECT_EQ(view.Text(),
            "a\xE2\x80\xA9"
            "b\xE2\x80\xA8"
            "c");
}

TEST(QtTextViewTest, WhatThePersonSelectsIsTheSelection) {
  QtTextView view;
  view.SetText("\xC3\xA9t\xC3\xA9\r\nline two");
  QTextCursor cursor = view.textCursor();
  cursor.setPosition(2);
  cursor.setPosition(8, QTextCursor::KeepAnchor);  // "é\nline" as the pointer would select it
  view.setTextCursor(cursor);
  EXPECT_EQ(view.SelectionStart(), 2);
  EXPECT_EQ(view.SelectionLength(), 6);
  EXPECT_EQ(view.SelectedText(), "\xC3\xA9\r\nline");
}

TEST(QtTextViewTest, ViewIsReadOnlyAndNeverWraps) {
  QtTextView view;
  EXPECT_TRUE(view.isReadOnly());
  EXPECT_EQ(view.lineWrapMode(), QTextEdit::NoWrap);
  EXPECT_EQ(view.contextMenuPolicy(), Qt::CustomContextMenu);
}

// The colour at the middle of the first character of a line, as the document draws itself.
QColor DrawnLineColour(QTextDocument& document, int line) {
  document.setPageSize(QSizeF(400, 400));
  QImage image(400, 400, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  document.drawContents(&painter);
  painter.end();
  const QTextBlock block = document.findBlockByNumber(line - 1);
  const QRectF rect = document.documentLayout()->blockBoundingRect(block);
  return image.pixelColor(static_cast<int>(rect.left() + 6), static_cast<int>(rect.center().y()));
}

TEST(QtTextViewTest, BackgroundsAreInTheDocumentSoAPrintedCopyKeepsThem) {
  QtTextView view;
  view.SetText("same\r\nchanged\r\nsame");
  view.SetBackground(view.LineStart(2), 7, kRed);
  // Printing prints a copy of the document: the copy carries the colours.
  std::unique_ptr<QTextDocument> copy(view.document()->clone());
  EXPECT_EQ(DrawnLineColour(*copy, 2), QColor(255, 0, 0));
  EXPECT_EQ(DrawnLineColour(*copy, 1), QColor(Qt::white));
  EXPECT_EQ(DrawnLineColour(*copy, 3), QColor(Qt::white));
}

TEST(QtTextViewTest, PrintingWithoutADefaultPrinterFails) {
  if (!QPrinterInfo::defaultPrinter().isNull())
    GTEST_SKIP() << "this machine has a printer";
  QtTextView view;
  view.SetText("text");
  EXPECT_FALSE(view.Print("Comparison Report"));
}

TEST(QtTextViewTest, PrintsEveryPageToAPdfFileUnderTheDocumentName) {
  testing::ScratchFolder folder;
  QtTextView view;
  std::string text;
  for (int i = 1; i <= 200; ++i)
    text += "line " + std::to_string(i) + "\r\n";
  view.SetText(text);
  view.SetBackground(view.LineStart(3), 6, kGreen);
  view.SetPageSize(20000, 15840);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const std::filesystem::path pdf = folder / "report.pdf";
  printer.setOutputFileName(QString::fromStdString(pdf.string()));
  EXPECT_TRUE(view.PrintTo(printer, "Comparison Report"));
  EXPECT_EQ(printer.docName(), "Comparison Report");
  EXPECT_EQ(printer.copyCount(), 1);
  const QSizeF inches = printer.pageLayout().pageSize().size(QPageSize::Inch);
  EXPECT_NEAR(inches.width(), 20000.0 / 1440, 0.01);
  EXPECT_NEAR(inches.height(), 15840.0 / 1440, 0.01);
  const std::string content = testing::ReadFile(pdf);
  EXPECT_EQ(content.substr(0, 5), "%PDF-");
  // 200 lines need more than one page, and every page is printed.
  const std::size_t count = content.find("/Count ");
  ASSERT_NE(count, std::string::npos);
  EXPECT_GE(std::stoi(content.substr(count + 7, 4)), 2);
}

}  // namespace
}  // namespace korvane
