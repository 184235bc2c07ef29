#include "core/account_conversion.h"

#include "core/account_text.h"

namespace talvenor {

void ConvertAccount(const BankDirectory& directory, const AccountRequest& request,
                    AccountResult& result) {
  result.record =
      request.record != nullptr ? request.record : directory.Lookup(request.bankCode.number());
  result.inForce = result.record;
  result.deletionNotice.clear();
  result.ruleOverridden = false;
  result.resultCode = ResultCode::kConverted;
  RuleTexts& texts = result.texts;
  texts.bic.clear();
  texts.iban.clear();
  texts.verdict.clear();
  texts.accountUnchecked = false;
  if (result.record == nullptr) return;

  // The rule number is the entered bank's, also when its successor is used.
  const BankFacts& facts = directory.facts(*result.record);
  const int ruleNumber = facts.ibanRule;
  result.ruleOrigin = facts.origin;
  if (facts.toBeDeleted) {
    result.deletionNotice =
        directory.ResolveDeletion(result.inForce, AccountPrefix(request.account), ruleNumber);
  }
  const BankCode inForce = result.inForce == result.record
                               ? request.bankCode
                               : BankCode::FromNumber(result.inForce->bankCode());
  result.ruleNumber = ruleNumber;
  if (request.ruleOverride != nullptr) {
    const int override = request.ruleOverride->RuleFor(inForce.text());
    if (override >= 0) {
      result.ruleNumber = override;
      result.ruleOverridden = true;
    }
  }

  texts.bankCode.assign(inForce.text());
  texts.account.assign(request.account);
  const bool successor = request.reportSuccessor && result.inForce != result.record;
  const RuleInput input{result.ruleNumber, result.inForce, request.bankCode, successor};
  result.resultCode = ApplyIbanRule(directory, input, texts);
}

AccountResult ConvertAccount(const BankDirectory& directory, const AccountRequest& request) {
  AccountResult result;
  ConvertAccount(directory, request, result);
  return result;
}

}  // namespace talvenor
