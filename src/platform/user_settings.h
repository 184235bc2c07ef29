// The per-user settings: an INI file $XDG_CONFIG_HOME/Korvane/Talvenor.ini
// (XDG_CONFIG_HOME defaults to ~/.config). Values live in sections, read
// with defaults like the program's other configuration files; writes
// replace the file as a whole, so a reader never sees half a file.
//
// Something at the file's name that cannot be read as a file (a folder, a
// FIFO, a device) gives the defaults, is never replaced, and is reported
// once per process on stderr.
#ifndef TALVENOR_PLATFORM_USER_SETTINGS_H_
#define TALVENOR_PLATFORM_USER_SETTINGS_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace talvenor::platform {

// The settings section and keys the program uses.
inline constexpr std::string_view kSettingsSection = "SETTINGS";
inline constexpr std::string_view kSettingPath = "PATH";      // text: output folder
inline constexpr std::string_view kSettingGroup = "GROUP";    // integer, default 0
inline constexpr std::string_view kSettingUpdate = "UPDATE";  // integer, default 1
// text: the download page of the bank-code files (default: the central bank's)
inline constexpr std::string_view kSettingBankDataPage = "BLZSEITE";

// $XDG_CONFIG_HOME (or ~/.config) + "/Korvane/Talvenor.ini".
std::filesystem::path SettingsFile();
// The settings of the program's former maker, taken over once:
// $XDG_CONFIG_HOME (or ~/.config) + "/Morlach Programmeinstellungen/Talvenor.ini".
std::filesystem::path FormerSettingsFile();

class UserSettings {
 public:
  explicit UserSettings(std::filesystem::path file = SettingsFile());

  const std::filesystem::path& file() const { return file_; }

  // The value, or nothing when the file, section or key is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view fallback) const;
  int GetInt(std::string_view section, std::string_view key, int fallback) const;

  // Stores a value, creating the folder and file when needed; false when
  // the file cannot be written or cannot be read as a file. Line breaks in
  // a value are not stored.
  bool SetString(std::string_view section, std::string_view key, std::string_view value);
  bool SetInt(std::string_view section, std::string_view key, int value);

 private:
  std::filesystem::path file_;
};

// Moves the former maker's settings file into place when the program has
// no settings of its own yet ("SETTINGS"/"PATH" absent): every value of
// the former file is copied into the program's file (replacing a value of
// the same name), then the former file is deleted. The deletion is
// attempted even when there is nothing to copy. Does nothing when the
// program's settings already hold "PATH" (even an empty one).
void TakeOverFormerSettings(const std::filesystem::path& settingsFile = SettingsFile(),
                            const std::filesystem::path& formerFile = FormerSettingsFile());

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_USER_SETTINGS_H_
