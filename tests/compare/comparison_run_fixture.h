// The fixture of the database comparison run tests: two embedded-named servers whose catalogue
// answers are scripted per database and query text, structure texts from a table, and a
// progress host that records what the run showed.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/application_context.h"
#include "base/clock.h"
#include "base/text_view.h"
#include "catalog/catalog_fixture.h"
#include "catalog/object_list.h"
#include "compare/comparison_progress.h"
#include "compare/database_comparison_run.h"
#include "compare/structure_text_source.h"
#include "support/fake_backend.h"
#include "support/recording_user_interface.h"
#include "support/scratch_folder.h"

namespace korvane::testing {

// One object row: name, id.
using ListedObject = std::pair<std::string, std::int64_t>;

inline CommandOutcome ObjectListRows(const std::vector<ListedObject>& rows) {
  std::vector<std::vector<Value>> values;
  for (const auto& [name, id] : rows)
    values.push_back({Value::Text(name), Value::Text("2026-01-02"), Value::Integer(id)});
  return Rows({"name", "refdate", "id"}, std::move(values));
}

// Structure texts by side, type and name; objects not listed have no text. Records every
// request as "S|T type name id" and runs `on_fetch` after each.
class FakeStructureTexts final : public StructureTextSource {
 public:
  void Set(int side, ObjectType type, std::string name, std::string text, int ignored = 0) {
    texts[{side, ObjectTypeCode(type), std::move(name)}] = {std::move(text), false, ignored};
  }
  void Fail(int side, ObjectType type, std::string name) {
    texts[{side, ObjectTypeCode(type), std::move(name)}] = {"", true, 0};
  }
  // The text of the object with `id` on one side; asked for by id it wins over the text by name.
  void SetById(int side, ObjectType type, std::int32_t id, std::string text) {
    texts_by_id[{side, ObjectTypeCode(type), id}] = {std::move(text), false, 0};
  }
  // Both sides at once.
  void Both(ObjectType type, const std::string& name, std::string source, std::string target) {
    Set(0, type, name, std::move(source));
    Set(1, type, name, std::move(target));
  }

  StructureText ModuleText(const ComparisonSide& side, ObjectType type, std::string_view bare_name,
                           std::int32_t id) override {
    return Answer(side, type, bare_name, id, "module");
  }
  StructureText TableText(const ComparisonSide& side, std::string_view bare_name, std::int32_t id,
                          bool with_indexes) override {
    last_with_indexes = with_indexes;
    return Answer(side, ObjectType::kTables, bare_name, id, "table");
  }
  StructureText KeyText(const ComparisonSide& side, ObjectType type, std::string_view name,
                        std::int32_t id) override {
    return Answer(side, type, name, id, "key");
  }
  void ShowInView(const ComparisonSide& side, ObjectType type, std::string_view name,
                  std::int32_t id, TextView& view) override {
    requests.push_back(Describe(side, "view", name, id));
    auto found = view_texts.find({side.side, ObjectTypeCode(type), std::string(name)});
    view.SetText(found == view_texts.end() ? "" : found->second);
  }

  std::map<std::tuple<int, std::int32_t, std::string>, StructureText> texts;
  std::map<std::tuple<int, std::int32_t, std::int32_t>, StructureText> texts_by_id;
  std::map<std::tuple<int, std::int32_t, std::string>, std::string> view_texts;
  std::vector<std::string> requests;
  std::function<void()> on_fetch;
  bool last_with_indexes = true;

 private:
  static std::string Describe(const ComparisonSide& side, std::string_view kind,
                              std::string_view name, std::int32_t id) {
    return std::string(side.side == 0 ? "S " : "T ") + std::string(kind) + " " + std::string(name) +
           " " + std::to_string(id) + " " + std::string(side.database);
  }

