// Stored procedures run for clients: definitions read, arguments bound, variables kept by the
// runner while the engine runs the statements.
#include <gtest/gtest.h>

#include "db/embedded/embedded_backend.h"
#include "db/embedded/script_loader.h"
#include "db/tds/procedure_runner.h"
#include "support/scratch_folder.h"

namespace korvane::tds {
namespace {

TEST(ProcedureDefinitionTest, ReadsParametersAndBody) {
  const auto definition = ParseProcedureDefinition(
      "CREATE PROCEDURE dbo.[Get Item];1 (@id int, @name nvarchar(50) = N'x' OUTPUT,\n"
      "  @d decimal(10,2) = -1.5, @o AS int OUT) WITH RECOMPILE AS\nSELECT @id");
  ASSERT_TRUE(definition);
  ASSERT_EQ(definition->parameters.size(), 4u);
  const auto& p = definition->parameters;
  EXPECT_EQ(p[0].name, "@id");
  EXPECT_EQ(p[0].type, "int");
  EXPECT_FALSE(p[0].default_text);
  EXPECT_EQ(p[1].type, "nvarchar(50)");
  EXPECT_EQ(p[1].default_text, "N'x'");
  EXPECT_TRUE(p[1].output);
  EXPECT_EQ(p[2].type, "decimal(10,2)");
  EXPECT_EQ(p[2].default_text, "-1.5");
  EXPECT_TRUE(p[3].output);
  EXPECT_EQ(definition->body, "\nSELECT @id");
}

TEST(ProcedureDefinitionTest, RefusesWhatIsNotAProcedure) {
  for (const char* text : {"CREATE VIEW v AS SELECT 1", "CREATE PROC p @a int", "CREATE PROC",
                           "CREATE PROC p (@a int AS SELECT 1", "CREATE PROC p 'open"})
    EXPECT_FALSE(ParseProcedureDefinition(text)) << text;
}

TEST(ExecCallTest, ReadsLiteralArguments) {
  const auto call = ParseExecCall("EXEC dbo.GetItem 1, @name = N'a''b' OUTPUT, DEFAULT, -2.5;");
  ASSERT_TRUE(call);
  EXPECT_EQ(call->procedure, "GetItem");
  ASSERT_EQ(call->arguments.size(), 4u);
  EXPECT_EQ(call->arguments[0].expression, "1");
  EXPECT_EQ(call->arguments[1].name, "@name");
  EXPECT_EQ(call->arguments[1].expression, "N'a''b'");
  EXPECT_TRUE(call->arguments[1].output);
  EXPECT_TRUE(call->arguments[2].use_default);
  EXPECT_EQ(call->arguments[3].expression, "-2.5");
  const auto bare = ParseExecCall("execute p");
  ASSERT_TRUE(bare);
  EXPECT_TRUE(bare->arguments.empty());
}

TEST(ExecCallTest, LeavesOtherBatchesToTheEngine) {
  for (const char* sql :
       {"SELECT 1", "EXEC p 1 SELECT 2", "EXEC p @v", "EXEC p (1)", "EXEC p 1,", "EXEC"})
    EXPECT_FALSE(ParseExecCall(sql)) << sql;
}

class ProcedureRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto result = LoadScript(scratch_.path() / "servers", server(), "shop", R"(
CREATE TABLE Items (Id int NOT NULL PRIMARY KEY, Name nvarchar(50) NULL, Price money NULL)
GO
INSERT INTO Items VALUES (1, N'Tea', 2.5)
INSERT INTO Items VALUES (2, N'Cake', 4)
GO
CREATE PROCEDURE Counts @min int = 0, @count int = NULL OUTPUT, @top nvarchar(50) OUTPUT AS
BEGIN
  SET NOCOUNT ON
  DECLARE @limit int = @min + 1
  SELECT Id, Name FROM Items WHERE Id >= @limit ORDER BY Id
  SELECT @count = COUNT(*) FROM Items WHERE Id >= @limit
  SELECT @top = Name FROM Items WHERE Id >= @limit ORDER BY Id
  RETURN @count * 10
END
GO
CREATE PROCEDURE Broken AS
  SELECT * FROM Missing
GO
CREATE TABLE Tags (Id int NOT NULL CONSTRAINT PK_Tags PRIMARY KEY)
GO
CREATE PROCEDURE DropTagKey AS
  ALTER TABLE Tags DROP CONSTRAINT PK_Tags
  SELECT COUNT(*) FROM sysobjects WHERE name = 'PK_Tags'
GO
)");
    ASSERT_TRUE(result.ok) << result.message;
    ConnectionRequest request;
    request.server = server();
    request.database = "shop";
    auto opened = backend_.Open(request);
    ASSERT_TRUE(opened.session);
    session_ = std::move(opened.session);
  }
  std::string server() const { return "embedded:" + (scratch_.path() / "srv").string(); }

