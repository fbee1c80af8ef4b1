// frmSearchForObject (bound to one object type) and frmSearchForObject_Gen (the type chosen in
// the dialog): find an object of one side by the first letters of its name. The search and the
// choice are the core's (tools/find_object.h); the dialog shows them.
#pragma once

#include <QDialog>
#include <string>

#include "catalog/object_list.h"
#include "tools/find_object.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

struct ApplicationContext;
class QtListControl;
class QtSelector;
class QtTextView;

class FindObjectDialog final : public QDialog {
  Q_OBJECT

 public:
  // `general` adds the type selector and the server and database labels.
  FindObjectDialog(ApplicationContext& context, int side, std::string database, ObjectType type,
                   bool general, StructureTextRenderer render, QWidget* parent = nullptr);

  // The object OK chose; kind kFound only when one was found.
  const FindObjectChoice& result() const { return result_; }
  bool found() const { return result_.kind == FindObjectChoice::Kind::kFound; }

 private:
  void SetType(ObjectType type);
  void Search();
  void Ok();

  ApplicationContext& context_;
  int side_;
  std::string database_;
  ObjectType type_;
  StructureTextRenderer render_;
  FindObjectChoice result_;
  bool busy_ = false;
  QLabel* prompt_ = nullptr;
  QLineEdit* text_ = nullptr;
  QtSelector* types_ = nullptr;
  QtListControl* objects_ = nullptr;
  QtTextView* structure_ = nullptr;
};

}  // namespace korvane
