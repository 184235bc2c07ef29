#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {

std::span<const MethodEntry> SingleRuleMethods() { return {}; }

}  // namespace talvenor::checkdigit
