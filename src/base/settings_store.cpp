#include "base/settings_store.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "base/files.h"
#include "base/text.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

std::string FullPath(std::string_view key) {
  return key.empty() ? std::string(kHive) : std::string(kHive) + "\\" + std::string(key);
}

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// The first key path or value name of the tree that holds a line break, which the file format
// cannot hold; nothing when there is none.
std::optional<std::string> NameWithLineBreak(const RegistryTree& tree) {
  for (const RegistryTree::Key& key : tree.keys()) {
    if (HasLineBreak(key.path))
      return key.path;
    for (const auto& [name, value] : key.values) {
      if (HasLineBreak(name))
        return name;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string RegTextWithoutPasswords(std::string_view text) {
  std::string out;
  bool dropping = false;  // inside a "Pwd" value that continues on the next line
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    const std::string_view line = text.substr(start, end - start);
    start = end;
    const std::string_view trimmed = TrimBlanks(line);
    bool drop = dropping;
    if (!dropping && trimmed.size() > 6 && EqualsIgnoringCase(trimmed.substr(0, 5), "\"Pwd\"")) {
      const std::string_view rest = TrimBlanks(trimmed.substr(5));
      drop = !rest.empty() && rest.front() == '=';
    }
    if (drop) {
      // Hex data goes on after a trailing backslash.
      dropping = !trimmed.empty() && trimmed.back() == '\\';
      continue;
    }
    dropping = false;
    out.append(line);
  }
  return out;
}

SettingsStore::SettingsStore(fs::path file) : file_(std::move(file)) {}

FileStamp SettingsStore::ReadStamp() const {
  ++file_checks_;
  return ReadFileStamp(file_);
}

void SettingsStore::RefreshIfChanged() const {
  if (read_scopes_ > 0 && stamp_)
    return;
  const FileStamp now = ReadStamp();
  if (stamp_ && *stamp_ == now)
    return;
  stamp_ = now;
  Reload();
}

void SettingsStore::Reload() const {
  tree_ = RegistryTree();
  unreadable_lines_.clear();
  raw_text_.clear();
  backup_pending_ = false;
  unreadable_reason_.clear();
  std::error_code error;
  const auto status = fs::status(file_, error);
  if (!fs::exists(status))
    return;
  std::string reason;
  std::optional<std::string> content;
  if (fs::is_directory(status)) {
    reason = std::strerror(EISDIR);
  } else {
    errno = 0;
    content = ReadWholeFile(file_);
    if (!content)
      reason = errno != 0 ? std::strerror(errno) : "read error";
  }
  if (!content) {
    unreadable_reason_ = "The settings file\r\n\r\n" + file_.string() +
                         "\r\n\r\ncannot be read: " + reason +
                         ".\r\n\r\nThe program goes on with its default settings and does not "
                         "change the file.";
    return;
  }
  auto parsed = RegistryTree::Parse(*content);
  tree_ = std::move(parsed.tree);
  unreadable_lines_ = std::move(parsed.unreadable_lines);
  backup_pending_ = !unreadable_lines_.empty();
  if (backup_pending_)
    raw_text_ = std::move(*content);
}

const std::vector<std::string>& SettingsStore::unreadable_lines() const {
  RefreshIfChanged();
  return unreadable_lines_;
}

const std::string& SettingsStore::unreadable_reason() const {
  RefreshIfChanged();
  return unreadable_reason_;
}

SettingsStore::ReadScope::ReadScope(const SettingsStore& store) : store_(store) {
  store_.RefreshIfChanged();
  ++store_.read_scopes_;
}

SettingsStore::ReadScope::~ReadScope() {
  --store_.read_scopes_;
}

fs::path SettingsStore::BackupPath() const {
  return fs::path(file_.native() + ".bak");
}

std::uint32_t SettingsStore::GetNumber(std::string_view key, std::string_view name,
                                       std::uint32_t default_value) const {
  RefreshIfChanged();
  const RegistryValue* value = tree_.FindValue(FullPath(key), name);
  if (value == nullptr || value->kind != RegistryValue::Kind::kDword)
    return default_value;
  return value->number;
}

std::string SettingsStore::GetString(std::string_view key, std::string_view name,
                                     std::string_view default_value) const {
  RefreshIfChanged();
  const RegistryValue* value = tree_.FindValue(FullPath(key), name);
  if (value == nullptr || value->kind != RegistryValue::Kind::kString) {
    return std::string(default_value);
  }
  return value->text.substr(0, value->text.find('\0'));
}

std::optional<RegistryValue> SettingsStore::GetValue(std::string_view key,
                                                     std::string_view name) const {
  RefreshIfChanged();
  const RegistryValue* value = tree_.FindValue(FullPath(key), name);
  if (value == nullptr)
    return std::nullopt;
  return *value;
}

bool SettingsStore::KeyExists(std::string_view key) const {
  RefreshIfChanged();
  return tree_.KeyExists(FullPath(key));
}

std::vector<std::string> SettingsStore::SubkeyNames(std::string_view key) const {
  RefreshIfChanged();
  return tree_.SubkeyNames(FullPath(key));
}

bool SettingsStore::WriteBackupWithoutPasswords() const {
  return WriteFileAtomically(BackupPath(), RegTextWithoutPasswords(raw_text_),
                             FileMode::kOwnerOnly);
}

bool SettingsStore::Update(const std::function<void(RegistryTree& tree)>& change) {
  return UpdateIf([&](RegistryTree& tree) {
    change(tree);
    return true;
  });
}

bool SettingsStore::UpdateIf(const std::function<bool(RegistryTree& tree)>& change) {
  last_error_.clear();
  std::optional<FileLock> lock = FileLock::Acquire(file_, last_error_);
  if (!lock)
    return false;
  // Another run may have replaced the file since the last read: read it again inside the lock.
  stamp_ = ReadStamp();
  Reload();
  if (!unreadable_reason_.empty()) {
    last_error_ = unreadable_reason_;
    return false;
  }
  // The change works on a copy holding paths relative to the hive; the copy is then merged
  // into the full tree, so the hive prefix stays an implementation detail.
  RegistryTree relative;
  for (const RegistryTree::Key& key : tree_.keys()) {
    if (key.path.size() <= kHive.size() || key.path.compare(0, kHive.size(), kHive) != 0 ||
        key.path[kHive.size()] != '\\') {
      continue;
    }
    const std::string rel = key.path.substr(kHive.size() + 1);
    RegistryTree::Key& copy = relative.CreateKey(rel);
    copy.values = key.values;
  }
  if (!change(relative))
    return false;
  if (const auto bad = NameWithLineBreak(relative)) {
    last_error_ =
        "Key paths and value names cannot hold line breaks (CR or LF): the settings file "
        "cannot store them. Nothing was changed.";
    return false;
  }
  RegistryTree updated;
  for (const RegistryTree::Key& key : tree_.keys()) {
    if (key.path.size() > kHive.size() && key.path.compare(0, kHive.size(), kHive) == 0 &&
        key.path[kHive.size()] == '\\') {
      continue;
    }
    updated.CreateKey(key.path).values = key.values;
  }
  for (const RegistryTree::Key& key : relative.keys()) {
    RegistryTree::Key& copy = updated.CreateKey(FullPath(key.path));
    for (const auto& [name, value] : key.values)
      updated.SetValue(copy.path, name, value);
  }

  if (backup_pending_ && !WriteBackupWithoutPasswords()) {
    // Keep what could not be read before the first rewrite drops it.
    last_error_ = "The settings file " + file_.string() + " could not be saved: its backup " +
                  BackupPath().string() + " could not be written.";
    return false;
  }
  if (!WriteFileAtomically(file_, updated.ToText(), FileMode::kOwnerOnly)) {
    last_error_ = "The settings file " + file_.string() + " could not be written.";
    return false;
  }
  tree_ = std::move(updated);
  stamp_ = ReadStamp();
  backup_pending_ = false;
  raw_text_.clear();
  // A backup left by an earlier version may still hold passwords (of servers removed since).
  if (const auto backup = ReadWholeFile(BackupPath())) {
    const std::string cleaned = RegTextWithoutPasswords(*backup);
    if (cleaned.size() != backup->size())
      WriteFileAtomically(BackupPath(), cleaned, FileMode::kOwnerOnly);
  }
  return true;
}

bool SettingsStore::SaveNumber(std::string_view key, std::string_view name, std::uint32_t value) {
  return Update([&](RegistryTree& tree) { tree.SetValue(key, name, RegistryValue::Dword(value)); });
}

bool SettingsStore::SaveString(std::string_view key, std::string_view name, std::string_view text) {
  return Update([&](RegistryTree& tree) { tree.SetValue(key, name, RegistryValue::String(text)); });
}

bool SettingsStore::CreateKey(std::string_view key) {
  return Update([&](RegistryTree& tree) { tree.CreateKey(key); });
}

bool SettingsStore::DeleteKey(std::string_view key) {
  return Update([&](RegistryTree& tree) { tree.DeleteKey(key); });
}

std::string SettingsKeyPath(std::string_view subkey) {
  std::string path(kSettingsRoot);
  if (!subkey.empty())
    path += "\\" + std::string(subkey);
  return path;
}

}  // namespace korvane
