// Reading the central bank's bank-code file into directory records.
//
// The file has one fixed-width line of 174 Latin-1 characters per bank code
// and branch: the bank's main line (feature "1") and its branch lines
// (feature "2"). Each bank code whose main line is not marked as deleted
// ("D") becomes one record: name, method and IBAN rule from the main line,
// the BICs of all its lines in file order, and a successor mark when the
// deletion mark is set. Names are converted to UTF-8.
#ifndef TALVENOR_CORE_BANK_CODE_FILE_H_
#define TALVENOR_CORE_BANK_CODE_FILE_H_

#include <string>
#include <string_view>
#include <vector>

#include "core/blz_info.h"

namespace talvenor {

struct BankCodeFileContent {
  std::vector<BlzInfoIBAN> records;  // ascending by bank code
  int skippedLines = 0;              // lines that are not well-formed records
};

// Parses the whole file text. Lines end in CR LF or LF; a line shorter than
// 174 characters or with a bank code that is not eight digits is skipped
// and counted.
BankCodeFileContent ReadBankCodeFile(std::string_view text);

// Latin-1 text as UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

}  // namespace talvenor

#endif  // TALVENOR_CORE_BANK_CODE_FILE_H_
