// The bank directory: one record per German bank code, searched by the
// bank code as a number (or its exact eight-digit text).
//
// The directory is read-only once built. Besides the lookup it resolves bank
// codes that are to be deleted: it composes the notice for the person and,
// where a successor bank code is known, substitutes the successor's record
// (one step only; the successor's own mark is not followed).
#ifndef TALVENOR_CORE_BANK_DIRECTORY_H_
#define TALVENOR_CORE_BANK_DIRECTORY_H_

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/blz_info.h"

namespace talvenor {

// Where a record's IBAN rule number comes from. An extended bank-code file
// names every bank's rule; a public file names none, so its banks take the
// rule of an extended edition, and a bank code that edition does not know
// gets the standard rule, which the program then says it assumed.
enum class RuleOrigin : std::uint8_t {
  kEdition,    // the directory's own edition names it
  kInherited,  // taken from an earlier edition with rule numbers
  kAssumed,    // unknown: the standard rule (0) is assumed
};

// What a conversion reads of a record, held compactly beside the records
// so that converting accounts of many different banks touches a small
// array instead of every record's texts.
struct BankFacts {
  std::int32_t ibanRule = 0;       // the record's IBAN rule number
  std::int32_t methodNumber = -1;  // CheckMethodCode of its method
  RuleOrigin origin = RuleOrigin::kEdition;
  bool toBeDeleted = false;       // the successor mark is set
  bool noSuccessorNamed = false;  // ... and names no successor ("0...")
  // The first BIC, when it has at most 11 characters (as every BIC of a
  // bank-code file has); otherwise the record's own text must be read.
  bool bicInline = false;
  std::uint8_t bicLength = 0;
  std::array<char, 11> bic{};
  std::string_view firstBic() const { return {bic.data(), bicLength}; }
};

class BankDirectory {
 public:
  BankDirectory() = default;
  // REQUIRES: records ascending by bank code, bank codes unique; `origins`
  // empty (every rule is the edition's own) or one entry per record.
  explicit BankDirectory(std::vector<BlzInfoIBAN> records, std::vector<RuleOrigin> origins = {});

  // The record stored under exactly this text, or nullptr. Only eight-digit
  // texts can match: "010000000" and " 10000000" are not found.
  const BlzInfoIBAN* Lookup(std::string_view bankCodeText) const;
  // The record of the bank code `bankCode`, or nullptr.
  const BlzInfoIBAN* Lookup(std::uint32_t bankCode) const;

  // Checks whether `record` is to be deleted. Returns the notice for the
  // person, or an empty text when there is none. When the notice names a
  // successor that is in the directory, `record` is replaced by it.
  // `accountPrefix` and `ruleNumber` (the rule of the record as found for the
  // entered bank code) suppress the notice under rules 0031 to 0035.
  std::string ResolveDeletion(const BlzInfoIBAN*& record, long accountPrefix, int ruleNumber) const;

  // Where the rule number of `record` comes from.
  // REQUIRES: `record` is one of this directory's records.
  RuleOrigin ruleOrigin(const BlzInfoIBAN& record) const;

  // The facts of `record` a conversion reads.
  // REQUIRES: `record` is one of this directory's records.
  const BankFacts& facts(const BlzInfoIBAN& record) const;

  std::span<const BlzInfoIBAN> records() const { return records_; }
  std::size_t size() const { return records_.size(); }

 private:
  std::vector<BlzInfoIBAN> records_;
  std::vector<RuleOrigin> origins_;
  // The records' bank codes in the same order: a search touches only this
  // small array, not the records. `firstOfPrefix_[p]` is the index of the
  // first bank code whose first four digits are p or more (10001 entries),
  // so a search only scans the few codes of one prefix.
  std::vector<std::uint32_t> codes_;
  std::vector<std::uint32_t> firstOfPrefix_;
  std::vector<BankFacts> facts_;  // one per record, in the same order
};

// The class of rules 0031 to 0035: (rule / 100) mod 10 for rule numbers
// 3100 to 3599, otherwise 0.
int Rule31To35Class(int ruleNumber);

}  // namespace talvenor

#endif  // TALVENOR_CORE_BANK_DIRECTORY_H_
