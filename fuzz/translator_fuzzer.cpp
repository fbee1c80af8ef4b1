// Query text -> tokens -> SQLite text. Every input must end in translated text or a SqlError
// carrying a message; any other exception, crash or sanitizer report is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "db/embedded/query_translator.h"
#include "db/embedded/sql_error.h"
#include "db/embedded/sql_tokenizer.h"

namespace {

using korvane::embedded::NameResolver;
using korvane::embedded::ResolvedTable;
using korvane::embedded::SqlError;

// Resolves a few catalogue and user tables as the engine would; anything else is error 208.
class FixedResolver : public NameResolver {
 public:
  explicit FixedResolver(int major_version) : major_version_(major_version) {}

  ResolvedTable ResolveTable(const std::vector<std::string>& parts) override {
    const std::string& name = parts.back();
    static constexpr std::string_view kCatalogue[] = {
        "sysobjects",    "syscolumns",  "systypes", "sysindexes",  "sysindexkeys",
        "sysreferences", "syscomments", "sysusers", "sysdatabases"};
    for (auto table : kCatalogue)
      if (korvane::EqualsIgnoringCase(name, table))
        return {"main." + std::string(table), name, {}};
    if (korvane::EqualsIgnoringCase(name, "Orders"))
      return {"t101", "Orders", {"OrderId"}};
    if (korvane::EqualsIgnoringCase(name, "Customers"))
      return {"t102", "Customers", {"CustomerId", "Region"}};
    korvane::embedded::ThrowInvalidObject(name);
  }
  int MajorVersion() const override { return major_version_; }

 private:
  int major_version_;
};

void CheckError(const SqlError& error) {
  if (error.message().number <= 0 || error.message().text.empty())
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The first byte picks the server version, so both wordings of the messages are exercised.
  FixedResolver resolver(size > 0 && (data[0] & 1) ? 8 : 9);
  try {
    const std::vector<korvane::embedded::Token> tokens = korvane::embedded::Tokenize(text);
    if (tokens.empty() || tokens.back().kind != korvane::embedded::TokenKind::kEnd)
      std::abort();
    for (const auto& token : tokens)
      if (token.offset > token.end || token.end > size || token.line < 1)
        std::abort();
    korvane::embedded::TranslateSql(tokens, 0, tokens.size(), resolver);
  } catch (const SqlError& error) {
    CheckError(error);
  }
  return 0;
}
