// A bank-data edition: one bank-code file and the day it takes effect.
//
// The program knows the edition built into it and the editions a user or
// an administrator installed; a file may also be given for a single run.
// Reading an edition checks its file completely (a faulty file is never
// used in part) and builds the bank directory from it. A public file
// carries no IBAN rule numbers: its banks take theirs from an extended
// edition, and a bank code that edition does not know gets the standard
// rule, which the edition lists so the program can say it assumed it.
#ifndef TALVENOR_EDITIONS_BANK_DATA_EDITION_H_
#define TALVENOR_EDITIONS_BANK_DATA_EDITION_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bank_directory.h"
#include "editions/bank_code_file.h"
#include "editions/edition_dates.h"
#include "platform/whole_file.h"

namespace talvenor::editions {

enum class EditionOrigin {
  kBuiltIn,    // compiled into the program
  kInstalled,  // in the user's edition folder
  kSystem,     // in a system-wide, read-only edition folder
  kGiven,      // named on the command line for one run
};

// "eingebaut", "installiert", "systemweit", "für diesen Aufruf angegeben".
std::string_view OriginText(EditionOrigin origin);
// "builtin", "installed", "system", "file" (for machine-readable output).
std::string_view OriginKey(EditionOrigin origin);

// An edition the program knows of, before it is read.
struct EditionSource {
  EditionOrigin origin = EditionOrigin::kBuiltIn;
  std::filesystem::path path;  // empty for the built-in edition
  Date validFrom{};
};

// "Ausgabe vom 08.06.2026 (installiert, /home/.../blz_2026_06_08.txt)".
std::string DescribeEdition(const EditionSource& source);

// An edition that has been read and checked.
struct BankDataEdition {
  EditionSource source;
  Date validUntil{};  // the last day it is valid
  FileForm form = FileForm::kText;
  int lineWidth = 0;            // text form: kPublicLineWidth or kExtendedLineWidth
  bool ownRuleNumbers = false;  // the file names every bank's rule
  // For a public file: the start of the edition its rule numbers come from.
  std::optional<Date> rulesFrom;
  BankDirectory directory;
  // Banks whose rule is assumed to be the standard one: no edition names
  // theirs, or the one named is unknown to the program.
  std::vector<std::uint32_t> assumedRuleBankCodes;  // ascending
  // Of them, the banks whose edition names a rule the program does not
  // know, with that rule number.
  std::vector<RuleNumber> unknownRules;                 // ascending
  std::vector<std::uint32_t> unhandledMethodBankCodes;  // ascending

  bool hasOwnRuleNumbers() const { return ownRuleNumbers; }
  // Whether `day` lies after the last valid day.
  bool ExpiredOn(Date day) const;
  // Whether `day` lies before the first valid day.
  bool NotStartedOn(Date day) const;
};

// The largest bank-code file the program reads; published ones are below
// 3 MB.
inline constexpr std::size_t kMaxBankCodeFileSize = 64u << 20;

// Reads and checks the file of `source` (the compiled-in text for the
// built-in edition) in the form its content shows (file_form.h). False
// with a German `error` naming the file when it cannot be read or is
// malformed. A file that states no validity of its own takes the one its
// download page stated, when the record of where it came from
// (edition_provenance.h) still describes it.
bool ReadEditionFile(const EditionSource& source, BankCodeFile& file, std::string& error);

// Why `file` could not be read (`read` is the failed reading), as a German
// sentence naming it.
std::string BankCodeFileReadFailure(const std::filesystem::path& file,
                                    const platform::WholeFile& read);

// The width of the first line of `source`'s file, or 0 when it cannot be
// read; a cheap look that reads no more than the first line.
int PeekLineWidth(const EditionSource& source);

// Whether the file of `source` names IBAN rule numbers, as far as a cheap
// look at its start shows (file_form.h: PeekRuleNumbers); always for the
// built-in edition.
bool PeekRuleNumbers(const EditionSource& source);

// Builds an edition from its checked file. A public file's banks take the
// rule numbers of `rules` (ascending; those of an extended edition which
// started on `rulesFrom`); banks missing there get the standard rule,
// assumed, and so do banks whose rule number the program does not know.
// `validUntil` is left for the caller to set.
BankDataEdition MakeEdition(const EditionSource& source, BankCodeFile file,
                            const std::vector<RuleNumber>* rules, std::optional<Date> rulesFrom);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_BANK_DATA_EDITION_H_
