#include "batch/record_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "platform/number_text.h"

namespace talvenor::batch {
namespace {

struct DefaultField {
  const char* name;
  int length;
  int quoted;
};

// The built-in layout: field r plays role r. 145 characters in all.
// clang-format off
constexpr std::array<DefaultField, kRoleCount> kDefaultFields{{
    {"LKZ", 2, 1},
    {"USER", 5, 1},
    {"REFERENZ", 30, 1},
    {"BICALT", 11, 1},
    {"LKZPZALT", 4, 1},
    {"BLZALT", 8, 0},
    {"KTOALT", 10, 0},
    {"FREI1", 20, 1},
    {"BICNEU", 11, 1},
    {"IBANNEU", 22, 1},
    {"FREI2", 20, 1},
    {"ERGEB", 2, 0},
}};
// clang-format on
constexpr int kDefaultBankCodePosition = kRoleOldBankCode - 1;
constexpr int kDefaultAccountPosition = kRoleOldAccount - 1;

// The highest role a custom layout may assign; roles 11 and 12 belong to
// the built-in layout only.
constexpr int kLastCustomRole = kRoleNewIban;

constexpr int kFileFormatAbsent = -1;
constexpr int kIndexAbsent = -1;

void ClearLayout(RecordLayout& layout) {
  layout.accountPosition = -1;
  layout.bankCodePosition = -1;
  layout.fields.clear();
  layout.roles.fill(-1);
}

void LoadDefaultLayout(RecordLayout& layout) {
  for (std::size_t i = 0; i < kDefaultFields.size(); ++i) {
    const DefaultField& field = kDefaultFields[i];
    layout.fields.push_back({field.name, field.length, static_cast<int>(i), field.quoted});
    layout.roles[i] = static_cast<int>(i);
  }
  layout.bankCodePosition = kDefaultBankCodePosition;
  layout.accountPosition = kDefaultAccountPosition;
}

// Takes the text up to the next comma off `rest`; without a comma the whole
// rest is the part and the rest is empty.
std::string_view TakePart(std::string_view& rest) {
  const std::size_t comma = rest.find(',');
  const std::string_view part = rest.substr(0, comma);
  rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
  return part;
}

// Parses a field description "length[,quoted[,name[,role]]]" into `field`
// and `role` (0 = no role). False when the description is unusable.
bool ParseFieldDescription(std::string_view text, FieldInfo& field, int& role) {
  if (text.empty() || text.front() == ',') return false;
  std::string_view rest = text;
  const long length = platform::ParseLeadingLong(TakePart(rest));
  if (length < 1) return false;
  field.length = static_cast<int>(std::min<long>(length, INT_MAX));

  const std::string_view quoted = TakePart(rest);
  if (!quoted.empty()) {
    if (quoted != "0" && quoted != "1") return false;
    field.quoted = quoted == "1" ? 1 : 0;
  }
  const std::string_view name = TakePart(rest);
  if (!name.empty()) field.name = std::string(name);

  const std::string_view rolePart = TakePart(rest);
  role = 0;
  if (!rolePart.empty()) {
    if (!platform::IsDigitsOnly(rolePart)) return false;
    const long value = platform::ParseLeadingLong(rolePart);
    if (value < 1 || value > kLastCustomRole) return false;
    role = static_cast<int>(value);
  }
  return true;
}

// In fixed-length records the new BIC and the new IBAN are written into the
// fields of their roles; a field narrower than they are would cut them or
// shift every later field.
bool FixedFieldsHoldTheNumbers(const RecordLayout& layout) {
  if (layout.format != kFormatFixed) return true;
  const auto holds = [&layout](int role, int width) {
    const int field = layout.RoleField(role);
    return field < 0 || layout.fields[static_cast<std::size_t>(field)].length >= width;
  };
  return holds(kRoleNewBic, kNewBicWidth) && holds(kRoleNewIban, kNewIbanWidth);
}

// Reads the custom layout of the sections "PARSER" and "FIELDS".
int LoadCustomLayout(RecordLayout& layout, const platform::PrivateProfile& formatIni) {
  const int fieldCount = formatIni.GetInt("FIELDS", "ANZ", 0);
  const int fileFormat = formatIni.GetInt("PARSER", "FILEFORMAT", kFileFormatAbsent);
  if (fileFormat != kFileFormatAbsent) {
    layout.format = fileFormat == 0 ? kFormatFixed : kFormatSeparated;
  }

  // Fields are added one by one as their descriptions are read, so a huge
  // "ANZ" fails at the first missing description instead of allocating.
  for (int i = 1; i <= fieldCount; ++i) {
    FieldInfo field;
    field.index = i - 1;
    int role = 0;
    const std::string description = formatIni.GetString("FIELDS", "FIELD" + std::to_string(i), "");
    if (!ParseFieldDescription(description, field, role)) return kLayoutInsufficient;
    if (role != 0) layout.roles[static_cast<std::size_t>(role - 1)] = i - 1;

    // Unless "FILEFORMAT" names the format, the first field must match the
    // detected one: a fixed-length record begins unquoted, a separated one
    // quoted.
    if (i == 1 && fileFormat == kFileFormatAbsent &&
        ((layout.format == kFormatFixed && field.quoted == 1) ||
         (layout.format == kFormatSeparated && field.quoted == 0))) {
      return kLayoutFormatUnspecified;
    }
    layout.fields.push_back(std::move(field));
  }

  // A layout with a field for the old IBAN's country/check-digit part names
  // no bank-code or account position, which every record needs.
  if (layout.RoleField(kRoleOldIbanPrefix) != -1) return kLayoutInsufficient;

  const int bankCodeIndex = formatIni.GetInt("PARSER", "indexblz", kIndexAbsent);
  const int accountIndex = formatIni.GetInt("PARSER", "indexkto", kIndexAbsent);
  const int count = static_cast<int>(layout.fields.size());
  if (bankCodeIndex < 1 || accountIndex < 1 || bankCodeIndex == accountIndex ||
      bankCodeIndex > count || accountIndex > count) {
    return kLayoutInsufficient;
  }
  layout.bankCodePosition = bankCodeIndex - 1;
  layout.accountPosition = accountIndex - 1;
  return FixedFieldsHoldTheNumbers(layout) ? kLayoutUsable : kLayoutInsufficient;
}

}  // namespace

int RecordLayout::RecordLength() const {
  std::int64_t sum = 0;
  for (const FieldInfo& field : fields) sum += field.length;
  return static_cast<int>(std::min<std::int64_t>(sum, INT_MAX));
}

int LoadRecordLayout(RecordLayout& layout, const platform::PrivateProfile& formatIni) {
  ClearLayout(layout);
  if (formatIni.GetInt("PARSER", "USEDEFAULT", 1) != 0) {
    LoadDefaultLayout(layout);
    return kLayoutUsable;
  }
  const int result = LoadCustomLayout(layout, formatIni);
  // A failed load leaves no half-read layout behind.
  if (result != kLayoutUsable) ClearLayout(layout);
  return result;
}

int LoadRecordLayout(RecordLayout& layout, const std::filesystem::path& formatIniPath) {
  return LoadRecordLayout(layout, platform::PrivateProfile::Load(formatIniPath));
}

std::string LayoutFailureMessage(int result) {
  const std::string insufficient = "Die Formatangaben sind nicht ausreichend!";
  switch (result) {
    case kLayoutInsufficient:
      return insufficient + "\nEs fehlen notwendige Felder!";
    case kLayoutFormatUnspecified:
      return insufficient + "\nDas Format (CSV, Feste Satzlänge) ist nicht spezifiziert!";
    default:
      return {};
  }
}

}  // namespace talvenor::batch
