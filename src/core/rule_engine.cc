#include "core/rule_engine.h"

#include <cassert>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "checkdigit/method_catalogue.h"
#include "core/account_text.h"
#include "core/iban.h"
#include "core/rule_catalogue.h"
#include "core/rule_evaluation.h"
#include "platform/number_text.h"

namespace talvenor {
namespace {

// The bank's method, unless its rule checks the account with another one.
int MethodInForce(const RuleEvaluation& e) {
  const int override = RuleMethodOverride(e.effectiveRule, e.input.entered.text());
  return override >= 0 ? override : e.methodNumber;
}

// An account text the engine can work with: at most ten digits. Anything
// else cannot be checked and must not end up in an IBAN.
bool IsUsableAccountText(std::string_view account) {
  return account.size() <= 10 && platform::IsDigitsOnly(account);
}

// A method number the dispatcher has no rule for; a negative number
// means the bank prescribes no check and is handled.
bool IsUnhandledMethod(int methodNumber) {
  return methodNumber >= 0 && checkdigit::FindMethod(methodNumber) == nullptr;
}

// Removes blanks, tabs and line ends at both ends of `text`, keeping its
// buffer.
void TrimInPlace(std::string& text) {
  const std::string_view trimmed = platform::TrimBlanks(text);
  if (trimmed.size() == text.size()) return;
  const auto offset = static_cast<std::size_t>(trimmed.data() - text.data());
  text.erase(0, offset);
  text.resize(trimmed.size());
}

void CheckAccount(RuleEvaluation& e) {
  if (e.padded == "0000000000") {
    e.state = Invalid;
    return;
  }
  if (IsUnhandledMethod(e.methodNumber)) {
    e.state = Valid;
    e.ibanAccount = std::string(WithoutLeadingZeros(e.texts.account));
    PadAccountInto(e.ibanAccount, e.checkedForm);
    e.texts.verdict = kVerdictNotCheckable;
    e.texts.accountUnchecked = true;
    return;
  }
  e.state = checkdigit::verifyAccountNumber(e.texts.account, e.input.entered.number(),
                                            e.methodNumber, e.ibanAccount);
  // A bank without method passes without the check writing the account
  // back; the IBAN must still carry the account, not zeros.
  if (e.state != Invalid && e.ibanAccount.empty()) {
    e.ibanAccount = std::string(WithoutLeadingZeros(e.texts.account));
  }
  PadAccountInto(e.ibanAccount, e.checkedForm);
  if (e.state == Invalid) return;
  e.texts.verdict = kVerdictValid;
  if (e.texts.account != e.ibanAccount &&
      WithoutLeadingZeros(e.texts.account) != WithoutLeadingZeros(e.ibanAccount)) {
    e.resultCode = ResultCode::kAccountChanged;
  }
}

void Complete(RuleEvaluation& e) {
  FormIban(e.texts.bankCode, e.ibanAccount, e.texts.iban);
  if (e.state == Invalid) {
    e.texts.verdict = kVerdictInvalid;
    e.resultCode = ResultCode::kAccountInvalid;
    return;
  }
  // A rule may accept an account that failed its check (or renumber it)
  // without naming a verdict; an accepted account never goes out without
  // one.
  if (e.texts.verdict.empty()) e.texts.verdict = kVerdictValid;
  if (e.input.entered.text() != e.texts.bankCode) {
    e.resultCode =
        e.input.successorSubstituted ? ResultCode::kSuccessorUsed : ResultCode::kBankCodeReplaced;
  } else {
    if (e.facts.noSuccessorNamed && ResultNumber(e.resultCode) < 10) {
      e.resultCode = ResultCode::kToBeDeleted;
    }
  }
}

// No IBAN: the account is excluded (12), or, where the step marked the IBAN
// as not allowed, its determination is refused altogether (50).
void Refuse(RuleEvaluation& e) {
  e.state = Refused;
  e.texts.verdict = e.notAllowed ? kVerdictNotAllowed : kVerdictExcluded;
  e.texts.iban.clear();
  e.resultCode = e.notAllowed ? ResultCode::kNotAllowed : ResultCode::kAccountExcluded;
}

// The account text is not a number of at most ten digits: it fails, and no
// IBAN is formed from it.
void RejectUnusableAccount(RuleEvaluation& e) {
  e.state = Invalid;
  e.texts.verdict = kVerdictInvalid;
  e.texts.iban.clear();
  e.resultCode = ResultCode::kAccountInvalid;
}

}  // namespace

ResultCode ApplyIbanRule(const BankDirectory& directory, const RuleInput& input, RuleTexts& texts) {
  assert(input.record != nullptr && !input.record->bics().empty());
  RuleEvaluation e{directory, input, texts};
  e.effectiveRule = input.ruleNumber == kRuleNotReleased ? 0 : input.ruleNumber;
  TrimInPlace(texts.account);
  texts.accountUnchecked = false;
  e.methodNumber = e.facts.methodNumber;
  if (e.facts.bicInline) {
    texts.bic.assign(e.facts.firstBic());
  } else {
    texts.bic = input.record->firstBic();
  }
  PadAccountInto(texts.account, e.padded);
  e.methodNumber = MethodInForce(e);

  if (!IsUsableAccountText(texts.account)) {
    RejectUnusableAccount(e);
  } else {
    CheckAccount(e);
    const RuleStep step = FindRuleStep(e.effectiveRule);
    const RuleStepEnd end = step ? step(e) : RuleStepEnd::kComplete;
    if (end == RuleStepEnd::kComplete) Complete(e);
    if (end == RuleStepEnd::kRefuse) Refuse(e);
  }

  if (input.ruleNumber == kRuleNotReleased || e.notAllowed) e.resultCode = ResultCode::kNotAllowed;
  return e.resultCode;
}

}  // namespace talvenor
