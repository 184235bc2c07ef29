// Recognising the form of a bank-code file by its content.
//
// A file is read as what its bytes show, whatever its name: a ZIP package
// (whose one file is recognised in turn, one level deep), an XML document,
// ";"-separated values under a header line naming the columns, or else
// the fixed-width text. What is plainly not a bank-code file, or one that
// was converted after publication, is refused with a message naming the
// cause instead of a line length: an empty file, gzip-compressed data, a
// PDF document, a web page, binary data, UTF-16, or Latin-1 text turned
// into UTF-8 (with or without a byte order mark).
#ifndef TALVENOR_EDITIONS_FILE_FORM_H_
#define TALVENOR_EDITIONS_FILE_FORM_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "editions/bank_code_file.h"

namespace talvenor::editions {

// The form a file was read in.
struct RecognisedForm {
  FileForm form = FileForm::kText;
  bool packed = false;     // it came out of a ZIP package
  std::string packedName;  // the file's name in the package (UTF-8)
};

// "Textdatei fester Breite", "XML-Datei", "CSV-Datei", or for a packed
// file "ZIP-Paket mit XML-Datei „blz-aktuell-xml-data.xml“".
std::string DescribeForm(const RecognisedForm& form);

// Recognises the form of `bytes` and reads it. True with `file` (and
// `recognised`) filled; false with a German `error` (and `file` untouched)
// when the content is refused or the file of its form is faulty.
bool ReadAnyBankCodeFile(std::string_view bytes, BankCodeFile& file, RecognisedForm& recognised,
                         std::string& error);
bool ReadAnyBankCodeFile(std::string_view bytes, BankCodeFile& file, std::string& error);

// Whether the start of a file (`head`, its first few kilobytes) shows that
// it names IBAN rule numbers: text lines of the extended width, a CSV
// header with an IBAN rule column, an XML document with `IBANRegel` among
// its first entries. A cheap look that reads nothing more; false for
// anything else, ZIP packages included.
bool HeadNamesRuleNumbers(std::string_view head);

// HeadNamesRuleNumbers for the file at `path`, looking into a ZIP package
// (which has to be read and unpacked whole for that). False when the file
// cannot be read.
bool PeekRuleNumbers(const std::filesystem::path& path);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_FILE_FORM_H_
