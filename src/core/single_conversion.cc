#include "core/single_conversion.h"

#include "core/account_conversion.h"
#include "platform/private_profile.h"

namespace talvenor {
namespace {

// The rule numbers of DEBUG.INI's section "USEREGEL", read when asked.
class DebugIniOverride : public RuleOverride {
 public:
  explicit DebugIniOverride(const std::filesystem::path& debugIni) : debugIni_(debugIni) {}
  int RuleFor(std::string_view bankCodeInUse) const override {
    return ReadRuleOverride(debugIni_, bankCodeInUse);
  }

 private:
  const std::filesystem::path& debugIni_;
};

// A person's entry is a bank code only with eight digits, not starting
// with 0 or 9.
std::optional<BankCode> CandidateBankCode(std::string_view text) {
  if (text.empty() || text.front() == '0' || text.front() == '9') return std::nullopt;
  return BankCode::Parse(text);
}

}  // namespace

int ReadRuleOverride(const std::filesystem::path& debugIni, std::string_view bankCode) {
  if (debugIni.empty()) return -1;
  return platform::PrivateProfile::Load(debugIni).GetInt("USEREGEL", bankCode, -1);
}

SingleConversionOutcome ConvertSingle(const BankDirectory& directory, std::string_view bankCodeText,
                                      std::string_view accountText,
                                      const std::filesystem::path& debugIni) {
  SingleConversionOutcome outcome;
  const std::optional<BankCode> bankCode = CandidateBankCode(bankCodeText);
  if (!bankCode) return outcome;
  if (accountText.empty()) {
    if (directory.Lookup(bankCode->number()) != nullptr) {
      outcome.status = SingleConversionStatus::MissingAccount;
    }
    return outcome;
  }

  const DebugIniOverride override(debugIni);
  AccountRequest request{*bankCode, accountText};
  if (!debugIni.empty()) request.ruleOverride = &override;
  AccountResult result = ConvertAccount(directory, request);
  if (result.record == nullptr) return outcome;

  outcome.bankName = result.record->name();
  outcome.deletionNotice = std::move(result.deletionNotice);
  outcome.ruleOrigin = result.ruleOrigin;
  outcome.checkMethod = result.inForce->checkMethod();
  outcome.ruleNumber = result.ruleNumber;
  outcome.ruleOverridden = result.ruleOverridden;
  outcome.resultCode = result.resultCode;
  outcome.bic = std::move(result.texts.bic);
  outcome.iban = std::move(result.texts.iban);
  outcome.verdict = std::move(result.texts.verdict);
  outcome.accountText = std::move(result.texts.account);
  outcome.accountUnchecked = result.texts.accountUnchecked;
  outcome.emphasise = IsRefusal(result.resultCode);
  outcome.notReleased = outcome.ruleNumber == kRuleNotReleased ||
                        (result.resultCode == ResultCode::kNotAllowed &&
                         outcome.ruleNumber >= 5200 && outcome.ruleNumber <= 5299);
  outcome.status = SingleConversionStatus::Converted;
  return outcome;
}

}  // namespace talvenor
