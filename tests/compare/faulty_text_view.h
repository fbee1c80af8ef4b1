// A text view that answers wrongly or fails on demand, for the error paths of the engines.
#pragma once

#include <map>
#include <new>
#include <stdexcept>
#include <string>

#include "base/memory_text_view.h"

namespace korvane::testing {

class FaultyTextView : public MemoryTextView {
 public:
  using MemoryTextView::MemoryTextView;

  enum class Failure { kNone, kRuntimeError, kOutOfMemory };

  // Line starts to answer instead of the real ones.
  std::map<int, int> line_start_answers;
  // How reading the text fails.
  Failure text_failure = Failure::kNone;

  int LineStart(int line) const override {
    const auto answer = line_start_answers.find(line);
    return answer != line_start_answers.end() ? answer->second : MemoryTextView::LineStart(line);
  }

  std::string Text() const override {
    if (text_failure == Failure::kRuntimeError)
      throw std::runtime_error("the view is gone");
    if (text_failure == Failure::kOutOfMemory)
      throw std::bad_alloc();
    return MemoryTextView::Text();
  }
};

}  // namespace korvane::testing
