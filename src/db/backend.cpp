#include "db/backend.h"

#include "base/text.h"

namespace korvane {

bool MaterialisedRowCursor::Next() {
  if (next_ <= rows_.rows.size() && cancel_ != nullptr && cancel_->load()) {
    next_ = rows_.rows.size() + 1;
    errors_.push_back(ServerMessage{0, 16, 1, "HY008", "Operation canceled"});
    return false;
  }
  if (next_ >= rows_.rows.size()) {
    next_ = rows_.rows.size() + 1;
    return false;
  }
  ++next_;
  return true;
}

void RowCursor::Fields(std::span<FieldView> out) const {
  for (std::size_t k = 0; k < out.size(); ++k)
    out[k] = Field(static_cast<int>(k));
}

FieldView MaterialisedRowCursor::Field(int index) const {
  if (next_ == 0 || next_ > rows_.rows.size())
    return {};
  const std::vector<Value>& row = rows_.rows[next_ - 1];
  if (index < 0 || static_cast<std::size_t>(index) >= row.size())
    return {};
  return ViewOf(row[static_cast<std::size_t>(index)]);
}

CursorOutcome DatabaseSession::OpenCursor(const CommandRequest& request) {
  CommandOutcome outcome = Execute(request);
  CursorOutcome cursor;
  if (!outcome.ok) {
    cursor.errors = std::move(outcome.errors);
    return cursor;
  }
  ResultSet rows;
  if (!outcome.result_sets.empty())
    rows = std::move(outcome.result_sets.front());
  cursor.cursor = std::make_unique<MaterialisedRowCursor>(std::move(rows), request.cancel);
  return cursor;
}

bool IsEmbeddedServerName(std::string_view server_name) {
  const std::string_view name = Trim(server_name);
  return name.size() >= kEmbeddedPrefix.size() &&
         EqualsIgnoringCase(name.substr(0, kEmbeddedPrefix.size()), kEmbeddedPrefix);
}

DatabaseBackend* DatabaseBackends::For(std::string_view server_name) const {
  return IsEmbeddedServerName(server_name) ? embedded.get() : odbc.get();
}

}  // namespace korvane
