#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {

std::span<const MethodEntry> ConditionalMethods() { return {}; }

}  // namespace talvenor::checkdigit
