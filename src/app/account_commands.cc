#include "app/account_commands.h"

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "core/single_conversion.h"
#include "editions/edition_report.h"

namespace talvenor::app {

using editions::BankDataEdition;
using editions::GermanDate;
using editions::IsoDate;
using editions::kAssumedRuleNote;
using editions::kUnhandledMethodNote;
using editions::OriginKey;
using editions::RuleNumberText;
namespace {

const char* StatusName(SingleConversionStatus status) {
  switch (status) {
    case SingleConversionStatus::Converted:
      return "Converted";
    case SingleConversionStatus::InvalidBankCode:
      return "InvalidBankCode";
    case SingleConversionStatus::MissingAccount:
      return "MissingAccount";
  }
  return "";
}

std::string_view FailureMessage(SingleConversionStatus status) {
  switch (status) {
    case SingleConversionStatus::InvalidBankCode:
      return kMessageInvalidBankCode;
    case SingleConversionStatus::MissingAccount:
      return kMessageMissingAccount;
    case SingleConversionStatus::Converted:
      break;
  }
  return {};
}

// Texts of the calculation core end their lines with CR LF; a terminal
// wants a plain line feed.
std::string ForTerminal(std::string_view text) {
  std::string plain;
  for (char c : text) {
    if (c != '\r') plain += c;
  }
  return plain;
}

const char* RuleOriginKey(const SingleConversionOutcome& o) {
  if (o.ruleOverridden) return "DEBUG.INI";
  switch (o.ruleOrigin) {
    case RuleOrigin::kEdition:
      return "edition";
    case RuleOrigin::kInherited:
      return "inherited";
    case RuleOrigin::kAssumed:
      return "assumed";
  }
  return "";
}

// Where the rule number came from, in words.
std::string RuleOriginText(const SingleConversionOutcome& o, const BankDataEdition& edition) {
  if (o.ruleOverridden) return "aus DEBUG.INI";
  switch (o.ruleOrigin) {
    case RuleOrigin::kEdition:
      return "aus der Bankleitzahlendatei";
    case RuleOrigin::kInherited:
      return "aus der Ausgabe vom " +
             (edition.rulesFrom ? GermanDate(*edition.rulesFrom) : std::string("?"));
    case RuleOrigin::kAssumed:
      return "angenommen: keine Regel bekannt";
  }
  return {};
}

void PrintForPerson(const SingleConversionOutcome& o, std::string_view bankCode,
                    const BankDataEdition& edition, std::ostream& out) {
  if (!o.deletionNotice.empty()) out << ForTerminal(o.deletionNotice) << "\n\n";
  const bool bold = o.emphasise && isatty(STDOUT_FILENO);
  out << "Bankleitzahl:  " << bankCode << "\n"
      << "Bank:          " << o.bankName << "\n"
      << "Kontonummer:   " << o.accountText << "\n"
      << "BIC:           " << o.bic << "\n"
      << "IBAN:          " << o.iban << "\n"
      << "Prüfmethode:   " << o.checkMethod << "\n"
      << "Prüfung:       " << (bold ? "\033[1m" : "") << o.verdict << (bold ? "\033[0m" : "")
      << "\n"
      << "Ergebniscode:  " << ResultNumber(o.resultCode) << "\n"
      << "IBAN-Regel:    " << RuleNumberText(o.ruleNumber) << " (" << RuleOriginText(o, edition)
      << ")\n"
      << "Datenstand:    Ausgabe vom " << GermanDate(edition.source.validFrom) << ", gültig bis "
      << GermanDate(edition.validUntil) << "\n";
  if (o.ruleOrigin == RuleOrigin::kAssumed && !o.ruleOverridden) {
    out << "\n" << kAssumedRuleNote << "\n";
  }
  if (o.accountUnchecked) out << "\n" << kUnhandledMethodNote << "\n";
  if (o.notReleased) out << "\n" << kMessageNotReleased << "\n";
}

}  // namespace

nlohmann::json EditionJson(const BankDataEdition& edition, bool expired) {
  // clang-format off
  nlohmann::json object = {
      {"validFrom", IsoDate(edition.source.validFrom)},
      {"validUntil", IsoDate(edition.validUntil)},
      {"expired", expired},
      {"origin", OriginKey(edition.source.origin)},
      {"file", edition.source.path.string()},
      {"lineWidth", edition.lineWidth},
      {"rulesFrom", edition.rulesFrom ? nlohmann::json(IsoDate(*edition.rulesFrom))
                                      : nlohmann::json(nullptr)},
  };
  // clang-format on
  return object;
}

int RunIbanCommand(const Command& command, const BankDataEdition& edition, bool expired,
                   const std::filesystem::path& debugIni, std::ostream& out, std::ostream& err) {
  const std::string& bankCode = command.operands.at(0);
  const std::string& account = command.operands.at(1);
  const SingleConversionOutcome o = ConvertSingle(edition.directory, bankCode, account, debugIni);
  const std::string_view message = FailureMessage(o.status);

  if (command.json) {
    // clang-format off
    const nlohmann::json object = {
        {"status", StatusName(o.status)}, {"bankName", o.bankName},
        {"deletionNotice", o.deletionNotice}, {"bic", o.bic},
        {"iban", o.iban}, {"verdict", o.verdict},
        {"resultCode", ResultNumber(o.resultCode)}, {"emphasise", o.emphasise},
        {"notReleased", o.notReleased}, {"accountText", o.accountText},
        {"message", message},
        {"ruleNumber", o.ruleNumber},
        {"checkMethod", o.checkMethod},
        {"ruleOrigin", o.status == SingleConversionStatus::Converted ? RuleOriginKey(o) : ""},
        {"standardRuleAssumed", o.status == SingleConversionStatus::Converted &&
                                    o.ruleOrigin == RuleOrigin::kAssumed && !o.ruleOverridden},
        {"accountChecked", o.status == SingleConversionStatus::Converted && !o.accountUnchecked},
        {"edition", EditionJson(edition, expired)},
    };
    // clang-format on
    out << object.dump(2) << "\n";
  } else if (o.status == SingleConversionStatus::Converted) {
    PrintForPerson(o, bankCode, edition, out);
  } else {
    err << message << "\n";
  }
  return o.status == SingleConversionStatus::Converted ? 0 : 2;
}

int RunVerifyCommand(const Command& command, const BankDataEdition* edition, bool expired,
                     std::ostream& out) {
  const std::string& method = command.operands.at(0);
  const std::string& account = command.operands.at(1);
  const std::string bankCode = command.operands.size() > 2 ? command.operands[2] : "";
  std::string adjusted;
  const int result = checkdigit::verifyAccountNumber(account, bankCode,
                                                     checkdigit::CheckMethodCode(method), adjusted);

  if (command.json) {
    nlohmann::json object = {
        {"method", method}, {"account", account},          {"bankCode", bankCode},
        {"result", result}, {"adjustedAccount", adjusted},
    };
    if (edition != nullptr) object["edition"] = EditionJson(*edition, expired);
    out << object.dump(2) << "\n";
  } else {
    out << "Methode " << method << ", Konto " << account;
    if (!bankCode.empty()) out << ", BLZ " << bankCode;
    out << ": ";
    if (result == -1) {
      out << "keine Kontonummer (leer oder null)";
    } else if (result == 0) {
      out << "Prüfziffer falsch";
    } else {
      out << "Prüfziffer richtig";
    }
    out << " (" << result << ")\n";
    if (result != -1 && result != 0 && adjusted != account &&
        adjusted != std::string_view(account).substr(account.find_first_not_of('0'))) {
      out << "Angepasste Kontonummer: " << adjusted << "\n";
    }
  }
  if (result == -1) return 2;
  return result == 0 ? 1 : 0;
}

}  // namespace talvenor::app
