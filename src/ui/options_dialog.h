// frmOptions: one tab per setting. OK validates, saves and closes; Apply validates and saves;
// Cancel closes. The caller learns whether anything was saved.
#pragma once

#include <QDialog>

#include "app/settings.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace korvane {

struct ApplicationContext;

class OptionsDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit OptionsDialog(ApplicationContext& context, QWidget* parent = nullptr);

  // True once OK or Apply saved the options.
  bool saved() const { return saved_; }

  QTabWidget* tabs() const { return tabs_; }

 private:
  // Validates (the fields may be reset) and saves.
  void Apply();
  OptionsValues Values() const;
  void Show(const OptionsValues& values);

  ApplicationContext& context_;
  bool saved_ = false;
  QTabWidget* tabs_ = nullptr;
  QCheckBox* auto_connect_ = nullptr;
  QCheckBox* show_owners_ = nullptr;
  QLineEdit* max_rows_ = nullptr;
  QCheckBox* case_sensitive_ = nullptr;
  QCheckBox* ignore_whitespace_ = nullptr;
  QCheckBox* ignore_comments_ = nullptr;
  QCheckBox* ignore_indexes_ = nullptr;
  QRadioButton* client_side_ = nullptr;
  QRadioButton* server_side_ = nullptr;
  QLineEdit* cache_size_ = nullptr;
  QCheckBox* ignore_sys_objects_ = nullptr;
  QCheckBox* show_data_comp_opt_ = nullptr;
  QCheckBox* preserve_db_sel_ = nullptr;
  QCheckBox* ignore_col_seq_ = nullptr;
  QCheckBox* auto_sel_target_obj_ = nullptr;
  QCheckBox* analyze_constraints_ = nullptr;
  QCheckBox* prompt_to_save_ = nullptr;
};

}  // namespace korvane
