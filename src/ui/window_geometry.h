// Where the main window stood, how large it was and how its two sides were split, kept in the
// settings store from one run to the next.
#pragma once

class QMainWindow;
class QSplitter;

namespace korvane {

class SettingsStore;

// Puts the window and the splitter back as they were saved; leaves them as they are when nothing
// was saved or the saved text is not readable.
void RestoreWindowGeometry(const SettingsStore& store, QMainWindow& window, QSplitter& splitter);

// Saves the window's geometry and the splitter's sizes.
void SaveWindowGeometry(SettingsStore& store, const QMainWindow& window, const QSplitter& splitter);

}  // namespace korvane
