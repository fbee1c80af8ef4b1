#include "ui/window_geometry.h"

#include <QByteArray>
#include <QMainWindow>
#include <QSplitter>
#include <string>

#include "app/settings.h"
#include "base/settings_store.h"

namespace korvane {
namespace {

// Kept beside the program's other settings, under a key of its own.
constexpr std::string_view kWindowKey = "Window";
constexpr std::string_view kGeometryName = "MainGeometry";
constexpr std::string_view kSplitterName = "MainSplitter";

QByteArray Read(const SettingsStore& store, std::string_view name) {
  const std::string text = store.GetString(SettingsKeyPath(kWindowKey), name, "");
  return QByteArray::fromBase64(QByteArray::fromStdString(text));
}

void Write(SettingsStore& store, std::string_view name, const QByteArray& state) {
  store.SaveString(SettingsKeyPath(kWindowKey), name, state.toBase64().toStdString());
}

}  // namespace

void RestoreWindowGeometry(const SettingsStore& store, QMainWindow& window, QSplitter& splitter) {
  if (const QByteArray geometry = Read(store, kGeometryName); !geometry.isEmpty())
    window.restoreGeometry(geometry);
  if (const QByteArray sizes = Read(store, kSplitterName); !sizes.isEmpty())
    splitter.restoreState(sizes);
}

void SaveWindowGeometry(SettingsStore& store, const QMainWindow& window,
                        const QSplitter& splitter) {
  Write(store, kGeometryName, window.saveGeometry());
  Write(store, kSplitterName, splitter.saveState());
}

}  // namespace korvane