  StructureText Answer(const ComparisonSide& side, ObjectType type, std::string_view name,
                       std::int32_t id, std::string_view kind) {
    requests.push_back(Describe(side, kind, name, id));
    if (on_fetch)
      on_fetch();
    if (id > 0) {
      auto by_id = texts_by_id.find({side.side, ObjectTypeCode(type), id});
      if (by_id != texts_by_id.end())
        return by_id->second;
    }
    auto found = texts.find({side.side, ObjectTypeCode(type), std::string(name)});
    return found == texts.end() ? StructureText{} : found->second;
  }
};

// Records the progress texts in order, as "status: ...", "object: ...", "elapsed: ...",
// "running: 1"; runs `on_pump` at every pending-event pump.
class RecordingProgress final : public ComparisonProgress {
 public:
  void SetRunning(bool running) override {
    events.push_back(running ? "running: 1" : "running: 0");
  }
  void ShowStatus(std::string_view text) override {
    events.push_back("status: " + std::string(text));
  }
  void ShowCurrentObject(std::string_view name) override {
    events.push_back("object: " + std::string(name));
  }
  void ShowElapsed(std::string_view elapsed) override {
    events.push_back("elapsed: " + std::string(elapsed));
  }
  void ProcessPendingEvents() override {
    ++pumps;
    if (on_pump)
      on_pump();
  }

  std::vector<std::string> Only(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const std::string& event : events) {
      if (event.starts_with(prefix))
        found.push_back(event);
    }
    return found;
  }

  std::vector<std::string> events;
  int pumps = 0;
  std::function<void()> on_pump;
};

inline constexpr std::string_view kSourceServer = "embedded:SRV1";
inline constexpr std::string_view kTargetServer = "embedded:SRV2";

// The catalogue fixture with two embedded-named servers of version 8 holding Sales (Source)
// and Sales2 (Target).
class ComparisonRunTest : public CatalogTest {
 protected:
  ComparisonRunTest() {
    context_.backends.embedded = backend_;
    for (int side : {kSource, kTarget})
      context_.CurrentServers[side].Name =
          std::string(side == kSource ? kSourceServer : kTargetServer);
  }

  // The list query of a type with the default settings.
  std::string ListQuery(ObjectType type, std::string_view name = {}) {
    RecordingUserInterface quiet;
    return BuildObjSQLString(quiet, type, context_.settings.ignore_sys_objects, name, "");
  }

  // The objects of a type in a database (answers the list query and the Target pass's
  // recordset of Source names alike).
  void List(std::string_view database, ObjectType type, const std::vector<ListedObject>& rows) {
    RespondIn(database, ListQuery(type), ObjectListRows(rows));
  }
  // The same names listed in both databases, with Source ids from 1 and Target ids from 11.
  void ListBoth(ObjectType type, const std::vector<std::string>& names) {
    std::vector<ListedObject> source;
    std::vector<ListedObject> target;
    for (std::size_t i = 0; i < names.size(); ++i) {
      source.push_back({names[i], static_cast<std::int64_t>(i) + 1});
      target.push_back({names[i], static_cast<std::int64_t>(i) + 11});
    }
    List("Sales", type, source);
    List("Sales2", type, target);
  }
  // The schema look-up of an object on a server of version 9.
  void Schema(std::string_view database, std::int64_t id, std::string schema) {
    RespondIn(database, SchemaByIdQuery(id), Rows({"schema"}, {{Value::Text(std::move(schema))}}));
  }
  using CatalogTest::MakeVersion9;
  void MakeVersion9() {
    for (ServerRecord& record : context_.CurrentServers)
      MakeVersion9(record);
  }

  static std::array<bool, kObjTypeCount> Types(std::initializer_list<ObjectType> types) {
    std::array<bool, kObjTypeCount> ticked{};
    for (ObjectType type : types)
      ticked[ObjectTypeIndex(type)] = true;
    return ticked;
  }

  CompareAllRequest Request(std::initializer_list<ObjectType> types) {
    CompareAllRequest request;
    request.source_database = "Sales";
    request.target_database = "Sales2";
    request.ticked = Types(types);
    return request;
  }

  CompareAllOutcome RunComparison(const CompareAllRequest& request) {
    return CompareAll(context_, request, texts_, progress_);
  }

  // The report's header for the two test databases.
  static std::string Header() {
    return "Comparison of databases\r\n\r\nSource database embedded:SRV1.Sales\r\n"
           "Target database embedded:SRV2.Sales2\r\n";
  }

  FakeStructureTexts texts_;
  RecordingProgress progress_;
};

}  // namespace korvane::testing
