// How an IBANHIN/IBANRUECK record line is cut into fields, which fields
// hold the bank code and the account number, and which fields play the
// standard roles (country code, old BIC, new BIC, new IBAN, result code).
// The layout is built in or read from FORMAT.INI in the program's folder.
#ifndef TALVENOR_BATCH_RECORD_LAYOUT_H_
#define TALVENOR_BATCH_RECORD_LAYOUT_H_

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/private_profile.h"

namespace talvenor::batch {

// Record formats.
inline constexpr int kFormatFixed = 0;
inline constexpr int kFormatSeparated = 1;  // ";"-separated values

// Roles a field can play; the number is the field's position in the
// built-in layout, counted from 1.
enum FieldRole : int {
  kRoleCountry = 1,        // LKZ
  kRoleUser = 2,           // USER
  kRoleReference = 3,      // REFERENZ
  kRoleOldBic = 4,         // BICALT
  kRoleOldIbanPrefix = 5,  // LKZPZALT
  kRoleOldBankCode = 6,    // BLZALT
  kRoleOldAccount = 7,     // KTOALT
  kRoleFree1 = 8,          // FREI1
  kRoleNewBic = 9,         // BICNEU
  kRoleNewIban = 10,       // IBANNEU
  kRoleFree2 = 11,         // FREI2
  kRoleResult = 12,        // ERGEB
};
inline constexpr int kRoleCount = 12;

// The widths of what a batch run writes: the new BIC and the new IBAN.
inline constexpr int kNewBicWidth = 11;
inline constexpr int kNewIbanWidth = 22;

struct FieldInfo {
  std::string name;  // informational only
  int length = 0;    // width (fixed) or the accepted maximum (separated)
  int index = 0;     // the field's own 0-based position
  int quoted = 1;    // separated output: a non-empty value goes in quotes
};

struct RecordLayout {
  int format = kFormatFixed;  // set by the caller to the detected format
  int accountPosition = -1;   // 0-based field position, -1 = none
  int bankCodePosition = -1;
  std::vector<FieldInfo> fields;
  std::array<int, kRoleCount> roles{};  // roles[r - 1]: field of role r, or -1

  // The 0-based field playing `role` (1 to 12), or -1.
  int RoleField(int role) const { return roles[static_cast<std::size_t>(role - 1)]; }
  // The sum of all field lengths.
  int RecordLength() const;
};

// Results of LoadRecordLayout.
inline constexpr int kLayoutUsable = 1;
inline constexpr int kLayoutInsufficient = 0;  // required fields missing
inline constexpr int kLayoutFormatUnspecified = -1;

// Fills `layout` (format preset, positions -1, no fields) from the
// sections "PARSER" and "FIELDS" of `formatIni`. Returns 1, 0 or -1 as
// above. A layout that names no bank-code or account position is 0, and so
// is a fixed-length layout whose new-BIC field is narrower than 11 or whose
// new-IBAN field is narrower than 22 characters.
int LoadRecordLayout(RecordLayout& layout, const platform::PrivateProfile& formatIni);

// The same with FORMAT.INI read from `formatIniPath` (a missing file gives
// the built-in layout).
int LoadRecordLayout(RecordLayout& layout, const std::filesystem::path& formatIniPath);

// The message a batch run shows for a result of 0 or -1.
std::string LayoutFailureMessage(int result);

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_RECORD_LAYOUT_H_
