#include "batch/record_conversion.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/account_text.h"
#include "platform/number_text.h"

namespace talvenor::batch {
namespace {

constexpr std::size_t kBicWidth = kNewBicWidth;
constexpr std::size_t kIbanWidth = kNewIbanWidth;
constexpr std::string_view kBlankBic = "           ";
constexpr std::string_view kBlankIban = "                      ";
constexpr std::string_view kNoOldIban = "0000";
constexpr std::string_view kLineEnd = "\r\n";
// Room for the longest output line: a record line of up to 4000
// characters and what may be appended to it.
constexpr std::size_t kOutputReserve = 4096 + 64;
static_assert(kBlankBic.size() == kBicWidth && kBlankIban.size() == kIbanWidth);

// A token that begins with a double quote and is longer than one character
// loses it, and then a closing quote if there is one. There is no escaping.
std::string_view Unquoted(std::string_view token) {
  if (token.size() > 1 && token.front() == '"') {
    token.remove_prefix(1);
    if (!token.empty() && token.back() == '"') token.remove_suffix(1);
  }
  return token;
}

}  // namespace

bool LayoutIsAddressable(const RecordLayout& layout) {
  const int fields = static_cast<int>(layout.fields.size());
  const auto inside = [fields](int position) { return position >= 0 && position < fields; };
  if (!inside(layout.bankCodePosition) || !inside(layout.accountPosition)) return false;
  for (int role = 1; role <= kRoleCount; ++role) {
    const int field = layout.RoleField(role);
    if (field != -1 && !inside(field)) return false;
  }
  for (const FieldInfo& field : layout.fields) {
    if (field.length < 1) return false;
  }
  return true;
}

RecordConverter::RecordConverter(const RecordLayout& layout, const BankDirectory& directory,
                                 int groups)
    : layout_(layout),
      directory_(directory),
      groups_(groups),
      countryField_(layout.RoleField(kRoleCountry)),
      oldIbanField_(layout.RoleField(kRoleOldIbanPrefix)),
      bicField_(layout.RoleField(kRoleNewBic)),
      ibanField_(layout.RoleField(kRoleNewIban)),
      resultField_(layout.RoleField(kRoleResult)),
      separated_(layout.format != kFormatFixed) {
  std::size_t offset = 0;
  for (const FieldInfo& field : layout.fields) {
    fieldOffsets_.push_back(offset);
    offset += static_cast<std::size_t>(field.length);
  }
  const auto fits = [&layout](int field, std::size_t width) {
    return field < 0 ||
           static_cast<std::size_t>(layout.fields[static_cast<std::size_t>(field)].length) == width;
  };
  inPlace_ = !separated_ && fits(bicField_, kBicWidth) && fits(ibanField_, kIbanWidth) &&
             fits(resultField_, 2);
  tokens_.reserve(layout.fields.size() + 1);
  joined_.reserve(64);
  output_.resize(kOutputReserve);
  result_.texts.bankCode.reserve(16);
  result_.texts.account.reserve(16);
}

bool RecordConverter::Convert(std::string_view line) {
  if (!Split(line)) return false;
  group_ = GroupOf();
  writesNumbers_ = false;
  // The old BIC (role 4) and the old IBAN's check digits (role 5) could be
  // compared with the bank's data, but no outcome of such a comparison
  // changes the output record, so they are not computed.
  if (countryField_ >= 0 && Token(countryField_) != "DE") {
    resultCode_ = ResultCode::kForeign;
  } else {
    ConvertNumbers();
  }
  // Every field may gain quotes and a separator; the new BIC and IBAN may
  // stand in a field and be appended (padded to their widths, quoted); then
  // the result code and the line end.
  const std::size_t longest = line.size() + 3 * (tokens_.size() + 1) +
                              2 * (result_.texts.bic.size() + result_.texts.iban.size()) +
                              2 * (kBicWidth + kIbanWidth) + 32;
  if (output_.size() < longest) output_.resize(longest);
  cursor_ = output_.data();
  if (inPlace_ && FitsInPlace()) {
    BuildFixedInPlace(line);
  } else {
    BuildFromFields();
  }
  AppendMissingFields();
  outputSize_ = static_cast<std::size_t>(cursor_ - output_.data());
  return true;
}

bool RecordConverter::Split(std::string_view line) {
  tokens_.clear();
  hasRemainder_ = false;
  return separated_ ? SplitSeparated(line) : SplitFixed(line);
}

bool RecordConverter::SplitFixed(std::string_view line) {
  std::size_t offset = 0;
  for (const FieldInfo& field : layout_.fields) {
    const auto width = static_cast<std::size_t>(field.length);
    if (line.size() - offset < width) return false;
    tokens_.push_back(line.substr(offset, width));
    offset += width;
  }
  if (offset < line.size()) {
    remainder_ = line.substr(offset);
    hasRemainder_ = true;
  }
  return true;
}

bool RecordConverter::SplitSeparated(std::string_view line) {
  const std::size_t fields = layout_.fields.size();
  // Tokens are short: a plain scan beats a library search per token.
  const char* next = line.data();
  const char* const end = next + line.size();
  bool more = true;  // a separator was passed, so one more token follows
  while (more && tokens_.size() < fields) {
    const char* const start = next;
    while (next != end && *next != ';') ++next;
    more = next != end;
    tokens_.push_back(Unquoted(std::string_view(start, static_cast<std::size_t>(next - start))));
    if (more) ++next;
  }
  // What follows the last field stays as it is, separators included; a
  // separator that ends the record keeps its (empty) remainder, so the
  // output line ends with it as the input did.
  if (more) {
    remainder_ = std::string_view(next, static_cast<std::size_t>(end - next));
    hasRemainder_ = true;
  }
  const std::size_t needed =
      static_cast<std::size_t>(std::max(layout_.bankCodePosition, layout_.accountPosition));
  if (tokens_.size() < fields && tokens_.size() > needed) tokens_.resize(fields);
  if (tokens_.size() < fields) return false;
  const auto tooLong = [this](int position) {
    return position >= 0 &&
           Token(position).size() >
               static_cast<std::size_t>(layout_.fields[static_cast<std::size_t>(position)].length);
  };
  return !tooLong(layout_.bankCodePosition) && !tooLong(layout_.accountPosition) &&
         !tooLong(oldIbanField_);
}

int RecordConverter::GroupOf() const {
  if (groups_ <= 1) return 0;
  const std::string_view bankCode = Token(layout_.bankCodePosition);
  if (bankCode.size() < 4 || !platform::IsDigit(bankCode[3])) return 0;
  return bankCode[3] - '0';
}

void RecordConverter::ConvertNumbers() {
  // Old-IBAN part, bank code and padded account stand together as the 22
  // characters of an IBAN; the bank code and account are read from where
  // they stand in that text, so a short bank code shifts into the account
  // and the record is then malformed rather than read some other way.
  std::string_view part = oldIbanField_ >= 0 ? Token(oldIbanField_) : kNoOldIban;
  if (part.empty() || part == "    ") part = kNoOldIban;
  const std::string_view bankToken = Token(layout_.bankCodePosition);
  const std::string_view accountToken = Token(layout_.accountPosition);
  joined_.assign(part);
  joined_.append(bankToken);
  if (accountToken.size() < 10) joined_.append(10 - accountToken.size(), '0');
  joined_.append(accountToken);

  const std::string_view joined = joined_;
  const std::string_view bankCode = joined.substr(std::min<std::size_t>(4, joined.size()), 8);
  const std::string_view account = joined.substr(std::min<std::size_t>(12, joined.size()), 10);
  const bool wellFormed = joined.size() == kIbanWidth;

  const std::optional<BankCode> entered = BankCode::Parse(bankCode);
  const BlzInfoIBAN* found = entered ? directory_.Lookup(entered->number()) : nullptr;
  if (found == nullptr) {
    resultCode_ = wellFormed ? ResultCode::kUnknownBankCode : ResultCode::kMalformedNumbers;
    return;
  }
  if (account == "0000000000" || !platform::IsDigitsOnly(account)) {
    resultCode_ = ResultCode::kAccountInvalid;
    return;
  }
  if (!wellFormed) {
    resultCode_ = ResultCode::kMalformedNumbers;
    return;
  }

  AccountRequest request{*entered, account};
  request.reportSuccessor = true;
  request.record = found;
  ConvertAccount(directory_, request, result_);
  resultCode_ = result_.resultCode;
  if (result_.ruleOrigin == RuleOrigin::kAssumed) ++assumedRuleRecords_;
  if (result_.texts.accountUnchecked) ++uncheckedRecords_;

  writesNumbers_ =
      resultCode_ != ResultCode::kAccountExcluded && resultCode_ != ResultCode::kNotAllowed;
  const BlzInfoIBAN& inForceRecord = *result_.inForce;
  const BankFacts& inForce = directory_.facts(inForceRecord);
  if (ResultNumber(resultCode_) < 10 && inForce.toBeDeleted) {
    resultCode_ = ResultCode::kToBeDeleted;
  }
  const std::size_t bicSize =
      inForce.bicInline ? inForce.bicLength : inForceRecord.firstBic().size();
  if (resultCode_ == ResultCode::kConverted && bicSize != kBicWidth) {
    resultCode_ = ResultCode::kIncompleteBic;
  }
}

// Whether what goes into the fields has exactly their widths: a BIC of at
// most 11 characters (padded), an IBAN of 22 or none, a two-digit result.
bool RecordConverter::FitsInPlace() const {
  if (!writesNumbers_) return true;
  return result_.texts.bic.size() <= kBicWidth &&
         (result_.texts.iban.empty() || result_.texts.iban.size() == kIbanWidth);
}

// The fast path of fixed-length records: the fields stand in the line one
// after the other, so the output is the line itself with the new BIC, IBAN
// and result written over their fields (whose widths fit them exactly).
void RecordConverter::BuildFixedInPlace(std::string_view line) {
  Put(line);
  if (bicField_ >= 0 && writesNumbers_) {
    char* bic = output_.data() + FieldOffset(bicField_);
    const std::size_t size = result_.texts.bic.size();
    std::memcpy(bic, result_.texts.bic.data(), size);
    std::memset(bic + size, ' ', kBicWidth - size);
  }
  if (ibanField_ >= 0 && writesNumbers_) {
    const std::string_view iban =
        result_.texts.iban.empty() ? kBlankIban : std::string_view(result_.texts.iban);
    std::memcpy(output_.data() + FieldOffset(ibanField_), iban.data(), kIbanWidth);
  }
  if (resultField_ >= 0) {
    char* code = output_.data() + FieldOffset(resultField_);
    code[0] = static_cast<char>('0' + ResultNumber(resultCode_) / 10);
    code[1] = static_cast<char>('0' + ResultNumber(resultCode_) % 10);
  }
}

void RecordConverter::BuildFromFields() {
  for (std::size_t position = 0; position < tokens_.size(); ++position) {
    if (separated_ && position > 0) Put(';');
    AppendField(position);
  }
  if (hasRemainder_) {
    if (separated_) Put(';');
    Put(remainder_);
  }
}

// Whatever has no field of its own follows the record: the new BIC, the
// new IBAN (blank when none is written) and the result code; then the line
// end.
void RecordConverter::AppendMissingFields() {
  if (bicField_ < 0) {
    const std::string_view bic = writesNumbers_ ? std::string_view(result_.texts.bic) : "";
    if (separated_) {
      Put(";\"");
      Put(bic);
      Put('"');
    } else {
      Put(bic);
      Put(kBlankBic.substr(std::min(kBicWidth, bic.size())));
    }
  }
  if (ibanField_ < 0) {
    const std::string_view iban = writesNumbers_ ? std::string_view(result_.texts.iban) : "";
    if (separated_) {
      Put(";\"");
      Put(iban);
      Put('"');
    } else {
      Put(iban.empty() ? kBlankIban : iban);
    }
  }
  if (resultField_ < 0) {
    if (separated_) Put(';');
    AppendResult(false);
  }
  Put(kLineEnd);
}

// One field within the layout: its input value, or what the run puts into
// it (the new BIC, the new IBAN, the result code).
void RecordConverter::AppendField(std::size_t position) {
  const int field = static_cast<int>(position);
  const bool quoted = separated_ && layout_.fields[position].quoted == 1;
  if (field == resultField_) {
    AppendResult(quoted);
  } else if ((field == bicField_ || field == ibanField_) && writesNumbers_) {
    const std::string_view value = field == bicField_ ? result_.texts.bic : result_.texts.iban;
    if (separated_) {
      AppendValue(value, quoted);
    } else {
      // A fixed-length record keeps its length: the field is filled to its
      // width (the layout makes it at least as wide as the value).
      Put(value);
      const auto width = static_cast<std::size_t>(layout_.fields[position].length);
      if (value.size() < width) PutBlanks(width - value.size());
    }
  } else {
    AppendValue(tokens_[position], quoted);
  }
}

// Appends `value`, in double quotes when `quoted` and not empty.
void RecordConverter::AppendValue(std::string_view value, bool quoted) {
  if (quoted && !value.empty()) {
    Put('"');
    Put(value);
    Put('"');
  } else {
    Put(value);
  }
}

// The result code as two digits ("00", "14", ...).
void RecordConverter::AppendResult(bool quoted) {
  char code[16];
  const auto printed = std::to_chars(code + 1, code + sizeof code, ResultNumber(resultCode_));
  const char* begin = printed.ptr - (code + 1) < 2 ? code : code + 1;
  code[0] = '0';
  AppendValue(std::string_view(begin, printed.ptr), quoted);
}

}  // namespace talvenor::batch
