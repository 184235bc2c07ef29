// Rule steps 0030 to 0056 that need more than one table row.
#include <array>

#include "core/account_text.h"
#include "core/rule_steps.h"
#include "core/rule_tables.h"
#include "platform/number_text.h"

namespace talvenor::rule_steps {
namespace {

struct Range {
  long low;
  long high;
  bool Holds(long value) const { return value >= low && value <= high; }
};

// Rule 0036: values of the first five digits that get no IBAN (besides 0).
constexpr std::array<Range, 6> kRule0036Refused{
    {{9, 299}, {600, 999}, {9000, 9999}, {20000, 29999}, {71000, 84999}, {86000, 89999}}};

// Rule 0052: single accounts of former bank codes and their accounts at
// 60050101, keyed by the entered bank code and the padded account.
struct MovedAccount {
  std::string_view enteredBankCode;
  std::string_view padded;
  std::string_view ibanAccount;
};
// clang-format off
constexpr std::array<MovedAccount, 10> kRule0052Accounts{{
    {"67220020", "5308810004", "2662604"},
    {"67220020", "5308810000", "2659600"},
    {"67020020", "5203145700", "7496510994"},
    {"69421020", "6208908100", "7481501341"},
    {"66620020", "4840404000", "7498502663"},
    {"64120030", "1201200100", "7477501214"},
    {"64020030", "1408050100", "7469534505"},
    {"63020130", "1112156300", "4475655"},
    {"62030050", "7002703200", "7406501175"},
    {"69220020", "6402145400", "7485500252"},
}};
// clang-format on

// Rule 0054: accounts that are valid although they fail their check.
constexpr std::array<std::string_view, 4> kRule0054Accepted{"624044", "99624044", "300143869",
                                                            "4063060"};
// Rule 0054: leading parts of accounts ending in "11908" that are valid.
constexpr std::array<Range, 5> kRule0054Accepted11908{
    {{201, 226}, {501, 533}, {571, 571}, {581, 585}, {801, 829}}};
constexpr std::array<long, 7> kRule0054Excluded11908{210, 220, 510, 520, 530, 810, 820};
// Rule 0054: leading parts of other accounts that are valid.
constexpr std::array<long, 5> kRule0054AcceptedOther{462, 511, 512, 521, 522};

template <typename Container, typename Value>
bool Contains(const Container& values, const Value& value) {
  for (const auto& candidate : values) {
    if (candidate == value) return true;
  }
  return false;
}

bool Rule0042Accepts(const RuleEvaluation& e) {
  if (Digits(e, 1, 2) == "00" && DigitAt(e, 3) != '0') {
    if (DigitAt(e, 6) == '0') return DigitAt(e, 7) != '0';
    const long tail = DigitsValue(e, 7, 10);
    return Digits(e, 1, 6) == "005046" && ((tail >= 2000 && tail <= 3999) || tail >= 9000);
  }
  if (DigitAt(e, 1) == '0') return false;
  return Range{4400001, 4499999}.Holds(DigitsValue(e, 4, 10));
}

// REQUIRES: account has more than five characters.
bool Rule0054Accepts(std::string_view account) {
  if (Contains(kRule0054Accepted, WithoutLeadingZeros(account))) return true;
  const long head = platform::ParseLeadingLong(account.substr(0, account.size() - 5));
  if (account.substr(account.size() - 5) != "11908") {
    return Contains(kRule0054AcceptedOther, head);
  }
  if (Contains(kRule0054Excluded11908, head)) return false;
  for (const Range& range : kRule0054Accepted11908) {
    if (range.Holds(head)) return true;
  }
  return false;
}

}  // namespace

// Rule 0030: listed accounts count as valid although they fail their check.
RuleStepEnd Rule0030(RuleEvaluation& e) {
  if (e.state == Invalid && InRule0030AccountList(WithoutLeadingZeros(e.texts.account))) {
    e.state = Valid;
    e.resultCode = ResultCode::kConverted;
  }
  return RuleStepEnd::kComplete;
}

// Rule 0031: only valid accounts from prefix 100 on, at their prefix's bank code.
RuleStepEnd Rule0031(RuleEvaluation& e) {
  const long prefix = AccountPrefix(e.texts.account);
  if (prefix < 100 || e.state == Invalid) return RuleStepEnd::kRefuse;
  MoveToDirectoryBank(e, SuccessorBankCode(prefix, e.texts.bankCode));
  return RuleStepEnd::kComplete;
}

// Rules 0032 to 0035: refuse prefixes 80-89 (rule 0033 accepts them), move
// prefixes 100 up, donation accounts.
RuleStepEnd Rule0032To0035(RuleEvaluation& e) {
  const long prefix = AccountPrefix(e.texts.account);
  const bool takesEighties = e.effectiveRule == 3300 || e.effectiveRule == 3301;
  if (!takesEighties && prefix >= 80 && prefix <= 89) return RuleStepEnd::kRefuse;
  if (prefix >= 100) {
    const std::string_view successor = SuccessorBankCode(prefix, e.texts.bankCode);
    if (successor != e.texts.bankCode) MoveToDirectoryBank(e, successor);
  }
  if (ReplaceAccountFromTable(e.texts.bankCode, e.texts.account, e.effectiveRule)) {
    TakeReplacedAccount(e, kVerdictDonationValid);
  }
  return RuleStepEnd::kComplete;
}

// Rule 0036: held at 21050000; ranges refused; short accounts gain three zeros.
RuleStepEnd Rule0036(RuleEvaluation& e) {
  MoveToBank(e, "21050000", "HSHNDEHHXXX");
  const long lead = DigitsValue(e, 1, 5);
  if (lead == 0) return RuleStepEnd::kRefuse;
  for (const Range& range : kRule0036Refused) {
    if (range.Holds(lead)) return RuleStepEnd::kRefuse;
  }
  if (e.state != Invalid && lead >= 1 && lead <= 8) {
    e.ibanAccount = std::string(Digits(e, 5, 10)) + "000";
    e.resultCode = ResultCode::kAccountChanged;
  }
  return RuleStepEnd::kComplete;
}

// Rule 0041: every account of 62220000 becomes one account at 50060400.
RuleStepEnd Rule0041(RuleEvaluation& e) {
  if (e.input.entered.text() == "62220000") {
    MoveToBank(e, "50060400", "GENODEFFXXX");
    e.ibanAccount = "11404";
  }
  return RuleStepEnd::kComplete;
}

// Rule 0042: only accounts of a few shapes get an IBAN.
RuleStepEnd Rule0042(RuleEvaluation& e) {
  return Rule0042Accepts(e) ? RuleStepEnd::kComplete : RuleStepEnd::kRefuse;
}

// Rule 0044: one donation account is replaced; the result code stays.
RuleStepEnd Rule0044(RuleEvaluation& e) {
  if (WithoutLeadingZeros(e.texts.account) == "202") {
    e.ibanAccount = "2282022";
    e.state = Replaced;
    e.texts.verdict = kVerdictDonationValid;
  }
  return RuleStepEnd::kComplete;
}

// Rule 0047: eight-digit accounts go into the IBAN times 100.
RuleStepEnd Rule0047(RuleEvaluation& e) {
  if (Digits(e, 1, 2) == "00" && DigitAt(e, 3) != '0') {
    e.ibanAccount = std::string(Digits(e, 3, 10)) + "00";
    e.resultCode = ResultCode::kAccountChanged;
  }
  return RuleStepEnd::kComplete;
}

// Rule 0049 (version 01): accounts "92..." to "99..." are taken unchecked.
RuleStepEnd Rule0049(RuleEvaluation& e) {
  const char second = DigitAt(e, 2);
  if (DigitAt(e, 1) == '9' && second >= '2' && second <= '9') {
    e.state = Valid;
    e.texts.verdict = kVerdictNotCheckable;
  }
  return RuleStepEnd::kComplete;
}

// Rule 0052: listed accounts move to 60050101; any other IBAN is not allowed.
RuleStepEnd Rule0052(RuleEvaluation& e) {
  for (const MovedAccount& moved : kRule0052Accounts) {
    if (moved.enteredBankCode == e.input.entered.text() && moved.padded == e.padded) {
      e.ibanAccount = moved.ibanAccount;
      e.state = Replaced;
      e.texts.verdict = kVerdictAdjusted;
      MoveToBank(e, "60050101", "SOLADEST600");
      e.resultCode = ResultCode::kAccountChanged;
      return RuleStepEnd::kComplete;
    }
  }
  e.texts.verdict = kVerdictNotAllowed;
  e.notAllowed = true;
  return RuleStepEnd::kComplete;
}

// Rule 0053: accounts of former banks are adjusted and move to 60050101.
RuleStepEnd Rule0053(RuleEvaluation& e) {
  if (ReplaceAdjustedAccount(e.texts.bankCode, e.texts.account)) {
    TakeReplacedAccount(e, kVerdictAdjusted);
    MoveToBank(e, "60050101", "SOLADEST600");
  }
  return RuleStepEnd::kComplete;
}

// Rule 0054: listed accounts replaced; some failing shapes accepted.
RuleStepEnd Rule0054(RuleEvaluation& e) {
  if (ReplaceAccountFromTable(e.texts.bankCode, e.texts.account, e.effectiveRule)) {
    TakeReplacedAccount(e, kVerdictReplaced);
  }
  if (e.state != Invalid || e.texts.account.size() <= 5) return RuleStepEnd::kComplete;
  if (Rule0054Accepts(e.texts.account)) {
    e.state = Valid;
    e.texts.verdict = kVerdictAccepted;
  }
  return RuleStepEnd::kComplete;
}

// Rule 0056: fixed IBANs (version 00 only); no IBAN below ten digits.
RuleStepEnd Rule0056(RuleEvaluation& e) {
  if (e.effectiveRule == 5600 && FindFixedIban(e.texts.account, e.texts.iban)) {
    e.texts.verdict = kVerdictReplaced;
    e.resultCode = ResultCode::kAccountChanged;
    return RuleStepEnd::kFinished;
  }
  if (DigitAt(e, 1) == '0') {
    e.state = Refused;
    e.notAllowed = true;
    return RuleStepEnd::kRefuse;
  }
  return RuleStepEnd::kComplete;
}

}  // namespace talvenor::rule_steps
