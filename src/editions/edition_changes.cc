#include "editions/edition_changes.h"

namespace talvenor::editions {

EditionChanges CompareDirectories(const BankDirectory& before, const BankDirectory& after) {
  EditionChanges changes;
  const auto old = before.records();
  const auto now = after.records();
  std::size_t i = 0;
  std::size_t j = 0;
  // Both are ascending by bank code: one merge pass.
  while (i < old.size() || j < now.size()) {
    if (j == now.size() || (i < old.size() && old[i].bankCode() < now[j].bankCode())) {
      changes.removed.push_back(&old[i++]);
      continue;
    }
    if (i == old.size() || now[j].bankCode() < old[i].bankCode()) {
      changes.added.push_back(&now[j++]);
      continue;
    }
    const BankChange change{&old[i], &now[j]};
    if (old[i].name() != now[j].name()) changes.name.push_back(change);
    if (old[i].firstBic() != now[j].firstBic()) changes.bic.push_back(change);
    if (old[i].checkMethod() != now[j].checkMethod()) changes.method.push_back(change);
    if (old[i].successorMark() != now[j].successorMark()) changes.successor.push_back(change);
    if (after.ruleOrigin(now[j]) != RuleOrigin::kAssumed &&
        old[i].ibanRule() != now[j].ibanRule()) {
      changes.rule.push_back(change);
    }
    ++i;
    ++j;
  }
  return changes;
}

}  // namespace talvenor::editions
