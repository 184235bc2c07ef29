// Reading the central bank's bank-code file into directory records.
//
// The file has one fixed-width Latin-1 line per bank code and branch: the
// bank's main line (feature "1") and its branch lines (feature "2"). It is
// published in two widths: the extended file of 174 characters per line,
// whose last field is the bank's IBAN rule number, and the public file of
// 168 characters, which has no rule field. Every line of a file has the
// same width.
//
// Each bank code whose main line is not marked as deleted ("D") becomes one
// record: name, method and (extended file) IBAN rule from the main line,
// the BICs of all its lines in file order, and a successor mark when the
// deletion mark is set. Names are converted to UTF-8.
//
// Reading is strict: a file with a single malformed line is refused as a
// whole, with a German message that names the line and the field. The
// fields are checked and the records built as for every form of the file
// (bank_entries.h); file_form.h reads a file in whichever form it comes.
#ifndef TALVENOR_EDITIONS_BANK_CODE_FILE_H_
#define TALVENOR_EDITIONS_BANK_CODE_FILE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/blz_info.h"
#include "editions/edition_dates.h"

namespace talvenor::editions {

inline constexpr int kPublicLineWidth = 168;
inline constexpr int kExtendedLineWidth = 174;

// The forms the central bank publishes the same content in.
enum class FileForm : std::uint8_t {
  kText,  // fixed-width lines (this file's reader)
  kXml,   // one XML document whose header states the validity (xml_form.h)
  kCsv,   // ";"-separated values with a header line (csv_form.h)
};

struct BankCodeFile {
  FileForm form = FileForm::kText;
  int lineWidth = 0;  // text form: kPublicLineWidth or kExtendedLineWidth; else 0
  // Whether the file names every bank's IBAN rule (the extended editions).
  bool ruleNumbers = false;
  // The validity the file states itself (the XML header); nothing when it
  // states none.
  std::optional<Date> statedFrom;
  std::optional<Date> statedUntil;
  std::vector<BlzInfoIBAN> records;  // ascending by bank code; rule 0 without rule numbers
  bool hasRuleNumbers() const { return ruleNumbers; }
};

// Parses and checks the whole file text (lines end in CR LF or LF; the
// last line may lack its end). True with `file` filled when every line is
// well-formed; false with `error` set (and `file` untouched) otherwise:
// an empty file, a line of another width than the first, a bank code that
// is not eight digits starting 1 to 8, a feature other than "1"/"2", a
// method code that is not a digit or capital letter followed by a digit, a
// BIC that is neither blank nor eleven letters and digits, a change mark
// other than A/D/M/U, a deletion mark other than 0/1, a successor or rule
// number that is not all digits, control characters, a second main line
// for a bank code, or branch lines without a main line.
bool ReadBankCodeFile(std::string_view text, BankCodeFile& file, std::string& error);

// A bank code's IBAN rule number, as an extended file names it.
struct RuleNumber {
  std::uint32_t bankCode;
  int rule;
};

// The rule numbers of the banks in `file`, ascending by bank code.
// REQUIRES: file.hasRuleNumbers().
std::vector<RuleNumber> RuleNumbersOf(const BankCodeFile& file);

// The rule numbers of the banks of an extended file that is known to be
// well-formed (the one built into the program), ascending, read without
// checking and without building records: a fraction of ReadBankCodeFile's
// work, for starts that need only the rules.
std::vector<RuleNumber> ReadRuleNumbersOfCheckedFile(std::string_view text);

// Latin-1 text as UTF-8.
std::string Latin1ToUtf8(std::string_view latin1);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_BANK_CODE_FILE_H_
