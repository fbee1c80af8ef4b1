#include "app/tip_of_day.h"

#include "app/settings.h"
#include "base/files.h"
#include "base/text.h"

namespace korvane {

std::string TipFileMissingText() {
  const std::string file(kTipFileName);
  return "That the " + file + " file was not found? \r\n\r\nCreate a text file named " + file +
         " using NotePad with 1 tip per line, leaving first 6 lines empty. Then place it in the "
         "same directory as the application. \r\n\r\nOptionally, reinstall this program.";
}

std::string FormatTip(std::string_view line) {
  // The replacement holds no blank, so one pass from the start gives what searching again from
  // the beginning after every replacement gives.
  return ReplaceAll(line, "     ", "\r\n\r\n");
}

std::vector<std::string> ParseTips(std::string_view content) {
  std::vector<std::string> tips;
  int line_number = 0;
  std::size_t pos = 0;
  while (pos < content.size()) {
    const std::size_t end = content.find_first_of("\r\n", pos);
    const std::string_view line =
        content.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (++line_number > kTipHeaderLines)
      tips.push_back(FormatTip(line));
    if (end == std::string_view::npos)
      break;
    pos = end + 1;
    if (content[end] == '\r' && pos < content.size() && content[pos] == '\n')
      ++pos;
  }
  return tips;
}

std::optional<std::vector<std::string>> ReadTipFile(const std::filesystem::path& file) {
  if (file.empty())
    return std::nullopt;
  const std::optional<std::string> content = ReadWholeFile(file);
  if (!content)
    return std::nullopt;
  return ParseTips(*content);
}

TipOfDay TipOfDay::Load(const SettingsStore& store, const std::filesystem::path& tip_file) {
  TipOfDay tip;
  tip.current_ = ReadNumber(store, Setting::kDisplayedTipNum);
  tip.show_at_startup_ = ReadBoolean(store, Setting::kShowTipOfDay);
  std::optional<std::vector<std::string>> tips = ReadTipFile(tip_file);
  if (!tips) {
    tip.text_ = TipFileMissingText();
    tip.counter_ = kTipFileMissingCounter;
    return tip;
  }
  tip.file_found_ = true;
  tip.tips_ = std::move(*tips);
  tip.ShowNextTip();
  return tip;
}

void TipOfDay::ShowNextTip() {
  const std::uint64_t next = static_cast<std::uint64_t>(current_) + 1;
  current_ = next > tips_.size() ? 1 : static_cast<std::uint32_t>(next);
  if (tips_.empty())
    return;
  text_ = tips_[current_ - 1];
  counter_ = "Tip number " + std::to_string(current_) + "/" + std::to_string(tips_.size());
}

void TipOfDay::Save(SettingsStore& store, bool show_at_startup) const {
  WriteBoolean(store, Setting::kShowTipOfDay, show_at_startup);
  WriteNumber(store, Setting::kDisplayedTipNum, current_);
}

}  // namespace korvane
