#include "platform/private_profile.h"

#include <ini.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/number_text.h"

namespace talvenor::platform {
namespace {

using Values = std::map<std::pair<std::string, std::string>, std::string>;

// inih holds a section name and the key name it remembers for continuation
// lines in buffers of this size (its MAX_SECTION and MAX_NAME); longer names
// are cut short there.
constexpr std::size_t kInihNameBuffer = 50;

// Marks the stand-in lines handed to inih in place of lines it cannot hold
// (see LineFeeder). Every input line that contains it takes the stand-in
// path too, so a name beginning with it always comes from a stand-in.
constexpr char kStandInMark = '\x01';

std::string Folded(std::string_view text) {
  std::string folded(TrimBlanks(text));
  std::transform(folded.begin(), folded.end(), folded.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return folded;
}

// A value enclosed in one pair of matching quotes loses them.
std::string Unquoted(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

// White space as inih sees it (isspace in the C locale).
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view SkipLeadingSpace(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view StripTrailingSpace(std::string_view text) {
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The offset of the first of `chars` in `text`, else text.size().
std::size_t FindChars(std::string_view text, std::string_view chars) {
  return std::min(text.find_first_of(chars), text.size());
}

// What one line means, worked out here for the lines that are kept away
// from inih. Follows inih's rules: comments first, then (for an indented
// line after a key) continuation, then "[section]", then "name=value" or
// "name:value"; but a ";" after the start of a line is part of the line,
// so a value may hold a semicolon, where inih would cut it off as an
// inline comment.
struct LineMeaning {
  enum Kind { kNothing, kSection, kBadSection, kPair, kBadPair };
  Kind kind = kNothing;
  bool indented = false;  // inih may take the line as a continuation
  std::string name;       // section or key name
  std::string value;
};

LineMeaning Interpret(std::string_view line) {
  LineMeaning meaning;
  const std::string_view start = SkipLeadingSpace(StripTrailingSpace(line));
  if (start.empty() || start.front() == ';' || start.front() == '#') return meaning;
  meaning.indented = start.data() != line.data();
  if (start.front() == '[') {
    const std::string_view inner = start.substr(1);
    const std::size_t end = FindChars(inner, "]");
    if (end == inner.size() || inner[end] != ']') {
      meaning.kind = LineMeaning::kBadSection;
    } else {
      meaning.kind = LineMeaning::kSection;
      meaning.name = std::string(inner.substr(0, end));
    }
    return meaning;
  }
  const std::size_t end = FindChars(start, "=:");
  if (end == start.size()) {
    meaning.kind = LineMeaning::kBadPair;
    return meaning;
  }
  const std::string_view value = start.substr(end + 1);
  meaning.kind = LineMeaning::kPair;
  meaning.name = std::string(StripTrailingSpace(start.substr(0, end)));
  meaning.value = std::string(StripTrailingSpace(SkipLeadingSpace(value)));
  return meaning;
}

// The line handed to inih instead of `meaning`'s line: of the same kind and
// indentation, so inih's own decisions (current section, continuation,
// errors) stay the same, but naming the kept line by its number.
std::string StandIn(const LineMeaning& meaning, std::size_t number) {
  const std::string indent = meaning.indented ? " " : "";
  const std::string token = kStandInMark + std::to_string(number);
  switch (meaning.kind) {
    case LineMeaning::kNothing:
      return ";";
    case LineMeaning::kSection:
      return indent + "[" + token + "]";
    case LineMeaning::kBadSection:
      return indent + "[";
    case LineMeaning::kPair:
      return indent + token + "=";
    case LineMeaning::kBadPair:
      return indent + std::string(1, kStandInMark);
  }
  return ";";
}

// Hands inih the text line by line. inih reads into a fixed buffer (200
// bytes in the Debian build) and drops whatever does not fit; a line that
// would not fit whole, whose section or key name inih would cut short, or
// that holds a ";" inih might take for an inline comment, is interpreted
// here, kept aside, and replaced by a short stand-in that the handler
// resolves.
class LineFeeder {
 public:
  explicit LineFeeder(std::string_view text) : rest_(text) {}

  static char* Read(char* buffer, int size, void* self) {
    return static_cast<LineFeeder*>(self)->Next(buffer, size);
  }

  // The kept line a stand-in name stands for, or nullptr.
  const LineMeaning* Resolve(const char* name) const {
    if (name[0] != kStandInMark) return nullptr;
    const char* digits = name + 1;
    std::size_t number = 0;
    const auto [end, error] = std::from_chars(digits, digits + std::strlen(digits), number);
    if (error != std::errc() || *end != '\0' || number >= kept_.size()) return nullptr;
    return &kept_[number];
  }

 private:
  char* Next(char* buffer, int size) {
    if (rest_.empty() || size <= 0) return nullptr;
    const std::size_t room = static_cast<std::size_t>(size);  // includes the NUL
    const std::size_t lineEnd = std::min(rest_.find('\n'), rest_.size());
    std::string_view line = rest_.substr(0, lineEnd);
    rest_.remove_prefix(std::min(lineEnd + 1, rest_.size()));
    line = line.substr(0, line.find('\0'));
    // inih drops a byte-order mark at the start of the first line it is
    // handed; a kept first line is interpreted without it.
    std::string_view content = line;
    if (first_ && content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    first_ = false;

    bool standIn = line.size() + 2 > room || line.find(kStandInMark) != std::string_view::npos ||
                   line.find(';') != std::string_view::npos;
    LineMeaning meaning;
    if (standIn || content.size() >= kInihNameBuffer) {
      meaning = Interpret(content);
      standIn = standIn ||
                ((meaning.kind == LineMeaning::kSection || meaning.kind == LineMeaning::kPair) &&
                 meaning.name.size() >= kInihNameBuffer);
    }
    std::string handed;
    if (standIn) {
      handed = StandIn(meaning, kept_.size());
      kept_.push_back(std::move(meaning));
    } else {
      handed = std::string(line);
    }
    handed += '\n';
    if (handed.size() + 1 > room) return nullptr;  // never with inih's buffer
    std::memcpy(buffer, handed.c_str(), handed.size() + 1);
    return buffer;
  }

  std::string_view rest_;
  bool first_ = true;
  std::vector<LineMeaning> kept_;
};

struct ParseState {
  LineFeeder feeder;
  Values* values;
};

int Collect(void* user, const char* section, const char* name, const char* value) {
  const auto& state = *static_cast<ParseState*>(user);
  std::string_view sectionName = section;
  if (const LineMeaning* kept = state.feeder.Resolve(section)) sectionName = kept->name;
  std::string_view keyName = name;
  std::string_view keyValue = value;
  if (const LineMeaning* kept = state.feeder.Resolve(name)) {
    keyName = kept->name;
    keyValue = kept->value;
  }
  // try_emplace keeps the first occurrence of a key.
  state.values->try_emplace({Folded(sectionName), Folded(keyName)}, Unquoted(keyValue));
  return 1;
}

}  // namespace

PrivateProfile PrivateProfile::Load(const std::filesystem::path& file, ConfigFileState* state) {
  std::string text;
  const ConfigFileState read = ReadConfigFile(file, text);
  if (state != nullptr) *state = read;
  return read == ConfigFileState::kRead ? Parse(text) : PrivateProfile();
}

PrivateProfile PrivateProfile::Parse(std::string_view text) {
  PrivateProfile profile;
  ParseState state{LineFeeder(text), &profile.values_};
  ini_parse_stream(&LineFeeder::Read, &state.feeder, &Collect, &state);
  return profile;
}

std::optional<std::string> PrivateProfile::Find(std::string_view section,
                                                std::string_view key) const {
  const auto it = values_.find({Folded(section), Folded(key)});
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string PrivateProfile::GetString(std::string_view section, std::string_view key,
                                      std::string_view fallback) const {
  std::optional<std::string> value = Find(section, key);
  return value ? std::move(*value) : std::string(fallback);
}

int PrivateProfile::GetInt(std::string_view section, std::string_view key, int fallback) const {
  const std::optional<std::string> value = Find(section, key);
  if (!value || value->empty()) return fallback;
  const long number = ParseLeadingLong(*value);
  return static_cast<int>(std::clamp<long>(number, INT_MIN, INT_MAX));
}

}  // namespace talvenor::platform
