// frmOptionsDebug: the developer's options, reachable only in debug mode, on the tabs
// "Connection Method" (shown, not stored), "Filter Offline Databases" and "Text Control
// Settings" (the page size of the structure text views).
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace korvane {

struct ApplicationContext;

class DebugOptionsDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit DebugOptionsDialog(ApplicationContext& context, QWidget* parent = nullptr);

 private:
  ApplicationContext& context_;
  QCheckBox* filter_offline_dbs_ = nullptr;
  QLineEdit* page_width_ = nullptr;
  QLineEdit* page_height_ = nullptr;
};

}  // namespace korvane
