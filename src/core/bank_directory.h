// The bank directory: one record per German bank code, searched by the
// exact eight-digit bank code text.
//
// The directory is read-only once built. Besides the lookup it resolves bank
// codes that are to be deleted: it composes the notice for the person and,
// where a successor bank code is known, substitutes the successor's record
// (one step only; the successor's own mark is not followed).
#ifndef TALVENOR_CORE_BANK_DIRECTORY_H_
#define TALVENOR_CORE_BANK_DIRECTORY_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/blz_info.h"

namespace talvenor {

class BankDirectory {
 public:
  BankDirectory() = default;
  // REQUIRES: records ascending by bank code, bank codes unique.
  explicit BankDirectory(std::vector<BlzInfoIBAN> records);

  // The record stored under exactly this text, or nullptr. Only eight-digit
  // texts can match: "010000000" and " 10000000" are not found.
  const BlzInfoIBAN* Lookup(std::string_view bankCodeText) const;

  // Checks whether `record` is to be deleted. Returns the notice for the
  // person, or an empty text when there is none. When the notice names a
  // successor that is in the directory, `record` is replaced by it.
  // `accountPrefix` and `ruleNumber` (the rule of the record as found for the
  // entered bank code) suppress the notice under rules 0031 to 0035.
  std::string ResolveDeletion(const BlzInfoIBAN*& record, long accountPrefix,
                              int ruleNumber) const;

  std::span<const BlzInfoIBAN> records() const { return records_; }
  std::size_t size() const { return records_.size(); }

 private:
  std::vector<BlzInfoIBAN> records_;
};

// The class of rules 0031 to 0035: (rule / 100) mod 10 for rule numbers
// 3100 to 3599, otherwise 0.
int Rule31To35Class(int ruleNumber);

}  // namespace talvenor

#endif  // TALVENOR_CORE_BANK_DIRECTORY_H_
