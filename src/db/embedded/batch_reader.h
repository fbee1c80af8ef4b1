// Reads a T-SQL script batch by batch from a source that hands its bytes over in pieces, so that
// a script of any size is held only one batch (and one piece) at a time. Batches end at lines
// holding only GO (any case, optionally with a repeat count) that start outside strings, quoted
// names and comments; a UTF-8 byte-order mark opening the script is not part of its text.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "db/embedded/script_loader.h"

namespace korvane::embedded {

// Where a script's bytes come from.
class ScriptSource {
 public:
  virtual ~ScriptSource() = default;
  // Copies up to `size` next bytes into `out`; 0 at the end of the script.
  virtual std::size_t Read(char* out, std::size_t size) = 0;
  // True when reading stopped on an error rather than at the end.
  virtual bool failed() const { return false; }
};

class TextScriptSource final : public ScriptSource {
 public:
  explicit TextScriptSource(std::string_view text) : text_(text) {}
  std::size_t Read(char* out, std::size_t size) override;

 private:
  std::string_view text_;
};

class StreamScriptSource final : public ScriptSource {
 public:
  explicit StreamScriptSource(std::istream& in) : in_(in) {}
  std::size_t Read(char* out, std::size_t size) override;
  bool failed() const override { return in_.bad(); }

 private:
  std::istream& in_;
};

struct ScriptBatch {
  std::string text;    // the batch's lines with their line breaks, without the GO line
  int first_line = 1;  // line of the script where `text` starts
  int repeat = 1;      // the count of its GO line
};

// The count of a "GO n" line, or nullopt when the line is no GO line. A count that is not a
// whole number of at most kMaxBatchRepeat raises SqlError 50000 at `line_number`, read without
// overflow however long it is (a count of 0 runs the batch once, as query tools do).
std::optional<int> GoLine(std::string_view line, int line_number);

class BatchReader {
 public:
  explicit BatchReader(ScriptSource& source, std::size_t piece_size = kScriptPieceSize);

  // The next batch (possibly blank) into `batch`; false at the end of the script. A bad GO count
  // raises SqlError with the GO line's number.
  bool Next(ScriptBatch* batch);

  // The most bytes held at once: unread piece data plus the batch being gathered.
  std::size_t largest_buffer() const { return largest_buffer_; }

 private:
  // The end (after its line break, if any) of the logical line starting at pos_, reading more
  // pieces as needed; nullopt when the script has no text left.
  std::optional<std::size_t> LineEnd();
  // Appends at least one piece (more for a long line) to the buffer; false at the end.
  bool ReadMore();
  void NoteBufferSize();

  ScriptSource& source_;
  std::size_t piece_size_;
  std::string buffer_;  // read but not yet consumed bytes start at pos_
  std::size_t pos_ = 0;
  bool at_end_ = false;
  bool started_ = false;  // the byte-order mark has been looked for
  int line_ = 1;
  ScriptBatch current_;
  std::size_t largest_buffer_ = 0;
};

}  // namespace korvane::embedded
