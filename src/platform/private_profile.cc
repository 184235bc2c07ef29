#include "platform/private_profile.h"

#include <ini.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>

#include "platform/number_text.h"

namespace talvenor::platform {
namespace {

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

}  // namespace

int PrivateProfile::Collect(void* user, const char* section, const char* name,
                            const char* value) {
  auto* profile = static_cast<PrivateProfile*>(user);
  // try_emplace keeps the first occurrence of a key.
  profile->values_.try_emplace({Folded(section), Folded(name)}, Unquoted(value));
  return 1;
}

PrivateProfile PrivateProfile::Load(const std::filesystem::path& file) {
  PrivateProfile profile;
  std::unique_ptr<FILE, int (*)(FILE*)> stream(std::fopen(file.c_str(), "rb"), &std::fclose);
  if (stream) ini_parse_file(stream.get(), &PrivateProfile::Collect, &profile);
  return profile;
}

PrivateProfile PrivateProfile::Parse(std::string_view text) {
  PrivateProfile profile;
  const std::string copy(text);
  ini_parse_string(copy.c_str(), &PrivateProfile::Collect, &profile);
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
