#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {

std::span<const MethodEntry> VariantChainMethods() { return {}; }

}  // namespace talvenor::checkdigit
