// Reading the CSV form of the central bank's bank-code file.
//
// The same entries as the text form, one a line, as ";"-separated fields
// in Latin-1 under a header line that names the columns. The layout is
// taken leniently: columns in any order, named in German with or without
// quotes, umlauts and hyphens, in any case, or by the XML form's element
// names; fields in double quotes (two quotes inside give one); CR LF or LF
// line ends; empty lines at the end. The content is checked as every
// form's is (bank_entries.h), and a message names the line and bank code.
#ifndef TALVENOR_EDITIONS_CSV_FORM_H_
#define TALVENOR_EDITIONS_CSV_FORM_H_

#include <string>
#include <string_view>

#include "editions/bank_code_file.h"

namespace talvenor::editions {

// Whether `line` (without its end) is the header line of the CSV form: it
// holds ";" and names a bank-code column.
bool IsCsvHeaderLine(std::string_view line);

// Whether the header line `line` names an IBAN rule column.
bool CsvHeaderNamesRules(std::string_view line);

// Reads the whole file. True with `file` filled (form kCsv, rule numbers
// when any line names an IBAN rule); false with a German `error` (and
// `file` untouched) when a column the directory needs is missing (all are
// named) or named twice, a line is empty before the end, has a quoted
// field without its closing quote or another number of fields than the
// header, there are no entries, or an entry is faulty.
bool ReadCsvBankCodeFile(std::string_view bytes, BankCodeFile& file, std::string& error);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_CSV_FORM_H_
