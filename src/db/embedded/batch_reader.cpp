#include "db/embedded/batch_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "base/text.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"

namespace korvane::embedded {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

std::size_t TextScriptSource::Read(char* out, std::size_t size) {
  const std::size_t count = std::min(size, text_.size());
  std::memcpy(out, text_.data(), count);
  text_.remove_prefix(count);
  return count;
}

std::size_t StreamScriptSource::Read(char* out, std::size_t size) {
  if (!in_)
    return 0;
  in_.read(out, static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(in_.gcount());
}

std::optional<int> GoLine(std::string_view line, int line_number) {
  std::string_view trimmed = line;
  while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.back())))
    trimmed.remove_suffix(1);
  while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.front())))
    trimmed.remove_prefix(1);
  const std::size_t comment = trimmed.find("--");
  if (comment != std::string_view::npos)
    trimmed = Trim(trimmed.substr(0, comment));
  if (trimmed.size() < 2 || !EqualsIgnoringCase(trimmed.substr(0, 2), "go") ||
      (trimmed.size() > 2 && !std::isspace(static_cast<unsigned char>(trimmed[2]))))
    return std::nullopt;
  std::string_view count = trimmed.substr(2);
  while (!count.empty() && std::isspace(static_cast<unsigned char>(count.front())))
    count.remove_prefix(1);
  if (count.empty())
    return 1;
  if (!IsNumeric(count))
    return std::nullopt;  // "GO x" is T-SQL of the batch, not a separator
  std::uint64_t repeat = 0;
  const auto [end, error] = std::from_chars(count.data(), count.data() + count.size(), repeat);
  if (error != std::errc() || end != count.data() + count.size() ||
      repeat > static_cast<std::uint64_t>(kMaxBatchRepeat)) {
    SqlError failure(50000, "The count after GO must be a whole number of at most " +
                                std::to_string(kMaxBatchRepeat) + "; '" + std::string(count) +
                                "' is not.");
    failure.set_line(line_number);
    throw failure;
  }
  return std::max<int>(1, static_cast<int>(repeat));
}

BatchReader::BatchReader(ScriptSource& source, std::size_t piece_size)
    : source_(source), piece_size_(std::max<std::size_t>(piece_size, 1)) {}

void BatchReader::NoteBufferSize() {
  largest_buffer_ = std::max(largest_buffer_, buffer_.size() + current_.text.size());
}

bool BatchReader::ReadMore() {
  if (at_end_)
    return false;
  buffer_.erase(0, pos_);
  pos_ = 0;
  // A line longer than a piece doubles what is read, so that rescanning it stays linear.
  const std::size_t want = std::max(piece_size_, buffer_.size());
  const std::size_t old_size = buffer_.size();
  buffer_.resize(old_size + want);
  const std::size_t got = source_.Read(buffer_.data() + old_size, want);
  buffer_.resize(old_size + got);
  NoteBufferSize();
  if (got == 0)
    at_end_ = true;
  return got > 0;
}

std::optional<std::size_t> BatchReader::LineEnd() {
  if (!started_) {
    while (buffer_.size() - pos_ < kByteOrderMark.size() && ReadMore()) {
    }
    if (std::string_view(buffer_).substr(pos_, kByteOrderMark.size()) == kByteOrderMark)
      pos_ += kByteOrderMark.size();
    started_ = true;
  }
  constexpr std::size_t npos = std::string_view::npos;
  std::size_t i = pos_;
  for (;;) {
    const std::string_view text(buffer_);
    const std::size_t n = text.size();
    // One logical line: up to the first line break outside a string, name or block comment.
    // A span that reaches the end of what was read may go on in the next piece (a string's
    // closing quote may be doubled by the next byte): it is scanned again from its start once
    // more has been read.
    bool more = false;
    while (i < n && text[i] != '\n') {
      const std::size_t skip_to = LexicalSpanEnd(text, i);
      if (!at_end_ && (skip_to == npos || skip_to >= n)) {
        more = true;
        break;
      }
      i = skip_to == npos ? n : skip_to;
    }
    if (!more && (i < n || at_end_)) {
      if (pos_ >= n)
        return std::nullopt;
      return i < n ? i + 1 : n;
    }
    const std::size_t offset = i - pos_;
    ReadMore();
    i = pos_ + offset;
  }
}

bool BatchReader::Next(ScriptBatch* batch) {
  for (;;) {
    const auto end = LineEnd();
    if (!end) {
      if (current_.text.empty())
        return false;
      *batch = std::move(current_);
      current_ = ScriptBatch();
      return true;
    }
    const std::string_view text = std::string_view(buffer_).substr(pos_, *end - pos_);
    const int line = line_;
    line_ += static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    pos_ = *end;
    if (const auto repeat = GoLine(text, line)) {
      current_.repeat = *repeat;
      *batch = std::move(current_);
      current_ = ScriptBatch();
      current_.first_line = line + 1;
      return true;
    }
    if (current_.text.empty())
      current_.first_line = line;
    current_.text += text;
    NoteBufferSize();
  }
}

}  // namespace korvane::embedded
