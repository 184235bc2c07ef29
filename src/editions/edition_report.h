// German texts that describe a bank-data edition to a person: its
// validity, width and size, what changed against another edition, and the
// banks the program cannot serve fully (rule number unknown, so the
// standard rule is assumed; check-digit method not handled).
#ifndef TALVENOR_EDITIONS_EDITION_REPORT_H_
#define TALVENOR_EDITIONS_EDITION_REPORT_H_

#include <string>
#include <string_view>

#include "editions/bank_data_edition.h"
#include "editions/edition_changes.h"

namespace talvenor::editions {

// "Gültig ab: ...", "Gültig bis: ...", the line width with its meaning,
// the number of bank codes; one indented line each.
std::string EditionSummary(const BankDataEdition& edition);

// The changes from `before` to `after`, one section per kind of change,
// each bank on a line of its own; "keine Änderungen" when there are none.
std::string ChangesReport(const BankDataEdition& before, const BankDataEdition& after);

// The banks whose rule number is assumed and those whose check-digit
// method the program does not handle, with what that means for their
// accounts; empty when there are none.
std::string AttentionReport(const BankDataEdition& edition);

// A rule number as it is published: rule and version, "0007 00".
std::string RuleNumberText(int ruleNumber);

// The form of a file as a person reads it: "Text", "XML", "CSV".
std::string_view FormText(FileForm form);

// The banks whose edition names an IBAN rule the program does not know,
// each with that rule; empty when there are none.
std::string UnknownRulesReport(const BankDataEdition& edition);

// The verdict an account of a bank with an unhandled method gets.
inline constexpr std::string_view kUnhandledMethodNote =
    "Die Prüfzifferberechnungsmethode dieser Bank wird von Talvenor noch nicht unterstützt; "
    "die Kontonummer wurde nicht geprüft.";
// Said of a bank whose rule number no edition names.
inline constexpr std::string_view kAssumedRuleNote =
    "Für diese Bankleitzahl ist keine IBAN-Regel bekannt; die Standardregel wurde angenommen.";

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_REPORT_H_
