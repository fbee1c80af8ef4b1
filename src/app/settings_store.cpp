#include "app/settings_store.h"

#include <system_error>

#include "app/files.h"

namespace korvane {
namespace fs = std::filesystem;

namespace {

std::string FullPath(std::string_view key) {
  return key.empty() ? std::string(kHive) : std::string(kHive) + "\\" + std::string(key);
}

}  // namespace

SettingsStore::SettingsStore(fs::path file) : file_(std::move(file)) {}

SettingsStore::Stamp SettingsStore::ReadStamp(const fs::path& file) {
  std::error_code error;
  Stamp stamp;
  const auto status = fs::status(file, error);
  if (error || !fs::is_regular_file(status))
    return stamp;
  stamp.exists = true;
  stamp.time = fs::last_write_time(file, error);
  stamp.size = fs::file_size(file, error);
  return stamp;
}

void SettingsStore::RefreshIfChanged() const {
  const Stamp now = ReadStamp(file_);
  if (stamp_ && *stamp_ == now)
    return;
  stamp_ = now;
  tree_ = RegistryTree();
  unreadable_lines_.clear();
  backup_pending_ = false;
  if (!now.exists)
    return;
  const auto content = ReadWholeFile(file_);
  if (!content)
    return;
  auto parsed = RegistryTree::Parse(*content);
  tree_ = std::move(parsed.tree);
  unreadable_lines_ = std::move(parsed.unreadable_lines);
  backup_pending_ = !unreadable_lines_.empty();
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

bool SettingsStore::Update(const std::function<void(RegistryTree& tree)>& change) {
  RefreshIfChanged();
  // The change works on a copy holding paths relative to the hive; the copy is then merged
  // into the full tree, so the hive prefix stays an implementation detail.
  RegistryTree relative;
  for (const RegistryTree::Key& key : tree_.keys()) {
    if (key.path.size() <= kHive.size() || key.path.compare(0, kHive.size(), kHive) != 0 ||
        key.path[kHive.size()] != '\\') {
      continue;
    }
    const std::string rel = key.path.substr(kHive.size() + 1);
    relative.CreateKey(rel);
    for (const auto& [name, value] : key.values)
      relative.SetValue(rel, name, value);
  }
  change(relative);
  RegistryTree updated;
  for (const RegistryTree::Key& key : tree_.keys()) {
    if (key.path.size() > kHive.size() && key.path.compare(0, kHive.size(), kHive) == 0 &&
        key.path[kHive.size()] == '\\') {
      continue;
    }
    updated.CreateKey(key.path);
    for (const auto& [name, value] : key.values)
      updated.SetValue(key.path, name, value);
  }
  for (const RegistryTree::Key& key : relative.keys()) {
    const std::string full = FullPath(key.path);
    updated.CreateKey(full);
    for (const auto& [name, value] : key.values)
      updated.SetValue(full, name, value);
  }

  if (backup_pending_) {
    // Keep what could not be read before the first rewrite drops it.
    std::error_code error;
    fs::copy_file(file_, BackupPath(), fs::copy_options::overwrite_existing, error);
    if (error)
      return false;
  }
  if (!WriteFileAtomically(file_, updated.ToText(), FileMode::kOwnerOnly))
    return false;
  tree_ = std::move(updated);
  stamp_ = ReadStamp(file_);
  backup_pending_ = false;
  return true;
}

void SettingsStore::SaveNumber(std::string_view key, std::string_view name, std::uint32_t value) {
  Update([&](RegistryTree& tree) { tree.SetValue(key, name, RegistryValue::Dword(value)); });
}

void SettingsStore::SaveString(std::string_view key, std::string_view name, std::string_view text) {
  Update([&](RegistryTree& tree) { tree.SetValue(key, name, RegistryValue::String(text)); });
}

void SettingsStore::CreateKey(std::string_view key) {
  Update([&](RegistryTree& tree) { tree.CreateKey(key); });
}

void SettingsStore::DeleteKey(std::string_view key) {
  Update([&](RegistryTree& tree) { tree.DeleteKey(key); });
}

}  // namespace korvane
