#include "core/builtin_directory.h"

#include "core/bank_code_file.h"

extern "C" const char talvenor_builtin_edition_begin[];
extern "C" const char talvenor_builtin_edition_end[];

namespace talvenor {

std::string_view BuiltinEditionText() {
  return std::string_view(talvenor_builtin_edition_begin,
                          static_cast<std::size_t>(talvenor_builtin_edition_end -
                                                   talvenor_builtin_edition_begin));
}

const BankDirectory& BuiltinDirectory() {
  static const BankDirectory directory(ReadBankCodeFile(BuiltinEditionText()).records);
  return directory;
}

}  // namespace talvenor
