#include "base/command_args.h"

#include "base/text.h"

namespace korvane {

std::string CCommandArgs::Item(std::string_view index) const {
  if (IsNumeric(index)) {
    const auto number = RoundToInt32(LeadingNumber(index));
    return number ? Item(*number) : std::string();
  }
  for (const auto& [key, value] : arguments_) {
    if (EqualsIgnoringCase(key, index))
      return value;
  }
  return {};
}

std::string CCommandArgs::Item(int index) const {
  return Value(index);
}

std::string CCommandArgs::Key(int n) const {
  if (n < 1 || n > static_cast<int>(arguments_.size()))
    return {};
  return arguments_[static_cast<std::size_t>(n - 1)].first;
}

std::string CCommandArgs::Value(int n) const {
  if (n < 1 || n > static_cast<int>(arguments_.size()))
    return {};
  return arguments_[static_cast<std::size_t>(n - 1)].second;
}

void CCommandArgs::Parse() {
  if (delim_.empty() || test_string_.empty())
    return;
  arguments_.clear();
  const std::string_view text = test_string_;
  std::size_t position = 0;
  while (true) {
    const std::size_t start = FindIgnoringCase(text, delim_, position);
    if (start == std::string_view::npos)
      return;
    const std::size_t end = FindIgnoringCase(text, delim_, start + 1);
    const std::string_view argument =
        end == std::string_view::npos ? text.substr(start) : text.substr(start, end - start);
    if (!argument.empty()) {
      // The key runs from after the delimiter to the first blank; the value is the rest.
      const std::string padded = std::string(argument) + " ";
      const std::size_t blank = padded.find(' ', delim_.size());
      std::string key(Trim(std::string_view(padded).substr(delim_.size(), blank - delim_.size())));
      std::string value(Trim(std::string_view(padded).substr(blank + 1)));
      if (value.empty())
        value = key;
      arguments_.emplace_back(std::move(key), std::move(value));
    }
    if (end == std::string_view::npos)
      return;
    position = end;
  }
}

}  // namespace korvane
