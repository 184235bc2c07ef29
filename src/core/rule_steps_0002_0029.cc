// Rule steps 0002 to 0029 that need more than one table row, and the
// vocabulary all rule steps share.
#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "core/account_text.h"
#include "core/rule_steps.h"
#include "core/rule_tables.h"
#include "platform/number_text.h"

namespace talvenor::rule_steps {
namespace {

constexpr int kMethod09 = checkdigit::CheckMethodCode("09");
constexpr int kMethod63 = checkdigit::CheckMethodCode("63");
constexpr int kMethodC7 = checkdigit::CheckMethodCode("C7");

}  // namespace

long DigitsValue(const RuleEvaluation& e, int first, int last) {
  return platform::ParseLeadingLong(Digits(e, first, last));
}

void TakeReplacedAccount(RuleEvaluation& e, std::string_view verdict) {
  e.ibanAccount = e.texts.account;
  e.state = Replaced;
  e.resultCode = ResultCode::kAccountChanged;
  e.texts.verdict = verdict;
}

void MoveToBank(RuleEvaluation& e, std::string_view bankCode, std::string_view bic) {
  e.texts.bankCode = bankCode;
  e.texts.bic = bic;
}

void MoveToDirectoryBank(RuleEvaluation& e, std::string_view bankCode) {
  const BlzInfoIBAN* record = e.directory.Lookup(bankCode);
  if (record == nullptr) return;
  // The code may be a view of the bank code text that is about to change.
  std::string code(bankCode);
  MoveToBank(e, code, record->firstBic());
}

// Rule 0002: no IBAN when the last three IBAN digits start with "6" or "86".
RuleStepEnd Rule0002(RuleEvaluation& e) {
  const std::string_view account = e.ibanAccount;
  if (account.size() < 3) return RuleStepEnd::kComplete;
  const std::string_view last = account.substr(account.size() - 3);
  if (last.front() == '6' || last.starts_with("86")) return RuleStepEnd::kRefuse;
  return RuleStepEnd::kComplete;
}

// Rule 0003: one single account gets no IBAN.
RuleStepEnd Rule0003(RuleEvaluation& e) {
  return e.ibanAccount == "6161604670" ? RuleStepEnd::kRefuse : RuleStepEnd::kComplete;
}

// Rule 0005: head office BIC (not for "HD"), pseudo accounts, an excluded block.
RuleStepEnd Rule0005(RuleEvaluation& e) {
  std::string& bic = e.texts.bic;
  if (bic.starts_with("COBADE") && bic.substr(6, 2) != "HD") bic = "COBADEFFXXX";

  const std::string_view entered = e.input.entered.text();
  const char fourth = entered.size() >= 4 ? entered[3] : '\0';
  if ((fourth == '4' || fourth == '8') && ReplacePseudoAccount(entered, e.texts.account)) {
    TakeReplacedAccount(e, kVerdictPseudoReplaced);
    return RuleStepEnd::kComplete;
  }
  if (fourth == '8' && IsExcludedPseudoAccount(entered, e.texts.account)) {
    return RuleStepEnd::kRefuse;
  }
  return RuleStepEnd::kComplete;
}

// Rule 0009: held at 68351557; "1116..." of 68351976 becomes "3047...".
RuleStepEnd Rule0009(RuleEvaluation& e) {
  if (Digits(e, 1, 4) == "1116" && e.input.entered.text() == "68351976") {
    e.ibanAccount = "3047" + std::string(Digits(e, 5, 10));
    e.resultCode = ResultCode::kAccountChanged;
  }
  MoveToBank(e, "68351557", "SOLADES1SFH");
  return RuleStepEnd::kComplete;
}

// Rule 0010: two accounts of 50050201 renumbered; 50050222 served as 50050201.
RuleStepEnd Rule0010(RuleEvaluation& e) {
  // The bank code in use decides here, not the entered one.
  if (e.texts.bankCode == "50050201") {
    const char* replacement = e.padded == "0000002000"   ? "222000"
                              : e.padded == "0000800000" ? "180802"
                                                         : nullptr;
    if (replacement != nullptr) {
      e.ibanAccount = replacement;
      e.state = Replaced;
      e.resultCode = ResultCode::kAccountChanged;
    }
  } else if (e.texts.bankCode == "50050222") {
    e.texts.bankCode = "50050201";
  }
  return RuleStepEnd::kComplete;
}

// Rule 0020: "C7" accounts must pass "63"; a donation account; sub-accounts times 100.
RuleStepEnd Rule0020(RuleEvaluation& e) {
  if (e.state != Invalid && e.methodNumber == kMethodC7 && e.padded == e.checkedForm) {
    if (checkdigit::verifyAccountNumber(e.texts.account, e.input.entered.number(), kMethod63,
                                        e.ibanAccount) == 0) {
      return RuleStepEnd::kRefuse;
    }
    e.methodNumber = kMethod63;
  }
  if (e.input.entered.text() == "50070010" && platform::ParseLeadingLong(e.texts.account) == 9999) {
    e.texts.verdict = kVerdictDonationValid;
    e.state = Replaced;
    e.ibanAccount = "92777202";
    e.resultCode = ResultCode::kAccountChanged;
    return RuleStepEnd::kComplete;
  }
  if (e.padded == e.checkedForm && e.methodNumber == kMethod63 && Digits(e, 1, 3) == "000" &&
      DigitAt(e, 4) != '0' && e.state == Valid &&
      checkdigit::verifySubAccountShift(e.padded) == 1) {
    e.ibanAccount = std::string(Digits(e, 3, 10)) + "00";
  }
  return RuleStepEnd::kComplete;
}

// Rule 0021: held at 36020030; accounts of eight or under six digits are invalid.
RuleStepEnd Rule0021(RuleEvaluation& e) {
  MoveToBank(e, "36020030", "NBAGDE3EXXX");
  const std::size_t length = WithoutLeadingZeros(e.ibanAccount).size();
  if (e.state != Invalid && (length == 8 || length < 6)) e.state = Invalid;
  return RuleStepEnd::kComplete;
}

// Rule 0029: a ten-digit account with a fourth-place "0" loses that zero.
RuleStepEnd Rule0029(RuleEvaluation& e) {
  const std::string& account = e.texts.account;
  if (account.size() != 10 || account[3] != '0' || account[0] == '0') {
    return RuleStepEnd::kComplete;
  }
  const std::string nineDigits = account.substr(0, 3) + account.substr(4);
  if (e.methodNumber == kMethod09) {
    e.ibanAccount = nineDigits;
    e.resultCode = ResultCode::kAccountChanged;
  } else {
    e.state = checkdigit::verifyAccountNumber(nineDigits, e.input.entered.number(), e.methodNumber,
                                              e.ibanAccount);
  }
  return RuleStepEnd::kComplete;
}

}  // namespace talvenor::rule_steps
