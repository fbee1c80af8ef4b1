// The tip of the day: the tips of "TipOfDay.txt" beside the executable, shown one at a time in
// file order, the number of the tip shown last kept in "DisplayedTipNum" so that each opening
// shows the next one.
//
// File format: lines 1 to 6 are a header and are skipped; every further line is one tip (an
// empty line is an empty tip). Five consecutive blanks inside a tip mark a paragraph break.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class SettingsStore;

inline constexpr std::string_view kTipFileName = "TipOfDay.txt";
inline constexpr int kTipHeaderLines = 6;
inline constexpr std::string_view kTipFileMissingCounter = "Error";

// The text shown instead of a tip when the tip file is missing.
std::string TipFileMissingText();

// A tip line as it is shown: every five blanks become two line breaks (CR LF CR LF).
std::string FormatTip(std::string_view line);

// The tips of a tip file's content, formatted, in file order. Lines end with CR LF, LF or CR; a
// break at the very end of the content does not start another line.
std::vector<std::string> ParseTips(std::string_view content);

// The tips of the file; empty when the path is empty or the file cannot be read.
std::optional<std::vector<std::string>> ReadTipFile(const std::filesystem::path& file);

// What the tip dialog shows, from opening to closing.
class TipOfDay {
 public:
  // Reads "DisplayedTipNum" and "ShowTipOfDay" and the tip file, then shows the next tip (or the
  // missing-file text with the counter "Error").
  static TipOfDay Load(const SettingsStore& store, const std::filesystem::path& tip_file);

  // "Next Tip": the tip after the current one, tip 1 after the last. Numbers outside 1 to the
  // number of tips (a stored number that no longer fits the file) also start again at 1. With
  // no tip, the number moves on the same way and the shown text stays as it is.
  void ShowNextTip();

  // Closing: writes "ShowTipOfDay" (the check box) and "DisplayedTipNum".
  void Save(SettingsStore& store, bool show_at_startup) const;

  const std::string& text() const { return text_; }
  // "Tip number N/M", "Error" when the file is missing, empty when the file holds no tip.
  const std::string& counter() const { return counter_; }
  std::uint32_t current_number() const { return current_; }
  int tip_count() const { return static_cast<int>(tips_.size()); }
  bool file_found() const { return file_found_; }
  // The stored "ShowTipOfDay" the dialog's check box starts with.
  bool show_at_startup() const { return show_at_startup_; }

 private:
  std::vector<std::string> tips_;
  bool file_found_ = false;
  std::uint32_t current_ = 0;
  bool show_at_startup_ = true;
  std::string text_;
  std::string counter_;
};

}  // namespace korvane
