// The one conversion step of an account: from a bank code and an account
// number to the bank, BIC, IBAN, verdict and result code.
//
// ConvertAccount finds the bank, resolves a bank code that is to be deleted
// (taking its successor where one is named), takes the bank's IBAN rule
// number (or an override) and runs the rule engine. The single conversion,
// the batch run and the IBAN check all go through it; what each makes of
// the result (messages, batch result codes, emphasis) stays with them.
#ifndef TALVENOR_CORE_ACCOUNT_CONVERSION_H_
#define TALVENOR_CORE_ACCOUNT_CONVERSION_H_

#include <string>
#include <string_view>

#include "core/bank_code.h"
#include "core/bank_directory.h"
#include "core/result_code.h"
#include "core/rule_engine.h"

namespace talvenor {

// Rule numbers set by hand for single bank codes, replacing the ones the
// directory gives (for trying a rule out on one bank).
class RuleOverride {
 public:
  virtual ~RuleOverride() = default;
  // The rule number for the bank code in use (the successor's, when a bank
  // code to be deleted is replaced), or -1 when there is none.
  virtual int RuleFor(std::string_view bankCodeInUse) const = 0;
};

struct AccountRequest {
  BankCode bankCode;                           // as entered
  std::string_view account;                    // as entered; the engine trims blanks
  const RuleOverride* ruleOverride = nullptr;  // none when null
  // Whether a successor the directory takes for a bank code to be deleted
  // gives result code 13 (the batch run) or counts as a replaced bank code,
  // 15 (the single conversion).
  bool reportSuccessor = false;
  // The record of `bankCode` when the caller has already looked it up
  // (it must be the directory's); null: ConvertAccount looks it up.
  const BlzInfoIBAN* record = nullptr;
};

struct AccountResult {
  // The record of the entered bank code; nullptr when the directory has
  // none, and then nothing else below is set.
  const BlzInfoIBAN* record = nullptr;
  // The record the IBAN was formed with: the successor of a bank code to be
  // deleted, or `record`.
  const BlzInfoIBAN* inForce = nullptr;
  std::string deletionNotice;  // empty unless the bank code is to be deleted
  int ruleNumber = 0;          // the rule number the engine ran
  bool ruleOverridden = false;
  RuleOrigin ruleOrigin = RuleOrigin::kEdition;  // of the entered bank's rule number
  ResultCode resultCode = ResultCode::kConverted;
  // The bank code and account as the rules left them, BIC, IBAN (empty when
  // none is formed), verdict and whether the account could be checked.
  RuleTexts texts;
};

// Converts into `result`, reusing its buffers: a caller converting many
// accounts keeps one result and allocates nothing once its texts have
// grown.
void ConvertAccount(const BankDirectory& directory, const AccountRequest& request,
                    AccountResult& result);

// The same into a fresh result.
AccountResult ConvertAccount(const BankDirectory& directory, const AccountRequest& request);

}  // namespace talvenor

#endif  // TALVENOR_CORE_ACCOUNT_CONVERSION_H_
