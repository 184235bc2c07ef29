#include "core/bank_directory.h"

#include <algorithm>
#include <cassert>

#include "checkdigit/check_method_code.h"
#include "core/bank_code.h"

namespace talvenor {
namespace {

// Bank codes are grouped by their first four digits for the lookup.
constexpr std::uint32_t kPrefixDivisor = 10000;
constexpr std::uint32_t kPrefixes = 10000;

// Whether rules 0031 to 0035 keep a bank code's deletion quiet: the notice
// belongs to accounts that the rule does not move to another bank code.
bool DeletionNoticeSuppressed(int ruleClass, long accountPrefix) {
  if (ruleClass == 0) return false;
  return ruleClass == 1 || accountPrefix >= 100 ||
         (accountPrefix >= 80 && accountPrefix <= 89 && ruleClass != 3);
}

BankFacts FactsOf(const BlzInfoIBAN& record, RuleOrigin origin) {
  BankFacts facts;
  facts.ibanRule = record.ibanRule();
  facts.methodNumber = checkdigit::CheckMethodCode(record.checkMethod());
  facts.origin = origin;
  const std::string& mark = record.successorMark();
  facts.toBeDeleted = !mark.empty();
  facts.noSuccessorNamed = !mark.empty() && mark.front() == '0';
  const std::string& bic = record.firstBic();
  facts.bicInline = bic.size() <= facts.bic.size();
  if (facts.bicInline) {
    facts.bicLength = static_cast<std::uint8_t>(bic.size());
    std::copy_n(bic.begin(), bic.size(), facts.bic.begin());
  }
  return facts;
}

}  // namespace

BankDirectory::BankDirectory(std::vector<BlzInfoIBAN> records, std::vector<RuleOrigin> origins)
    : records_(std::move(records)), origins_(std::move(origins)) {
  assert(origins_.empty() || origins_.size() == records_.size());
  codes_.reserve(records_.size());
  facts_.reserve(records_.size());
  for (std::size_t i = 0; i < records_.size(); ++i) {
    const BlzInfoIBAN& record = records_[i];
    codes_.push_back(record.bankCode());
    facts_.push_back(FactsOf(record, origins_.empty() ? RuleOrigin::kEdition : origins_[i]));
  }
  firstOfPrefix_.resize(kPrefixes + 1);
  std::size_t index = 0;
  for (std::uint32_t prefix = 0; prefix <= kPrefixes; ++prefix) {
    while (index < codes_.size() && codes_[index] / kPrefixDivisor < prefix) ++index;
    firstOfPrefix_[prefix] = static_cast<std::uint32_t>(index);
  }
}

RuleOrigin BankDirectory::ruleOrigin(const BlzInfoIBAN& record) const {
  return facts(record).origin;
}

const BankFacts& BankDirectory::facts(const BlzInfoIBAN& record) const {
  const auto index = static_cast<std::size_t>(&record - records_.data());
  assert(index < facts_.size());
  return facts_[index];
}

const BlzInfoIBAN* BankDirectory::Lookup(std::string_view bankCodeText) const {
  const std::optional<BankCode> bankCode = BankCode::Parse(bankCodeText);
  return bankCode ? Lookup(bankCode->number()) : nullptr;
}

const BlzInfoIBAN* BankDirectory::Lookup(std::uint32_t bankCode) const {
  const std::uint32_t prefix = bankCode / kPrefixDivisor;
  if (prefix >= kPrefixes || records_.empty()) return nullptr;
  // The codes of one prefix are few (a handful on average, some dozens at
  // most), so a plain scan is quicker than a search.
  const std::uint32_t end = firstOfPrefix_[prefix + 1];
  for (std::uint32_t i = firstOfPrefix_[prefix]; i < end; ++i) {
    if (codes_[i] >= bankCode) return codes_[i] == bankCode ? &records_[i] : nullptr;
  }
  return nullptr;
}

std::string BankDirectory::ResolveDeletion(const BlzInfoIBAN*& record, long accountPrefix,
                                           int ruleNumber) const {
  const std::string& mark = record->successorMark();
  if (mark.empty()) return {};
  if (DeletionNoticeSuppressed(Rule31To35Class(ruleNumber), accountPrefix)) return {};

  std::string notice = record->name() + " ist zur Löschung vorgesehen.";
  if (mark.front() == '0') {
    notice += " Ein Nachfolgeinstitut ist nicht angegeben.";
  } else {
    notice += "\r\nDas Nachfolgeinstitut hat die BLZ: " + mark + ".";
    if (const BlzInfoIBAN* successor = Lookup(mark)) {
      notice += " Sie wird zur IBAN/BIC Ermittlung verwendet.";
      record = successor;
    }
  }
  notice +=
      "\r\n\r\nBitte denken Sie daran, dass die Kontoangaben in\r\nzukünftigen Versionen für den "
      "Zahlungsverkehr\r\nnicht mehr gültig sind!";
  return notice;
}

int Rule31To35Class(int ruleNumber) {
  return (ruleNumber >= 3100 && ruleNumber <= 3599) ? (ruleNumber / 100) % 10 : 0;
}

}  // namespace talvenor
