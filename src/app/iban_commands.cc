#include "app/iban_commands.h"

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "app/account_commands.h"
#include "batch/iban_file_check.h"
#include "core/iban_check.h"
#include "editions/edition_report.h"
#include "platform/display_text.h"

namespace talvenor::app {

using editions::BankDataEdition;
using editions::GermanDate;
using editions::kAssumedRuleNote;
using editions::RuleNumberText;
namespace {

// Whether the check reached the bank: its name, BIC, the account check and
// the rule are known then.
bool BankFound(const IbanCheck& check) {
  switch (check.code) {
    case IbanCheckCode::kPlausible:
    case IbanCheckCode::kAccountInvalid:
    case IbanCheckCode::kRuleFormsOther:
    case IbanCheckCode::kRuleRefuses:
      return true;
    default:
      return false;
  }
}

// Texts from the bank data carry Windows line ends; a terminal wants plain
// ones, and no other control characters.
std::string ForTerminal(std::string_view text) {
  std::string plain;
  for (char c : text) {
    if (c != '\r') plain += c;
  }
  std::string shown;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = plain.find('\n', begin);
    shown += platform::EscapeControlCharacters(
        std::string_view(plain).substr(begin, end == std::string::npos ? end : end - begin));
    if (end == std::string::npos) return shown;
    shown += '\n';
    begin = end + 1;
  }
}

std::string AccountCheckText(const IbanCheck& check) {
  if (!check.accountValid) {
    std::string text = "nicht geprüft (Methode ";
    text += check.checkMethod;
    text += " wird nicht unterstützt)";
    return text;
  }
  std::string text = *check.accountValid ? "bestanden" : "nicht bestanden";
  text += " (Methode ";
  text += check.checkMethod;
  text += ')';
  return text;
}

void PrintForPerson(const IbanCheck& check, const BankDataEdition& edition, std::ostream& out) {
  if (!check.deletionNotice.empty()) out << ForTerminal(check.deletionNotice) << "\n\n";
  if (check.code != IbanCheckCode::kNoIban) {
    out << "IBAN:          " << check.paperIban << "\n"
        << "Land:          " << check.country
        << (check.country == "DE" ? "" : " (keine deutsche IBAN)") << "\n";
    if (check.code != IbanCheckCode::kWrongShape) {
      out << "Prüfziffern:   " << (check.checksumValid ? "richtig" : "falsch") << "\n";
    }
  }
  if (!check.bankCode.empty()) {
    out << "Bankleitzahl:  " << check.bankCode << "\n"
        << "Kontonummer:   " << check.account << "\n";
  }
  if (BankFound(check)) {
    out << "Bank:          " << ForTerminal(check.bankName) << "\n"
        << "BIC:           " << check.bic << "\n";
    if (!check.successorBankCode.empty()) {
      out << "Nachfolge-BLZ: " << check.successorBankCode << "\n";
    }
    out << "Kontoprüfung:  " << AccountCheckText(check) << "\n"
        << "IBAN-Regel:    " << RuleNumberText(check.ruleNumber)
        << (check.ruleOrigin == RuleOrigin::kAssumed ? " (angenommen)" : "") << "\n"
        << "Regel-IBAN:    "
        << (check.ruleIban.empty() ? "keine (" + ForTerminal(check.ruleVerdict) + ")"
                                   : PaperIban(check.ruleIban))
        << "\n";
  }
  const bool bold = !check.plausible() && isatty(STDOUT_FILENO);
  out << "Ergebnis:      " << (bold ? "\033[1m" : "") << ForTerminal(check.verdict)
      << (bold ? "\033[0m" : "") << "\n"
      << "Ergebniscode:  " << IbanCheckNumber(check.code) << "\n"
      << "Datenstand:    Ausgabe vom " << GermanDate(edition.source.validFrom) << ", gültig bis "
      << GermanDate(edition.validUntil) << "\n";
  if (BankFound(check) && check.ruleOrigin == RuleOrigin::kAssumed) {
    out << "\n" << kAssumedRuleNote << "\n";
  }
}

nlohmann::json Json(const IbanCheck& check, const BankDataEdition& edition, bool expired) {
  const bool bank = BankFound(check);
  const auto orNull = [bank](const nlohmann::json& value) {
    return bank ? value : nlohmann::json(nullptr);
  };
  return {
      {"iban", check.iban},
      {"paperIban", check.paperIban},
      {"country", check.country},
      {"checksumValid", check.checksumValid},
      {"bankCode", check.bankCode},
      {"account", check.account},
      {"bankName", check.bankName},
      {"bic", check.bic},
      {"checkMethod", check.checkMethod},
      {"accountValid",
       check.accountValid ? nlohmann::json(*check.accountValid) : nlohmann::json(nullptr)},
      {"ruleNumber", orNull(check.ruleNumber)},
      {"ruleAssumed", orNull(check.ruleOrigin == RuleOrigin::kAssumed)},
      {"ruleIban", check.ruleIban},
      {"ruleResultCode", orNull(ResultNumber(check.ruleResult))},
      {"ruleVerdict", check.ruleVerdict},
      {"deletionNotice", check.deletionNotice},
      {"successorBankCode", check.successorBankCode},
      {"plausible", check.plausible()},
      {"verdict", check.verdict},
      {"resultCode", IbanCheckNumber(check.code)},
      {"edition", EditionJson(edition, expired)},
  };
}

}  // namespace

int RunCheckIbanCommand(const Command& command, const BankDataEdition& edition, bool expired,
                        std::ostream& out) {
  const IbanCheck check = CheckIban(edition.directory, command.operands.at(0));
  if (command.json) {
    // Bytes that are no UTF-8 cannot stand in JSON; they never should, but
    // must not end the program.
    out << Json(check, edition, expired)
               .dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
        << "\n";
  } else {
    PrintForPerson(check, edition, out);
  }
  if (check.plausible()) return 0;
  return check.code == IbanCheckCode::kNoIban ? 2 : 1;
}

int RunCheckIbanFileCommand(const Command& command, const BankDirectory& directory, int threads,
                            std::ostream& err) {
  batch::IbanFileOptions options;
  options.directory = &directory;
  options.column = command.column;
  options.threads = threads;
  std::string message;
  if (batch::CheckIbanFile(command.operands.at(0), command.operands.at(1), options, message)) {
    return 0;
  }
  err << "talvenor: " << message << "\n";
  return 1;
}

}  // namespace talvenor::app
