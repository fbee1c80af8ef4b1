// CCommandArgs: the program's command-line argument list. Each argument opens with a delimiter
// ("/") followed by a key and, after a blank, an optional value: "/RunSavedComp 12".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane {

class CCommandArgs {
 public:
  std::int16_t Count() const { return static_cast<std::int16_t>(arguments_.size()); }

  const std::string& Delim() const { return delim_; }
  void SetDelim(std::string_view delim) { delim_ = delim; }

  const std::string& TestString() const { return test_string_; }
  void SetTestString(std::string_view text) { test_string_ = text; }

  // A non-numeric index: the value of the first argument whose key equals it, ignoring case.
  // A numeric index (a number, or a text that is a number): the value of that argument,
  // numbered from 1. The empty text when there is no such argument.
  std::string Item(std::string_view index) const;
  std::string Item(int index) const;

  // Key or value of argument n (1 to Count); the empty text outside that range.
  std::string Key(int n) const;
  std::string Value(int n) const;

  // Splits TestString at each Delim (found ignoring case) into (key, value) pairs. An empty
  // Delim or TestString leaves the list as it was.
  void Parse();

 private:
  std::string delim_;
  std::string test_string_;
  std::vector<std::pair<std::string, std::string>> arguments_;
};

}  // namespace korvane
