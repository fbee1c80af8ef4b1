// frmIgnoreColumnsAdd, the editor of one table's ignored-column list (a check list of its
// columns), and frmIgnoreColumnsView, every ignored column of one kind. What they show and
// save is the core's (dataview/ignored_columns_editor.h, ignored_columns_viewer.h).
#pragma once

#include <QDialog>

#include "dataview/ignored_columns_editor.h"
#include "dataview/ignored_columns_viewer.h"

namespace korvane {

struct ApplicationContext;
class QtListControl;

class IgnoreColumnsAddDialog final : public QDialog {
  Q_OBJECT

 public:
  // ShowUp: true when the list was saved.
  static bool ShowUp(ApplicationContext& context, IgnoredColumnsKind kind, const ViewedTable& table,
                     QWidget* parent = nullptr);

  IgnoreColumnsAddDialog(ApplicationContext& context, IgnoreEditorState state,
                         QWidget* parent = nullptr);

  bool saved() const { return saved_; }

 protected:
  void accept() override;

 private:
  void TickAll(bool ticked);

  ApplicationContext& context_;
  IgnoreEditorState state_;
  QtListControl* list_ = nullptr;
  bool saved_ = false;
};

class IgnoreColumnsViewDialog final : public QDialog {
  Q_OBJECT

 public:
  static void ShowUp(ApplicationContext& context, IgnoredColumnsKind kind,
                     QWidget* parent = nullptr);

  IgnoreColumnsViewDialog(ApplicationContext& context, IgnoredColumnsKind kind,
                          QWidget* parent = nullptr);

 private:
  ApplicationContext& context_;
  IgnoredColumnsListing listing_;
};

}  // namespace korvane
