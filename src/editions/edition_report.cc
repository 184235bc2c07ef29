#include "editions/edition_report.h"

#include <cstdio>

namespace talvenor::editions {
namespace {

std::string SuccessorText(const std::string& mark) {
  if (mark.empty()) return "nicht zur Löschung vorgesehen";
  if (mark.front() == '0') return "zur Löschung vorgesehen, ohne Nachfolger";
  return "zur Löschung vorgesehen, Nachfolger " + mark;
}

std::string BankLine(const BlzInfoIBAN& record) {
  return "    " + record.bankCodeText() + "  " + record.name() + "\n";
}

template <typename Show>
void Section(std::string& text, const char* title, const std::vector<BankChange>& changes,
             Show show) {
  if (changes.empty()) return;
  text += "  " + std::string(title) + " (" + std::to_string(changes.size()) + "):\n";
  for (const BankChange& change : changes) {
    text += "    " + change.after->bankCodeText() + "  " + show(*change.before) + " → " +
            show(*change.after) + "\n";
  }
}

void Section(std::string& text, const char* title, const std::vector<const BlzInfoIBAN*>& banks) {
  if (banks.empty()) return;
  text += "  " + std::string(title) + " (" + std::to_string(banks.size()) + "):\n";
  for (const BlzInfoIBAN* bank : banks) text += BankLine(*bank);
}

void CodeList(std::string& text, const BankDataEdition& edition,
              const std::vector<std::uint32_t>& codes) {
  for (std::uint32_t code : codes) {
    if (const BlzInfoIBAN* record = edition.directory.Lookup(code)) text += BankLine(*record);
  }
}

}  // namespace

std::string RuleNumberText(int ruleNumber) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d %02d", ruleNumber / 100, ruleNumber % 100);
  return text;
}

std::string EditionSummary(const BankDataEdition& edition) {
  std::string text;
  text += "  Gültig ab:       " + GermanDate(edition.source.validFrom) + "\n";
  text += "  Gültig bis:      " + GermanDate(edition.validUntil) + "\n";
  if (edition.form == FileForm::kText) {
    text += "  Zeilenbreite:    " + std::to_string(edition.lineWidth) + " Zeichen (";
  } else {
    text += "  Form:            " + std::string(FormText(edition.form)) + " (";
  }
  if (edition.hasOwnRuleNumbers()) {
    text += "erweiterte Datei mit IBAN-Regeln)\n";
  } else {
    text += "öffentliche Datei ohne IBAN-Regeln; die Regeln stammen aus der Ausgabe vom " +
            (edition.rulesFrom ? GermanDate(*edition.rulesFrom) : std::string("?")) + ")\n";
  }
  text += "  Bankleitzahlen:  " + std::to_string(edition.directory.size()) + "\n";
  return text;
}

std::string ChangesReport(const BankDataEdition& before, const BankDataEdition& after) {
  const EditionChanges changes = CompareDirectories(before.directory, after.directory);
  std::string text;
  Section(text, "Neue Bankleitzahlen", changes.added);
  Section(text, "Entfallene Bankleitzahlen", changes.removed);
  Section(text, "Geänderte Kurzbezeichnung", changes.name,
          [](const BlzInfoIBAN& r) { return "„" + r.name() + "“"; });
  Section(text, "Geänderter BIC", changes.bic, [](const BlzInfoIBAN& r) {
    return r.firstBic().empty() ? std::string("(kein BIC)") : r.firstBic();
  });
  Section(text, "Geänderte Prüfzifferberechnungsmethode", changes.method,
          [](const BlzInfoIBAN& r) { return r.checkMethod(); });
  Section(text, "Geänderte Löschungsangabe", changes.successor,
          [](const BlzInfoIBAN& r) { return SuccessorText(r.successorMark()); });
  Section(text, "Geänderte IBAN-Regel", changes.rule,
          [](const BlzInfoIBAN& r) { return RuleNumberText(r.ibanRule()); });
  if (text.empty()) text = "  keine Änderungen\n";
  return text;
}

std::string_view FormText(FileForm form) {
  switch (form) {
    case FileForm::kXml:
      return "XML";
    case FileForm::kCsv:
      return "CSV";
    case FileForm::kText:
      break;
  }
  return "Text";
}

std::string UnknownRulesReport(const BankDataEdition& edition) {
  if (edition.unknownRules.empty()) return {};
  std::string text = "IBAN-Regel Talvenor unbekannt, die Standardregel wird angenommen (" +
                     std::to_string(edition.unknownRules.size()) + " Bankleitzahlen):\n";
  for (const RuleNumber& unknown : edition.unknownRules) {
    if (const BlzInfoIBAN* record = edition.directory.Lookup(unknown.bankCode)) {
      text += "    " + record->bankCodeText() + "  Regel " + RuleNumberText(unknown.rule) + "  " +
              record->name() + "\n";
    }
  }
  return text;
}

std::string AttentionReport(const BankDataEdition& edition) {
  std::string text = UnknownRulesReport(edition);
  if (!edition.assumedRuleBankCodes.empty()) {
    text += "Keine IBAN-Regel bekannt, die Standardregel wird angenommen (" +
            std::to_string(edition.assumedRuleBankCodes.size()) + " Bankleitzahlen):\n";
    CodeList(text, edition, edition.assumedRuleBankCodes);
  }
  if (!edition.unhandledMethodBankCodes.empty()) {
    text +=
        "Prüfzifferberechnungsmethode von Talvenor nicht unterstützt, Kontonummern werden "
        "nicht geprüft (" +
        std::to_string(edition.unhandledMethodBankCodes.size()) + " Bankleitzahlen):\n";
    for (std::uint32_t code : edition.unhandledMethodBankCodes) {
      if (const BlzInfoIBAN* record = edition.directory.Lookup(code)) {
        text += "    " + record->bankCodeText() + "  Methode " + record->checkMethod() + "  " +
                record->name() + "\n";
      }
    }
  }
  return text;
}

}  // namespace talvenor::editions
