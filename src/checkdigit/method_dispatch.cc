// Builds the dispatch table from the catalogue groups and looks rules up.
#include <array>
#include <string>

#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {
namespace {

using MethodTable = std::array<MethodRule, kHandledMethodCount>;

MethodTable BuildTable() {
  MethodTable table{};
  for (auto group :
       {SingleRuleMethods(), ChainedMethods(), ConditionalMethods(), VariantChainMethods(),
        BankCodeMethods(), RewritingMethods(), PrefixedMethods()}) {
    for (const MethodEntry& entry : group) {
      const int index = MethodTableIndex(entry.code);
      if (index >= 0) table[static_cast<std::size_t>(index)] = entry.rule;
    }
  }
  return table;
}

// Built before main: the groups are constant arrays, so nothing the table
// is built from waits for another file's initialisation, and a lookup needs
// no first-use test.
const MethodTable kTable = BuildTable();

}  // namespace

std::string MethodCodeText(int index) {
  if (index < 100)
    return {static_cast<char>('0' + index / 10), static_cast<char>('0' + index % 10)};
  const int letterIndex = (index - 100) / 10;
  return {static_cast<char>('A' + letterIndex), static_cast<char>('0' + (index - 100) % 10)};
}

MethodRule FindMethod(int code) {
  const int index = MethodTableIndex(code);
  return index < 0 ? nullptr : kTable[static_cast<std::size_t>(index)];
}

bool RunMethod(int code, MethodAccount& account) {
  const MethodRule rule = FindMethod(code);
  return rule != nullptr && rule(account);
}

}  // namespace talvenor::checkdigit
