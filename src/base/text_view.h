// The read-only text view that shows structure texts, report texts and dialog texts: what the
// core fills, reads, colours and prints. The Qt program implements it on a QTextEdit; tests use
// MemoryTextView (base/memory_text_view.h).
//
// Lines and positions, the contract every implementation keeps:
//
// - A line is one paragraph of the text. Views never wrap: every displayed line is one line of
//   the text.
// - Lines are numbered from 1 (line 1 is the first line). Positions are numbered from 0.
// - A position is one character of the text: a Unicode code point of the UTF-8 text, never a
//   byte (a malformed byte counts as one character). A view that counts otherwise inside (a
//   QTextDocument counts UTF-16 units) converts at this boundary.
// - A line break counts as ONE position, whatever its spelling: line i occupies the positions
//   LineStart(i) to LineStart(i + 1) - 2, and LineStart(i + 1) - 1 is the break that ends it.
//   The last line has no break after it. This is the position arithmetic of QTextDocument
//   (one paragraph separator per block) and what the structure comparison relies on.
// - Text() joins the lines with CR LF. SetText() accepts CR LF, a lone LF and a lone CR as line
//   breaks, so reading back a text written with other breaks gives it with CR LF.
// - A text that ends with a line break has an empty last line; the empty text is one empty line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvane {

// A colour as red, green and blue.
struct RgbColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

class TextView {
 public:
  virtual ~TextView() = default;

  // The whole text, lines separated by CR LF.
  virtual std::string Text() const = 0;
  // Replaces the whole text. Character backgrounds are cleared and the selection becomes empty
  // at position 0.
  virtual void SetText(std::string_view text) = 0;

  // Number of lines of the current text, at least 1.
  virtual int LineCount() const = 0;
  // Position of the first character of line `line` (from 1); -1 when there is no such line.
  virtual int LineStart(int line) const = 0;
  // The characters of line `line` without its line break; empty when there is no such line.
  virtual std::string LineText(int line) const = 0;

  // The selected range. Writing it keeps the part of [start, start + length) that lies in the
  // text (an empty selection when none does).
  virtual int SelectionStart() const = 0;
  virtual int SelectionLength() const = 0;
  virtual void SetSelection(int start, int length) = 0;
  // The selected characters, line breaks inside the selection as CR LF.
  virtual std::string SelectedText() const = 0;

  // Paints the background of the selected characters.
  virtual void SetSelectionBackground(RgbColor color) = 0;
  // Paints the background of the characters from `start` to `start + length - 1` that lie in
  // the text, without moving the selection. Characters outside the range keep their colour.
  virtual void SetBackground(int start, int length, RgbColor color) = 0;

  // Page size for layout and printing, in twips (1/1440 inch).
  virtual std::uint32_t PageWidth() const = 0;
  virtual std::uint32_t PageHeight() const = 0;
  virtual void SetPageSize(std::uint32_t width_twips, std::uint32_t height_twips) = 0;

  // Gives the view the keyboard focus.
  virtual void SetFocus() = 0;

  // Prints every page, one copy, on the default printer under the given document name; false
  // when printing failed or no printer is available.
  virtual bool Print(std::string_view document_name) = 0;

  // The right-button pop-up menu of the structure views belongs to the window that owns the
  // view; it is not part of this interface.
};

}  // namespace korvane
