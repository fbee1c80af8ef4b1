#include "embedded_fixture.h"

#include "db/value.h"

namespace korvane::testing {

void EmbeddedServerTest::MakeServer(const std::string& version) {
  std::string error;
  ASSERT_TRUE(CreateEmbeddedServer(scratch_.path() / "servers", server_name(), version, &error))
      << error;
}

ScriptLoadResult EmbeddedServerTest::TryLoad(const std::string& database,
                                             const std::string& script) {
  return LoadScript(scratch_.path() / "servers", server_name(), database, script);
}

void EmbeddedServerTest::Load(const std::string& database, const std::string& script) {
  const ScriptLoadResult result = TryLoad(database, script);
  ASSERT_TRUE(result.ok) << result.message;
}

CommandOutcome EmbeddedServerTest::Run(const std::string& database, const std::string& sql) {
  ConnectionRequest request;
  request.server = server_name();
  request.database = database;
  OpenOutcome open = backend_.Open(request);
  if (!open.session) {
    CommandOutcome failed;
    failed.errors = open.errors;
    return failed;
  }
  CommandRequest command;
  command.text = sql;
  return open.session->Execute(command);
}

ResultSet EmbeddedServerTest::Query(const std::string& database, const std::string& sql) {
  CommandOutcome outcome = Run(database, sql);
  EXPECT_TRUE(outcome.ok) << (outcome.errors.empty() ? std::string("?") : outcome.errors[0].text)
                          << "\nin: " << sql;
  if (!outcome.ok || outcome.result_sets.empty())
    return {};
  return outcome.result_sets.back();
}

std::vector<std::string> EmbeddedServerTest::Rows(const ResultSet& result) {
  std::vector<std::string> rows;
  for (const auto& row : result.rows) {
    std::string text;
    for (std::size_t i = 0; i < row.size(); ++i)
      text += (i ? "|" : "") + NullText(row[i]);
    rows.push_back(text);
  }
  return rows;
}

}  // namespace korvane::testing
