// What changed from one bank directory to another: bank codes added and
// removed, and, for bank codes in both, a changed short name, BIC (the
// bank's first one), check-digit method, successor mark or IBAN rule.
// Rules count only where the newer directory knows them (not assumed).
#ifndef TALVENOR_EDITIONS_EDITION_CHANGES_H_
#define TALVENOR_EDITIONS_EDITION_CHANGES_H_

#include <vector>

#include "core/bank_directory.h"

namespace talvenor::editions {

struct BankChange {
  const BlzInfoIBAN* before;
  const BlzInfoIBAN* after;
};

struct EditionChanges {
  std::vector<const BlzInfoIBAN*> added;    // records of the newer directory
  std::vector<const BlzInfoIBAN*> removed;  // records of the older directory
  std::vector<BankChange> name;
  std::vector<BankChange> bic;
  std::vector<BankChange> method;
  std::vector<BankChange> successor;
  std::vector<BankChange> rule;
};

// Every list is ascending by bank code. Both directories must outlive the
// result.
EditionChanges CompareDirectories(const BankDirectory& before, const BankDirectory& after);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_CHANGES_H_
