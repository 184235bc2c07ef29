#include "platform/separated_values.h"

#include <cstring>

namespace talvenor::platform {

bool SeparatedLine::Split(std::string_view line) {
  fields_.clear();
  unquoted_.clear();
  // Unquoted fields are never longer than the line: with this room the
  // buffer never moves, and the views into it stay valid.
  if (unquoted_.capacity() < line.size()) unquoted_.reserve(line.size());
  std::size_t position = 0;
  for (;;) {
    if (position < line.size() && line[position] == '"') {
      const std::size_t start = unquoted_.size();
      std::size_t next = position + 1;
      for (;;) {
        const std::size_t quote = line.find('"', next);
        if (quote == std::string_view::npos) return false;  // never closed
        unquoted_.append(line.substr(next, quote - next));
        if (quote + 1 < line.size() && line[quote + 1] == '"') {
          unquoted_ += '"';
          next = quote + 2;
          continue;
        }
        position = quote + 1;
        break;
      }
      fields_.emplace_back(unquoted_.data() + start, unquoted_.size() - start);
      if (position == line.size()) return true;
      if (line[position] != kFieldSeparator) return false;
      ++position;
      continue;
    }
    const std::size_t separator = line.find(kFieldSeparator, position);
    if (separator == std::string_view::npos) {
      fields_.push_back(line.substr(position));
      return true;
    }
    fields_.push_back(line.substr(position, separator - position));
    position = separator + 1;
  }
}

namespace {

// Two searches for one character each: find_first_of would search the two
// characters once per byte.
bool NeedsQuotes(std::string_view value) {
  return value.find(kFieldSeparator) != std::string_view::npos ||
         value.find('"') != std::string_view::npos;
}

}  // namespace

void AppendField(std::string& out, std::string_view value) {
  if (!NeedsQuotes(value)) {
    out.append(value);
    return;
  }
  out += '"';
  for (const char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace talvenor::platform
