// Feeds arbitrary bytes as a bank-code file of any form (text, XML, CSV,
// ZIP package) to the reader that recognises the form, and checks what a
// read file promises the directory and what a refusal promises a person.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editions/file_form.h"
#include "platform/utf8.h"

namespace {

using talvenor::editions::BankCodeFile;

void CheckReadFile(const BankCodeFile& file) {
  for (std::size_t i = 0; i < file.records.size(); ++i) {
    const auto& record = file.records[i];
    if (i > 0 && file.records[i - 1].bankCode() >= record.bankCode()) std::abort();
    if (record.bankCode() < 10000000u || record.bankCode() > 89999999u) std::abort();
    if (record.bics().empty() || record.checkMethod().size() != 2) std::abort();
    if (!talvenor::platform::IsValidUtf8(record.name())) std::abort();
    if (!file.hasRuleNumbers() && record.ibanRule() != 0) std::abort();
    if (record.ibanRule() < 0 || record.ibanRule() > 999999) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  BankCodeFile file;
  file.lineWidth = -7;
  std::string error;
  if (talvenor::editions::ReadAnyBankCodeFile(bytes, file, error)) {
    CheckReadFile(file);
  } else if (error.empty() || !talvenor::platform::IsValidUtf8(error) || file.lineWidth != -7) {
    // A refusal says why in text a person can read, and leaves the result
    // as it was.
    std::abort();
  }
  talvenor::editions::HeadNamesRuleNumbers(bytes);
  return 0;
}
