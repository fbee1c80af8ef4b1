// Names put into SQL text. Every catalogue query inserts object, owner and schema names through
// these helpers, so a name such as O'Brien or a]b can neither break a query nor change what it
// asks for.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

// The text for inside a '...' literal: every ' doubled.
std::string EscapeSqlLiteral(std::string_view text);

// The text for the pattern of a LIKE: the wildcard letters "_", "%" and "[" each put in square
// brackets ("[_]", "[%]", "[[]"), so that they match only themselves. Quotes are left to
// EscapeSqlLiteral.
std::string EscapeLikeWildcards(std::string_view text);

// The text for inside a [...] identifier: every ] doubled.
std::string EscapeBracketedName(std::string_view name);

// A name as the catalogue stores it, in square brackets with every "]" doubled: "[a]]b]".
std::string QuoteName(std::string_view name);

// True when the text is one well-formed bracketed identifier ("[a]]b]") or a pair of them joined
// by "." ("[sales].[Orders]"): each opens with "[", is not empty, doubles every inner "]" and
// ends with a single "]". "[a]b]", "[t];DROP TABLE v;--[x]" and "[a].b" are not.
bool IsBracketedName(std::string_view text);

// A name in square brackets. A text that IsBracketedName is kept as it is; any other text is
// bracketed whole, its "]" doubled, so that the result always stands for one object and can
// never end the identifier early ("[abc" becomes "[[abc]", "[a]b]" becomes "[[a]]b]]]").
std::string BracketName(std::string_view name);

// The name a bracketed identifier stands for: "[a]]b]" gives "a]b"; any text that is not one
// well-formed bracketed identifier is kept as it is.
std::string UnbracketName(std::string_view name);

// A name split at its last "." outside square brackets: "sales.Orders" gives "sales" and
// "Orders"; "[my.table]" and "Orders" give no qualifier.
struct QualifiedName {
  std::string qualifier;
  std::string name;
};
QualifiedName SplitQualifiedName(std::string_view text);

}  // namespace korvane
