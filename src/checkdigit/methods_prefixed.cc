#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {

std::span<const MethodEntry> PrefixedMethods() { return {}; }

}  // namespace talvenor::checkdigit
