// The read-only text view on Qt: a QTextEdit behind the TextView interface.
//
// The view keeps the text as it was given (bytes included that are not well-formed UTF-8) with
// the position of every character, and shows it in the QTextEdit's document. The interface
// counts characters with one position per line break; the document counts UTF-16 units with
// one position per paragraph separator, so a character outside the Basic Multilingual Plane is
// two document positions. Every position crosses the boundary through one table.
//
// Backgrounds are character formats of the document, not extra selections, so that printing
// (which prints a copy of the document) keeps them.
#pragma once

#include <QTextEdit>
#include <cstdint>
#include <optional>
#include <vector>

#include "base/memory_text_view.h"
#include "base/text_view.h"

class QPrinter;

namespace korvane {

class QtTextView : public QTextEdit, public TextView {
  Q_OBJECT

 public:
  explicit QtTextView(QWidget* parent = nullptr);

  std::string Text() const override { return model_.Text(); }
  void SetText(std::string_view text) override;
  int LineCount() const override { return model_.LineCount(); }
  int LineStart(int line) const override { return model_.LineStart(line); }
  std::string LineText(int line) const override { return model_.LineText(line); }

  // The selection is the document's: the person may select with the pointer or the keyboard.
  int SelectionStart() const override;
  int SelectionLength() const override;
  void SetSelection(int start, int length) override;
  std::string SelectedText() const override;

  void SetSelectionBackground(RgbColor color) override;
  void SetBackground(int start, int length, RgbColor color) override;

  std::uint32_t PageWidth() const override { return page_width_; }
  std::uint32_t PageHeight() const override { return page_height_; }
  void SetPageSize(std::uint32_t width_twips, std::uint32_t height_twips) override;

  void SetFocus() override { setFocus(Qt::OtherFocusReason); }

  // The default printer; false when there is none or printing failed.
  bool Print(std::string_view document_name) override;
  // Prints on the given printer (a PDF file, for instance) with the view's page size.
  bool PrintTo(QPrinter& printer, std::string_view document_name);

  // --- What a test inspects -------------------------------------------------------------------

  // Number of positions: characters plus one per line break.
  int Length() const { return model_.Length(); }
  // The background the document holds for the character at `position`; empty when none was
  // painted or there is no such position.
  std::optional<RgbColor> BackgroundAt(int position) const;
  // The document position (UTF-16 units) of a position of the interface, and back.
  int DocumentPosition(int position) const;
  int ViewPosition(int document_position) const;

 private:
  // [start, start + length) cut to the text.
  void Clamp(int& start, int& length) const;

  // The text and its line arithmetic, exactly as the in-memory view keeps them.
  MemoryTextView model_;
  // Document position of every position, plus the end of the text.
  std::vector<int> document_positions_;
  std::uint32_t page_width_ = 0;
  std::uint32_t page_height_ = 0;
};

}  // namespace korvane
