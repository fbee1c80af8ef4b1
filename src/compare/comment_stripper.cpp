#include "compare/comment_stripper.h"

#include "compare/delimited_words.h"

namespace korvane {
namespace {

// How much text before the comment at `opener` goes with it: the LF that ends the previous
// line when the comment starts a line.
std::size_t KeptBefore(const std::string& text, std::size_t opener) {
  return opener > 0 && text[opener - 1] == '\n' ? opener - 1 : opener;
}

}  // namespace

std::string StripCommentsFromProc(std::string_view original) {
  std::string text(original);
  if (text.empty())
    return text;
  const int block_openers = CountOccurrences(text, "/*");
  const int line_openers = CountOccurrences(text, "--");
  if (block_openers == 0 && line_openers == 0)
    return text;

  for (int pass = 0; pass < block_openers; ++pass) {
    const std::size_t opener = text.find("/*");
    if (opener == std::string::npos)
      break;
    // Searched from the opener itself, so "/*/" closes at once.
    const std::size_t closer = text.find("*/", opener);
    const std::string rest = closer == std::string::npos ? std::string() : text.substr(closer + 2);
    text = text.substr(0, KeptBefore(text, opener)) + rest;
  }
  if (line_openers == 0)
    return text;

  for (int pass = 0; pass < line_openers; ++pass) {
    const std::size_t opener = text.find("--");
    if (opener == std::string::npos)
      return text;
    // The comment runs to the end of its line: the next CR LF or bare LF. Either way the LF
    // stays, so texts saved with bare LF line ends keep every line after a comment.
    const std::size_t line_feed = text.find('\n', opener);
    if (line_feed == std::string::npos)
      return text.substr(0, KeptBefore(text, opener));
    text = text.substr(0, KeptBefore(text, opener)) + text.substr(line_feed);
  }
  return text;
}

}  // namespace korvane
