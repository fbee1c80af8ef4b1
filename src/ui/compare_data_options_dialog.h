// frmCompareDataOptions: the options of one data comparison, shown just before the run. The
// rules are CompareDataOptionsState's; the dialog lays out the tabs, forwards each choice to
// the rule that handles it and shows the state again.
#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "datacomp/compare_data_options_state.h"
#include "datacomp/data_compare.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace korvane {

struct ApplicationContext;
class QtListControl;

class CompareDataOptionsDialog final : public QDialog {
  Q_OBJECT

 public:
  // Loads the columns of both tables (ignored ones included), their Data ignored-column lists,
  // their stored settings and "ShowDataCompOpt". `keys` are the tables' settings keys.
  CompareDataOptionsDialog(ApplicationContext& context,
                           const std::array<DataCompareTable, 2>& tables,
                           const std::array<std::string, 2>& keys, QWidget* parent = nullptr);

  // The options, once the dialog closed with Continue.
  const std::optional<DataCompareOptions>& options() const { return options_; }
  const CompareDataOptionsState& state() const { return state_; }

 private:
  QWidget* BuildMethodTab();
  QWidget* BuildSortingTab();
  QWidget* BuildOffsetTab();
  QWidget* BuildIgnoreTab();
  // The three ranked column choices of both sides (sort keys or key columns): a heading naming
  // each side's table, then one row per rank. `prefix` names the controls: prefix + "Side" n
  // for the headings, prefix n for the rank labels, "cmb" + prefix n for the combo boxes.
  QGridLayout* ColumnChoiceGrid(const char* prefix, const std::array<std::string_view, 3>& labels,
                                bool key_fields);
  // Runs one reaction to a person's action and shows the state again; actions arriving while a
  // reaction runs (or while the controls are being set) are ignored.
  template <typename Action>
  void React(Action action);
  // Copies the state into the controls.
  void ShowState();
  void Continue();

  ApplicationContext& context_;
  std::array<DataCompareTable, 2> tables_;
  std::array<std::string, 2> keys_;
  CompareDataOptionsState state_;
  std::optional<DataCompareOptions> options_;
  bool busy_ = false;

  QTabWidget* tabs_ = nullptr;
  std::array<QRadioButton*, 2> method_options_{};
  QWidget* key_fields_frame_ = nullptr;
  std::array<QComboBox*, 6> sort_keys_{};    // cmbGen, by SortKeyComboIndex
  std::array<QComboBox*, 6> key_fields_{};   // cmbPK, by KeyFieldComboIndex
  std::array<QLineEdit*, 2> offsets_{};      // txtOffset
  std::array<QtListControl*, 2> columns_{};  // pvlSqlObj
  QCheckBox* do_not_show_ = nullptr;
};

}  // namespace korvane
