#include "checkdigit/method_catalogue.h"

namespace talvenor::checkdigit {

std::span<const MethodEntry> BankCodeMethods() { return {}; }

}  // namespace talvenor::checkdigit
