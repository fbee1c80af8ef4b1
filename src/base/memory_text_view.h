// A text view kept in memory: the text, the selection, the page size and the background colour
// of every character. Tests use it where the program has a window; it keeps the position rules
// of TextView (base/text_view.h) exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_view.h"

namespace korvane {

class MemoryTextView : public TextView {
 public:
  MemoryTextView() { SetText(""); }
  explicit MemoryTextView(std::string_view text) { SetText(text); }

  std::string Text() const override;
  void SetText(std::string_view text) override;

  int LineCount() const override { return static_cast<int>(line_starts_.size()); }
  int LineStart(int line) const override;
  std::string LineText(int line) const override;

  int SelectionStart() const override { return selection_start_; }
  int SelectionLength() const override { return selection_length_; }
  void SetSelection(int start, int length) override;
  std::string SelectedText() const override;

  void SetSelectionBackground(RgbColor color) override;
  void SetBackground(int start, int length, RgbColor color) override;

  std::uint32_t PageWidth() const override { return page_width_; }
  std::uint32_t PageHeight() const override { return page_height_; }
  void SetPageSize(std::uint32_t width_twips, std::uint32_t height_twips) override;

  void SetFocus() override { ++focus_requests_; }

  // Records the document name and the text; answers what set_print_result() chose (true
  // unless told otherwise).
  bool Print(std::string_view document_name) override;

  // --- What a test inspects -------------------------------------------------------------------

  // Number of positions: characters plus one per line break.
  int Length() const { return static_cast<int>(offsets_.size()) - 1; }
  // The background painted on the character at `position`; empty when it was never painted
  // since the text was set, or when there is no such position.
  std::optional<RgbColor> BackgroundAt(int position) const;
  // The characters of positions [start, start + length), line breaks as CR LF.
  std::string TextAt(int start, int length) const;

  int focus_requests() const { return focus_requests_; }
  void set_print_result(bool result) { print_result_ = result; }
  struct PrintedDocument {
    std::string document_name;
    std::string text;
  };
  const std::vector<PrintedDocument>& printed() const { return printed_; }

 private:
  // [start, start + length) cut to the part inside [0, Length()]; an empty range stays at its
  // start, moved into the text.
  void Clamp(int& start, int& length) const;

  // The text with every line break stored as a single LF, so one position is one character.
  std::string text_;
  // Byte offset in text_ of each position, plus the end of the text.
  std::vector<std::size_t> offsets_;
  std::vector<int> line_starts_;
  std::vector<std::optional<RgbColor>> backgrounds_;
  int selection_start_ = 0;
  int selection_length_ = 0;
  std::uint32_t page_width_ = 0;
  std::uint32_t page_height_ = 0;
  int focus_requests_ = 0;
  bool print_result_ = true;
  std::vector<PrintedDocument> printed_;
};

}  // namespace korvane
