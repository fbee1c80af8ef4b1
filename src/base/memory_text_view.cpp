#include "base/memory_text_view.h"

#include <algorithm>

#include "base/text.h"

namespace korvane {

std::string MemoryTextView::Text() const {
  return ReplaceAll(text_, "\n", kCrLf);
}

void MemoryTextView::SetText(std::string_view text) {
  text_.clear();
  text_.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n')
        ++i;
      text_.push_back('\n');
    } else {
      text_.push_back(text[i]);
    }
  }

  offsets_.clear();
  line_starts_.assign(1, 0);
  std::size_t offset = 0;
  for (const std::string_view character : Utf8Chunks(text_, 1)) {
    offsets_.push_back(offset);
    offset += character.size();
    if (character == "\n")
      line_starts_.push_back(static_cast<int>(offsets_.size()));
  }
  offsets_.push_back(offset);

  backgrounds_.assign(offsets_.size() - 1, std::nullopt);
  selection_start_ = 0;
  selection_length_ = 0;
}

int MemoryTextView::LineStart(int line) const {
  if (line < 1 || line > LineCount())
    return -1;
  return line_starts_[line - 1];
}

std::string MemoryTextView::LineText(int line) const {
  if (line < 1 || line > LineCount())
    return {};
  const int start = line_starts_[line - 1];
  const int end = line < LineCount() ? line_starts_[line] - 1 : Length();
  return TextAt(start, end - start);
}

void MemoryTextView::Clamp(int& start, int& length) const {
  const long long end = std::clamp(static_cast<long long>(start) + std::max(length, 0), 0LL,
                                   static_cast<long long>(Length()));
  start = std::clamp(start, 0, Length());
  length = static_cast<int>(std::max(end - start, 0LL));
}

void MemoryTextView::SetSelection(int start, int length) {
  Clamp(start, length);
  selection_start_ = start;
  selection_length_ = length;
}

std::string MemoryTextView::SelectedText() const {
  return TextAt(selection_start_, selection_length_);
}

void MemoryTextView::SetSelectionBackground(RgbColor color) {
  SetBackground(selection_start_, selection_length_, color);
}

void MemoryTextView::SetBackground(int start, int length, RgbColor color) {
  Clamp(start, length);
  std::fill_n(backgrounds_.begin() + start, length, color);
}

void MemoryTextView::SetPageSize(std::uint32_t width_twips, std::uint32_t height_twips) {
  page_width_ = width_twips;
  page_height_ = height_twips;
}

bool MemoryTextView::Print(std::string_view document_name) {
  printed_.push_back({std::string(document_name), Text()});
  return print_result_;
}

std::optional<RgbColor> MemoryTextView::BackgroundAt(int position) const {
  if (position < 0 || position >= Length())
    return std::nullopt;
  return backgrounds_[position];
}

std::string MemoryTextView::TextAt(int start, int length) const {
  Clamp(start, length);
  const std::string_view piece =
      std::string_view(text_).substr(offsets_[start], offsets_[start + length] - offsets_[start]);
  return ReplaceAll(piece, "\n", kCrLf);
}

}  // namespace korvane
