#include "editions/builtin_directory.h"

#include <cstdio>
#include <cstdlib>

#include "editions/bank_code_file.h"

extern "C" const char talvenor_builtin_edition_begin[];
extern "C" const char talvenor_builtin_edition_end[];

namespace talvenor::editions {

std::string_view BuiltinEditionText() {
  return std::string_view(
      talvenor_builtin_edition_begin,
      static_cast<std::size_t>(talvenor_builtin_edition_end - talvenor_builtin_edition_begin));
}

const BankDirectory& BuiltinDirectory() {
  static const BankDirectory directory = [] {
    BankCodeFile file;
    std::string error;
    if (!ReadBankCodeFile(BuiltinEditionText(), file, error)) {
      // The file is part of the program; the tests keep it well-formed.
      std::fprintf(stderr, "talvenor: built-in bank data damaged: %s\n", error.c_str());
      std::abort();
    }
    return BankDirectory(std::move(file.records));
  }();
  return directory;
}

}  // namespace talvenor::editions
