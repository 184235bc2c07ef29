#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {

std::span<const MethodEntry> ChainedMethods() { return {}; }

}  // namespace talvenor::checkdigit
