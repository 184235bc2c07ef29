#include "core/single_conversion.h"

#include "core/account_text.h"
#include "core/rule_engine.h"
#include "platform/private_profile.h"

namespace talvenor {
namespace {

bool IsCandidateBankCode(std::string_view text) {
  return text.size() == 8 && text.front() != '0' && text.front() != '9';
}

}  // namespace

int ReadRuleOverride(const std::filesystem::path& debugIni, std::string_view bankCode) {
  if (debugIni.empty()) return -1;
  return platform::PrivateProfile::Load(debugIni).GetInt("USEREGEL", bankCode, -1);
}

SingleConversionOutcome ConvertSingle(const BankDirectory& directory,
                                      std::string_view bankCodeText,
                                      std::string_view accountText,
                                      const std::filesystem::path& debugIni) {
  SingleConversionOutcome outcome;
  const BlzInfoIBAN* record = IsCandidateBankCode(bankCodeText) ? directory.Lookup(bankCodeText)
                                                                : nullptr;
  const BlzInfoIBAN* found = record;
  if (record == nullptr) {
    outcome.status = SingleConversionStatus::InvalidBankCode;
    return outcome;
  }
  if (accountText.empty()) {
    outcome.status = SingleConversionStatus::MissingAccount;
    return outcome;
  }
  outcome.bankName = record->name();

  int ruleNumber = record->ibanRule();
  outcome.deletionNotice =
      directory.ResolveDeletion(record, AccountPrefix(accountText), ruleNumber);

  RuleTexts texts;
  texts.bankCode = record->bankCodeText();
  texts.account = std::string(accountText);
  outcome.ruleOrigin = directory.ruleOrigin(*found);
  outcome.checkMethod = record->checkMethod();
  const int override = ReadRuleOverride(debugIni, texts.bankCode);
  if (override >= 0) {
    ruleNumber = override;
    outcome.ruleOverridden = true;
  }
  outcome.ruleNumber = ruleNumber;

  const RuleInput input{ruleNumber, record, bankCodeText, false};
  outcome.resultCode = ApplyIbanRule(directory, input, texts);
  outcome.bic = std::move(texts.bic);
  outcome.iban = std::move(texts.iban);
  outcome.verdict = std::move(texts.verdict);
  outcome.accountText = std::move(texts.account);
  outcome.accountUnchecked = texts.accountUnchecked;
  outcome.emphasise =
      outcome.resultCode == 11 || outcome.resultCode == 12 || outcome.resultCode == 50;
  outcome.notReleased = ruleNumber == kRuleNotReleased ||
                        (outcome.resultCode == 50 && ruleNumber >= 5200 && ruleNumber <= 5299);
  outcome.status = SingleConversionStatus::Converted;
  return outcome;
}

}  // namespace talvenor
