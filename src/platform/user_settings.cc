#include "platform/user_settings.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <system_error>
#include <vector>

#include "platform/config_file.h"
#include "platform/display_text.h"
#include "platform/number_text.h"
#include "platform/private_profile.h"
#include "platform/safe_replace.h"

namespace talvenor::platform {
namespace {

std::filesystem::path ConfigHome() {
  const char* configured = std::getenv("XDG_CONFIG_HOME");
  if (configured != nullptr && configured[0] == '/') return configured;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr ? home : "") / ".config";
}

bool SameName(std::string_view a, std::string_view b) {
  a = TrimBlanks(a);
  b = TrimBlanks(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// One line of a settings file, as far as editing needs to know it.
struct Line {
  std::string text;
  std::string section;  // the section the line belongs to (folded on compare)
  std::string key;      // empty unless the line is "key=value"
  bool header = false;
};

// Says once per process that the settings cannot be read, so a person
// knows why the defaults apply.
void WarnUnusable(const std::filesystem::path& file) {
  static std::atomic<bool> warned{false};
  if (warned.exchange(true)) return;
  std::cerr << "talvenor: " << EscapeControlCharacters(file.string())
            << " cannot be read as a settings file; the default settings apply\n";
}

// The settings file's values; empty when it is missing or unusable.
PrivateProfile LoadSettings(const std::filesystem::path& file) {
  ConfigFileState state = ConfigFileState::kMissing;
  PrivateProfile profile = PrivateProfile::Load(file, &state);
  if (state == ConfigFileState::kUnusable) WarnUnusable(file);
  return profile;
}

// The lines of the settings file (none when it is missing), or nothing when
// there is something at its name that cannot be read as a file: that must
// not be replaced by a file of our own.
std::optional<std::vector<Line>> ReadLines(const std::filesystem::path& file) {
  std::string content;
  const ConfigFileState state = ReadConfigFile(file, content);
  if (state == ConfigFileState::kUnusable) {
    WarnUnusable(file);
    return std::nullopt;
  }
  std::vector<Line> lines;
  std::string section;
  std::string_view rest = content;
  while (!rest.empty()) {
    const std::size_t feed = std::min(rest.find('\n'), rest.size());
    std::string text(rest.substr(0, feed));
    rest.remove_prefix(std::min(feed + 1, rest.size()));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    Line line{text, section, {}, false};
    const std::string_view trimmed = TrimBlanks(text);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const std::size_t end = trimmed.find(']');
      section = std::string(trimmed.substr(1, end == std::string_view::npos ? end : end - 1));
      line.section = section;
      line.header = true;
    } else if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#') {
      const std::size_t equals = trimmed.find_first_of("=:");
      if (equals != std::string_view::npos && equals > 0) {
        line.key = std::string(TrimBlanks(trimmed.substr(0, equals)));
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Replaces the file with `lines` as a whole, so the settings are never
// left half written.
bool WriteLines(const std::filesystem::path& file, const std::vector<Line>& lines) {
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  std::string text;
  for (const Line& line : lines) text.append(line.text).append(1, '\n');
  return ReplaceFileContents(file, text, "talvenor-settings") == 0;
}

// Puts "key=raw" into `section` of `lines`: replaces the first line of
// that key, or adds one at the end of the section, or adds the section.
void Put(std::vector<Line>& lines, std::string_view section, std::string_view key,
         std::string_view raw) {
  std::string text(key);
  text.append("=").append(raw);
  std::size_t insertAt = lines.size();
  bool sectionFound = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!SameName(lines[i].section, section)) continue;
    if (lines[i].header) {
      sectionFound = true;
      insertAt = i + 1;
      continue;
    }
    if (!sectionFound) continue;
    if (!lines[i].key.empty() && SameName(lines[i].key, key)) {
      lines[i].text = std::move(text);
      return;
    }
    if (!TrimBlanks(lines[i].text).empty()) insertAt = i + 1;
  }
  if (!sectionFound) {
    std::string header = "[";
    header.append(section).append("]");
    lines.push_back(Line{std::move(header), std::string(section), {}, true});
    insertAt = lines.size();
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
               Line{std::move(text), std::string(section), std::string(key), false});
}

}  // namespace

std::filesystem::path SettingsFile() { return ConfigHome() / "Korvane" / "Talvenor.ini"; }

std::filesystem::path FormerSettingsFile() {
  return ConfigHome() / "Morlach Programmeinstellungen" / "Talvenor.ini";
}

UserSettings::UserSettings(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::string> UserSettings::Find(std::string_view section,
                                              std::string_view key) const {
  return LoadSettings(file_).Find(section, key);
}

std::string UserSettings::GetString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
  return LoadSettings(file_).GetString(section, key, fallback);
}

int UserSettings::GetInt(std::string_view section, std::string_view key, int fallback) const {
  return LoadSettings(file_).GetInt(section, key, fallback);
}

bool UserSettings::SetString(std::string_view section, std::string_view key,
                             std::string_view value) {
  // Quoted, so blanks at either end and a quote pair of the value itself
  // survive the reader's trimming and unquoting.
  std::string raw = "\"";
  for (char c : value) {
    if (c != '\n' && c != '\r') raw += c;
  }
  raw += '"';
  std::optional<std::vector<Line>> lines = ReadLines(file_);
  if (!lines) return false;
  Put(*lines, section, key, raw);
  return WriteLines(file_, *lines);
}

bool UserSettings::SetInt(std::string_view section, std::string_view key, int value) {
  std::optional<std::vector<Line>> lines = ReadLines(file_);
  if (!lines) return false;
  Put(*lines, section, key, std::to_string(value));
  return WriteLines(file_, *lines);
}

void TakeOverFormerSettings(const std::filesystem::path& settingsFile,
                            const std::filesystem::path& formerFile) {
  if (UserSettings(settingsFile).Find(kSettingsSection, kSettingPath)) return;
  std::error_code error;
  std::optional<std::vector<Line>> lines = ReadLines(settingsFile);
  if (!lines) return;  // the former settings stay until ours can be written
  if (std::filesystem::is_regular_file(formerFile, error)) {
    const std::optional<std::vector<Line>> formerLines = ReadLines(formerFile);
    if (!formerLines) return;
    for (const Line& former : *formerLines) {
      if (former.key.empty()) continue;
      const std::string_view trimmed = TrimBlanks(former.text);
      const std::string_view raw = TrimBlanks(trimmed.substr(trimmed.find_first_of("=:") + 1));
      Put(*lines, former.section, former.key, raw);
    }
    // Keep the former settings when they could not be copied.
    if (!WriteLines(settingsFile, *lines)) return;
  }
  std::filesystem::remove(formerFile, error);
}

}  // namespace talvenor::platform
