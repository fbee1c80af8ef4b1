#include "saved/ini_file.h"

#include <system_error>

#include "base/files.h"
#include "base/text.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

std::string NulTerminatedList(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += name;
    text.push_back('\0');
  }
  return text;
}

// The pieces of a text before each NUL, in order; text after the last NUL is not a piece.
std::vector<std::string> PiecesBeforeNuls(std::string_view text, bool skip_empty) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t nul = text.find('\0'); nul != std::string_view::npos;
       nul = text.find('\0', start)) {
    if (nul > start || !skip_empty)
      pieces.emplace_back(text.substr(start, nul - start));
    start = nul + 1;
  }
  return pieces;
}

}  // namespace

const std::optional<IniDocument>& cInifile::Content() const {
  if (cached_path_ != path_) {
    cached_path_ = path_;
    cached_stamp_.reset();
  }
  const FileStamp now = ReadFileStamp(path_);
  if (!cached_stamp_ || !(*cached_stamp_ == now)) {
    // Stamp first, content second: a change in between makes the next call read again.
    cached_stamp_ = now;
    cached_content_ = IniDocument::Load(path_);
  }
  return cached_content_;
}

template <typename Change>
void cInifile::Update(Change change) {
  last_return_code_ = 0;
  last_error_.clear();
  if (path_.empty())
    return;
  // Read again inside the file's lock: another run may have replaced it since the last read.
  const std::optional<FileLock> lock = FileLock::Acquire(path_, last_error_);
  if (!lock)
    return;
  cached_stamp_.reset();
  const std::optional<IniDocument>& content = Content();
  if (!content)
    return;  // never replace a file that could not be read
  IniDocument document = *content;
  switch (change(document)) {
    case IniDocument::Edit::kRefused:
      return;
    case IniDocument::Edit::kUnchanged:
      last_return_code_ = 1;
      return;
    case IniDocument::Edit::kChanged:
      break;
  }
  if (!document.Save(path_)) {
    cached_stamp_.reset();
    return;
  }
  cached_content_ = std::move(document);
  cached_stamp_ = ReadFileStamp(path_);
  last_return_code_ = 1;
}

std::string cInifile::Value() const {
  const std::optional<IniDocument>& content = Content();
  std::optional<std::string> value;
  if (content)
    value = content->Value(section_, key_);
  return std::string(Utf8Left(value ? *value : default_, kIniValueMaxChars));
}

void cInifile::SetValue(std::string_view text) {
  std::string without_nuls(text);
  std::erase(without_nuls, '\0');
  Update([&](IniDocument& document) { return document.SetValue(section_, key_, without_nuls); });
}

void cInifile::DeleteSection() {
  Update([&](IniDocument& document) { return document.DeleteSection(section_); });
}

void cInifile::DeleteKey() {
  Update([&](IniDocument& document) { return document.DeleteKey(section_, key_); });
}

std::string cInifile::INISection() const {
  const std::optional<IniDocument>& content = Content();
  const std::vector<std::string> names =
      content ? content->KeyNames(section_) : std::vector<std::string>();
  return names.empty() ? default_ : NulTerminatedList(names);
}

std::string cInifile::Sections() const {
  const std::optional<IniDocument>& content = Content();
  return content ? NulTerminatedList(content->SectionNames()) : std::string();
}

std::vector<std::string> cInifile::EnumerateCurrentSection() const {
  return PiecesBeforeNuls(INISection(), /*skip_empty=*/false);
}

std::vector<std::string> cInifile::EnumerateAllSections() const {
  return PiecesBeforeNuls(Sections(), /*skip_empty=*/true);
}

}  // namespace korvane
