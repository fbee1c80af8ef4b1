#include "script/structure_text.h"

#include <gtest/gtest.h>

#include "base/memory_list_control.h"
#include "base/memory_text_view.h"
#include "script_fixture.h"

namespace korvane {
namespace {

using testing::ColumnQueryById;
using testing::ColumnRows;
using testing::ForeignKeyRows;
using testing::IndexQuery;
using testing::IndexRows;
using testing::ModuleQuery;
using testing::ModuleQueryById;
using testing::NoRows;
using testing::RelationshipQuery;
using testing::Rows;
using testing::ScriptTest;
using testing::TextRows;

class StructureTextBoxTest : public ScriptTest {
 protected:
  void AddObject(std::string name, int id) {
    const int row = objects_.AddRow(name);
    objects_.SetCell(row, 1, "2026-01-01");
    objects_.SetCell(row, 2, std::to_string(id));
  }
  void Update(ObjectType type, std::string_view name = "", std::int32_t id = 0) {
    objects_.SetTag("OFF");
    UpdateProcedureTextBox(context_, server(), view_, objects_, type, "Sales", name, id);
  }

  MemoryListControl objects_;
  MemoryTextView view_{"previous text"};
};

TEST_F(StructureTextBoxTest, ShowsTheSelectedModuleWithTheCaretAtTheStart) {
  AddObject("usp_A", 3);
  AddObject("usp_B", 4);
  objects_.SetCurrentRow(1);
  Respond(ModuleQueryById(4), TextRows({"\r\nCREATE PROC usp_B AS\r\nSELECT 2\r\n"}));
  view_.SetSelection(5, 3);
  Update(ObjectType::kProcedures);
  EXPECT_EQ(view_.Text(), "CREATE PROC usp_B AS\r\nSELECT 2");
  EXPECT_EQ(view_.SelectionStart(), 0);
  EXPECT_EQ(view_.SelectionLength(), 0);
  EXPECT_EQ(objects_.Tag(), "");
  ASSERT_FALSE(ui_.busy_changes.empty());
  EXPECT_FALSE(ui_.busy_changes.back());  // the normal pointer is back
}

TEST_F(StructureTextBoxTest, NothingSelectedInANonEmptyListShowsTheFirstObject) {
  AddObject("v1", 10);
  AddObject("v2", 11);
  objects_.SetCurrentRow(-1);
  Respond(ModuleQueryById(10), TextRows({"CREATE VIEW v1 AS SELECT 1"}));
  Update(ObjectType::kViews);
  EXPECT_EQ(objects_.CurrentRow(), 0);
  EXPECT_EQ(view_.Text(), "CREATE VIEW v1 AS SELECT 1");
}

TEST_F(StructureTextBoxTest, EmptyListShowsNothingToShow) {
  Update(ObjectType::kViews);
  EXPECT_EQ(view_.Text(), "<<Nothing to show>>");
  EXPECT_TRUE(Queries().empty());
  EXPECT_EQ(objects_.Tag(), "");
}

TEST_F(StructureTextBoxTest, Fault6EmptyTextClearsThePreviousObjectsText) {
  // The previous object's text must not stay on screen under the new object's name.
  AddObject("gone", 5);
  objects_.SetCurrentRow(0);
  Respond(ModuleQueryById(5), NoRows({"text"}));
  view_.SetSelection(4, 2);
  Update(ObjectType::kTriggers);
  EXPECT_EQ(view_.Text(), "");
  EXPECT_EQ(view_.SelectionStart(), 0);
  EXPECT_EQ(objects_.Tag(), "");
}

TEST_F(StructureTextBoxTest, TableIsReadByTheIdOfTheSelectedRowWithItsIndexes) {
  AddObject("Orders", 77);
  objects_.SetCurrentRow(0);
  Respond(ColumnQueryById("Orders", 77), ColumnRows({{"OrderID", "int", 4, 10, 0, false}}));
  Respond(IndexQuery("", false, 77), IndexRows({{"OrderID", "PK_Orders", 1}}));
  Update(ObjectType::kTables);
  EXPECT_EQ(view_.Text(),
            "[OrderID] [int] NOT NULL\r\n\r\nCONSTRAINT [PK_Orders] PRIMARY KEY CLUSTERED "
            "([OrderID])\r\n");
}

TEST_F(StructureTextBoxTest, PassedNameAndIdWinOverTheSelectedRow) {
  AddObject("Orders", 77);
  objects_.SetCurrentRow(0);
  context_.settings.ignore_indexes = true;
  Respond(ColumnQueryById("Lines", 12), ColumnRows({{"LineID", "int", 4, 10, 0, false}}));
  Update(ObjectType::kTables, "Lines", 12);
  EXPECT_EQ(view_.Text(), "[LineID] [int] NOT NULL");
}

TEST_F(StructureTextBoxTest, UnknownTypeShowsTheInternalErrorMessage) {
  AddObject("x", 1);
  objects_.SetCurrentRow(0);
  Update(ObjectTypeFromCode(70));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "SHOULDN't HAPPEN");
  EXPECT_EQ(view_.Text(), "previous text");
  EXPECT_EQ(objects_.Tag(), "");
}

TEST_F(StructureTextBoxTest, UnexpectedFailureIsReportedWithTheLineReached) {
  AddObject("p", 1);
  objects_.SetCurrentRow(0);
  // A failure inside the text reader is reported there; one in the view is reported here.
  class ThrowingView : public MemoryTextView {
   public:
    void SetText(std::string_view text) override {
      if (text != "")
        throw std::runtime_error("view gone");
      MemoryTextView::SetText(text);
    }
  } view;
  Respond(ModuleQueryById(1), TextRows({"CREATE PROC p AS SELECT 1"}));
  objects_.SetTag("OFF");
  UpdateProcedureTextBox(context_, server(), view, objects_, ObjectType::kProcedures, "Sales", "",
                         0);
  ASSERT_EQ(ui_.error_reports.size(), 1u);
  EXPECT_EQ(ui_.error_reports[0].module_name, "modNew");
  EXPECT_EQ(ui_.error_reports[0].procedure_name, "UpdateProcedureTextBox");
  EXPECT_EQ(ui_.error_reports[0].extra_description, "Line num: 7");
  EXPECT_EQ(objects_.Tag(), "");
}

TEST_F(StructureTextBoxTest, RendererShowsTheListsSelection) {
  // The key is read by the id of the list row.
  AddObject("FK_A", 8);
  objects_.SetCurrentRow(0);
  Respond(RelationshipQuery("", 8), ForeignKeyRows({{"FK_A", "B", "C", "D", "E", "8"}}));
  const StructureTextRenderer render = MakeStructureTextRenderer(context_);
  render(server(), objects_, view_, ObjectType::kRelationships, "Sales");
  EXPECT_EQ(view_.Text(), "TABLE E\r\nCONSTRAINT [FK_A]\r\nFOREIGN KEY [B]\r\nREFERENCES [C] [D]");
}

// --- the text of any object ----------------------------------------------------------------------

using StructureTextTest = ScriptTest;

TEST_F(StructureTextTest, EachTypeCodeUsesItsReader) {
  Respond(ModuleQueryById(4), TextRows({"CREATE FUNCTION m() RETURNS int AS BEGIN RETURN 1 END"}));
  for (ObjectType type : {ObjectType::kProcedures, ObjectType::kFunctions, ObjectType::kViews,
                          ObjectType::kTriggers}) {
    EXPECT_EQ(GetStructureText(context_, server(), "Sales", type, "m", 4),
              "CREATE FUNCTION m() RETURNS int AS BEGIN RETURN 1 END");
  }
  EXPECT_EQ(GetStructureText(context_, server(), "Sales", ObjectTypeFromCode(0), "m", 4),
            std::nullopt);
  EXPECT_EQ(GetStructureText(context_, server(), "Sales", ObjectTypeFromCode(90), "m", 4),
            std::nullopt);
  EXPECT_EQ(Queries().size(), 4u);
}

TEST_F(StructureTextTest, Fault4ModuleWithoutIdIsLookedUpByName) {
  Respond(ModuleQuery("m"), TextRows({"CREATE PROC m AS SELECT 1"}));
  EXPECT_EQ(GetStructureText(context_, server(), "Sales", ObjectType::kProcedures, "m", 0),
            "CREATE PROC m AS SELECT 1");
}

}  // namespace
}  // namespace korvane
