#include "compare/difference_lister.h"

#include "base/text.h"
#include "base/unicode_case.h"
#include "compare/whitespace_normaliser.h"

namespace korvane {
namespace {

// One list of the lister: its text and whether it holds a difference.
struct DifferenceList {
  std::string text;
  bool holds_difference = false;

  void Add(std::string_view line) {
    text.append(line);
    text.append(kCrLf);
    holds_difference = true;
  }
};

// The end of the line that starts at `start`: the position of its CR LF or bare LF, npos when
// no line end follows. `break_length` receives the length of that line end.
std::size_t FindLineEnd(const std::string& text, std::size_t start, std::size_t& break_length) {
  const std::size_t line_feed = text.find('\n', start);
  if (line_feed == std::string::npos)
    return line_feed;
  if (line_feed > start && text[line_feed - 1] == '\r') {
    break_length = 2;
    return line_feed - 1;
  }
  break_length = 1;
  return line_feed;
}

// The text as the lister walks it: ending with a line end. A text that already ends with a bare
// LF has its last line ended; any other text gets CR LF as EnsureTrailingLineBreak adds it.
std::string EnsureTrailingLineEnd(std::string_view text) {
  return text.ends_with('\n') ? std::string(text) : EnsureTrailingLineBreak(text);
}

}  // namespace

std::string EnsureTrailingLineBreak(std::string_view text) {
  std::string result(text);
  if (!result.ends_with(kCrLf))
    result.append(kCrLf);
  return result;
}

bool LinesEqualIgnoringTrailingComma(std::string_view a, std::string_view b) {
  if (a == b)
    return true;
  if (a.ends_with(','))
    a.remove_suffix(1);
  if (b.ends_with(','))
    b.remove_suffix(1);
  return Trim(a) == Trim(b);
}

std::string ListDifferentLines(std::string_view source_text, std::string_view target_text,
                               const ComparisonOptions& options) {
  if (source_text == target_text)
    return {};
  const std::string source = EnsureTrailingLineEnd(source_text);
  const std::string target = EnsureTrailingLineEnd(target_text);

  DifferenceList source_list{std::string(kSourceDifferencesHeading) + std::string(kCrLf)};
  DifferenceList target_list{std::string(kTargetDifferencesHeading) + std::string(kCrLf)};

  // Start of the next line of each text.
  std::size_t source_next = 0;
  std::size_t target_next = 0;
  bool source_ended = false;
  for (;;) {
    std::size_t source_break_length = 0;
    const std::size_t source_break = FindLineEnd(source, source_next, source_break_length);
    if (source_break == std::string::npos) {
      source_ended = true;
      break;
    }
    std::size_t target_break_length = 0;
    const std::size_t target_break = FindLineEnd(target, target_next, target_break_length);
    if (target_break == std::string::npos)
      break;

    std::string source_line = source.substr(source_next, source_break - source_next);
    std::string target_line = target.substr(target_next, target_break - target_next);
    if (!options.case_sensitive) {
      source_line = SimpleUpperCase(source_line);
      target_line = SimpleUpperCase(target_line);
    }
    bool different = source_line != target_line;
    if (different && options.ignore_whitespace) {
      source_line = ReplaceNonPrintableChars(source_line, " ");
      target_line = ReplaceNonPrintableChars(target_line, " ");
      different = source_line != target_line;
    }
    if (different && !LinesEqualIgnoringTrailingComma(source_line, target_line)) {
      source_list.Add(source_line);
      target_list.Add(target_line);
    }
    source_next = source_break + source_break_length;
    target_next = target_break + target_break_length;
  }

  if (source_ended) {
    target_list.Add(std::string_view(target).substr(target_next));
    return source_list.holds_difference ? source_list.text + std::string(kCrLf) + target_list.text
                                        : target_list.text;
  }
  source_list.Add(std::string_view(source).substr(source_next));
  return target_list.holds_difference ? source_list.text + std::string(kCrLf) + target_list.text
                                      : source_list.text;
}

void AppendDifferenceDetails(std::string& report, std::string_view type_word,
                             std::string_view object_name, int n, std::string_view source_text,
                             std::string_view target_text, const ComparisonOptions& options) {
  if (n == 1) {
    report = std::string(kCrLf) + std::string(43, '=') + std::string(kCrLf) + std::string(kCrLf) +
             std::string(kDifferenceDetailsHeading) + std::string(type_word) + std::string(kCrLf);
  }
  report += std::string(kCrLf) + std::to_string(n) + ". " + std::string(object_name) +
            std::string(kCrLf) + std::string(kCrLf);
  report += ListDifferentLines(source_text, target_text, options);
}

}  // namespace korvane
