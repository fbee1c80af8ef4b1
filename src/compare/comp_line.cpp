#include "compare/comp_line.h"

#include <utility>

#include "base/text.h"
#include "base/text_view.h"
#include "base/unicode_case.h"

namespace korvane {

int TXText_ConvTextToArray(const TextView& box, std::vector<CompLine>& lines, bool& error) {
  error = false;
  lines.clear();
  const int count = box.LineCount();
  const std::string text = box.Text();
  if (count <= 0 || text.empty())
    return 0;

  // One element per position: every line break is a single position.
  const std::string positional = ReplaceAll(text, kCrLf, "\n");
  const std::vector<std::string_view> characters = Utf8Chunks(positional, 1);
  const auto length = static_cast<std::int32_t>(characters.size());

  const auto fail = [&] {
    error = true;
    lines.clear();
    return 0;
  };
  lines.resize(count);
  for (int i = 1; i <= count; ++i) {
    const std::int32_t start = box.LineStart(i);
    if (start < 0)
      return fail();
    const std::int32_t end = i < count ? box.LineStart(i + 1) - 1 : length;
    if (end < start || end > length)
      return fail();
    CompLine& line = lines[i - 1];
    line.start = start;
    line.end = end;
    for (std::int32_t position = start; position < end; ++position)
      line.text.append(characters[position]);
  }
  return count;
}

void SortArray_CompLine(std::vector<CompLine>& lines) {
  std::vector<std::string> keys;
  keys.reserve(lines.size());
  for (const CompLine& line : lines)
    keys.push_back(SimpleUpperCase(line.text));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
      if (keys[j] < keys[i]) {
        std::swap(lines[i], lines[j]);
        std::swap(keys[i], keys[j]);
      }
    }
  }
}

bool AreTypeArrays_CompLine_Identical(const std::vector<CompLine>& a,
                                      const std::vector<CompLine>& b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].text != b[i].text)
      return false;
  }
  return true;
}

}  // namespace korvane