  static ProcedureArgument Arg(std::string name, Value value, bool output = false) {
    ProcedureArgument argument;
    argument.name = std::move(name);
    argument.value = std::move(value);
    argument.output = output;
    return argument;
  }

  testing::ScratchFolder scratch_;
  EmbeddedBackend backend_{scratch_.path() / "servers"};
  std::unique_ptr<DatabaseSession> session_;
};

TEST_F(ProcedureRunnerTest, KeepsVariablesAndReturnsOutputs) {
  const auto outcome = RunProcedure(*session_, "dbo.Counts",
                                    {Arg("", Value::Integer(0)), Arg("@count", Value::Null(), true),
                                     Arg("@top", Value::Null(), true)});
  ASSERT_TRUE(outcome.ok) << (outcome.errors.empty() ? "" : outcome.errors[0].text);
  ASSERT_EQ(outcome.result_sets.size(), 1u);
  EXPECT_EQ(outcome.result_sets[0].rows.size(), 2u);
  EXPECT_EQ(outcome.return_status, 20);
  ASSERT_EQ(outcome.outputs.size(), 2u);
  EXPECT_EQ(outcome.outputs[0].name, "@count");
  EXPECT_EQ(outcome.outputs[0].ordinal, 1);
  EXPECT_EQ(outcome.outputs[0].value, Value::Integer(2));
  EXPECT_EQ(outcome.outputs[1].value, Value::Text("Cake"));  // the last row assigns
}

TEST_F(ProcedureRunnerTest, DefaultsApplyAndLiteralsAreEvaluated) {
  ProcedureArgument min;
  min.expression = "1";
  const auto outcome = RunProcedure(*session_, "Counts", {min, Arg("@top", Value::Null(), true)});
  ASSERT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.result_sets[0].rows.size(), 1u);
  EXPECT_EQ(outcome.return_status, 10);
}

TEST_F(ProcedureRunnerTest, ReportsFaultsAsTheServerWords_Them) {
  struct Case {
    std::string name;
    std::vector<ProcedureArgument> arguments;
    std::int32_t number;
  };
  const Case cases[] = {
      {"Nowhere", {}, 2812},
      {"Counts", {}, 201},  // @top has no default
      {"Counts", {Arg("@nope", Value::Integer(1))}, 8145},
      {"Counts",
       {Arg("", Value::Integer(1)), Arg("", Value::Null()), Arg("", Value::Null()),
        Arg("", Value::Null())},
       8144},
      {"Broken", {}, 208},
  };
  for (const Case& c : cases) {
    const auto outcome = RunProcedure(*session_, c.name, c.arguments);
    EXPECT_FALSE(outcome.ok) << c.name;
    ASSERT_FALSE(outcome.errors.empty()) << c.name;
    EXPECT_EQ(outcome.errors[0].number, c.number) << c.name << ": " << outcome.errors[0].text;
  }
}

// The runner split ALTER TABLE ... DROP CONSTRAINT into two statements that both failed.
TEST_F(ProcedureRunnerTest, AlterTableDropWasSplitInTwo) {
  const auto outcome = RunProcedure(*session_, "DropTagKey", {});
  ASSERT_TRUE(outcome.ok) << (outcome.errors.empty() ? "" : outcome.errors[0].text);
  ASSERT_EQ(outcome.result_sets.size(), 1u);
  ASSERT_EQ(outcome.result_sets[0].rows.size(), 1u);
  EXPECT_EQ(outcome.result_sets[0].rows[0][0], Value::Integer(0));
}

}  // namespace
}  // namespace korvane::tds
