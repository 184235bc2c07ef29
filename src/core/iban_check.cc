#include "core/iban_check.h"

#include <algorithm>
#include <array>

#include "core/account_conversion.h"
#include "core/bank_code.h"
#include "platform/number_text.h"

namespace talvenor {
namespace {

// The shortest and longest IBANs of any country.
constexpr std::size_t kShortestIban = 15;
constexpr std::size_t kLongestIban = 34;

struct CountryLength {
  std::string_view country;
  int length;
};

// The IBAN lengths of the countries of the IBAN registry, by country code.
// clang-format off
constexpr std::array<CountryLength, 89> kCountryLengths{{
    {"AD", 24}, {"AE", 23}, {"AL", 28}, {"AT", 20}, {"AZ", 28}, {"BA", 20}, {"BE", 16},
    {"BG", 22}, {"BH", 22}, {"BI", 27}, {"BR", 29}, {"BY", 28}, {"CH", 21}, {"CR", 22},
    {"CY", 28}, {"CZ", 24}, {"DE", 22}, {"DJ", 27}, {"DK", 18}, {"DO", 28}, {"EE", 20},
    {"EG", 29}, {"ES", 24}, {"FI", 18}, {"FK", 18}, {"FO", 18}, {"FR", 27}, {"GB", 22},
    {"GE", 22}, {"GI", 23}, {"GL", 18}, {"GR", 27}, {"GT", 28}, {"HN", 28}, {"HR", 21},
    {"HU", 28}, {"IE", 22}, {"IL", 23}, {"IQ", 23}, {"IS", 26}, {"IT", 27}, {"JO", 30},
    {"KW", 30}, {"KZ", 20}, {"LB", 28}, {"LC", 32}, {"LI", 21}, {"LT", 20}, {"LU", 20},
    {"LV", 21}, {"LY", 25}, {"MC", 27}, {"MD", 24}, {"ME", 22}, {"MK", 19}, {"MN", 20},
    {"MR", 27}, {"MT", 31}, {"MU", 30}, {"NI", 28}, {"NL", 18}, {"NO", 15}, {"OM", 23},
    {"PK", 24}, {"PL", 28}, {"PS", 29}, {"PT", 25}, {"QA", 29}, {"RO", 24}, {"RS", 22},
    {"RU", 33}, {"SA", 24}, {"SC", 31}, {"SD", 18}, {"SE", 24}, {"SI", 19}, {"SK", 24},
    {"SM", 27}, {"SO", 23}, {"ST", 25}, {"SV", 28}, {"TL", 23}, {"TN", 24}, {"TR", 26},
    {"UA", 29}, {"VA", 22}, {"VG", 24}, {"XK", 20}, {"YE", 30},
}};
// clang-format on

constexpr bool CountriesAscend() {
  for (std::size_t i = 1; i < kCountryLengths.size(); ++i) {
    if (!(kCountryLengths[i - 1].country < kCountryLengths[i].country)) return false;
  }
  return true;
}
static_assert(CountriesAscend());

bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// The check ends here: code and verdict.
void End(IbanCheck& check, IbanCheckCode code, std::string verdict) {
  check.code = code;
  check.verdict = std::move(verdict);
}

std::string NoIban(std::string_view reason) {
  std::string verdict = "Keine IBAN: ";
  verdict += reason;
  return verdict;
}

// The electronic form of `text`, or false with the reason in `check`.
// Accepted: blanks around it; capitals and small letters; the paper form,
// in which groups of four are separated by one blank each.
bool Normalise(std::string_view text, IbanCheck& check, std::string& iban) {
  while (!text.empty() && IsBlankOrTab(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrTab(text.back())) text.remove_suffix(1);
  if (text.empty()) {
    End(check, IbanCheckCode::kNoIban, NoIban("Die Eingabe ist leer."));
    return false;
  }
  iban.clear();
  std::size_t groupLength = 0;
  bool blankSeen = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      End(check, IbanCheckCode::kNoIban, NoIban("Die Eingabe enthält Steuerzeichen."));
      return false;
    }
    if (c == ' ') {
      // A blank must end a full group of four and be followed by more.
      if (groupLength != 4 || text[i + 1] == ' ') {
        End(check, IbanCheckCode::kNoIban,
            NoIban("Leerzeichen stehen in einer IBAN nur zwischen Gruppen von vier Zeichen."));
        return false;
      }
      blankSeen = true;
      groupLength = 0;
      continue;
    }
    if (c >= 'a' && c <= 'z') {
      iban += static_cast<char>(c - 'a' + 'A');
    } else if (IsCapital(c) || platform::IsDigit(c)) {
      iban += c;
    } else {
      End(check, IbanCheckCode::kNoIban,
          NoIban("Eine IBAN besteht nur aus Buchstaben und Ziffern."));
      return false;
    }
    ++groupLength;
    if (blankSeen && groupLength > 4) {
      End(check, IbanCheckCode::kNoIban,
          NoIban("Leerzeichen stehen in einer IBAN nur zwischen Gruppen von vier Zeichen."));
      return false;
    }
    if (iban.size() > kLongestIban) break;
  }
  if (iban.size() > kLongestIban) {
    End(check, IbanCheckCode::kNoIban,
        NoIban("Die Eingabe ist zu lang; eine IBAN hat höchstens 34 Zeichen."));
    return false;
  }
  if (iban.size() < kShortestIban) {
    End(check, IbanCheckCode::kNoIban,
        NoIban("Die Eingabe ist zu kurz; eine IBAN hat mindestens 15 Zeichen."));
    return false;
  }
  if (!IsCapital(iban[0]) || !IsCapital(iban[1]) || !platform::IsDigit(iban[2]) ||
      !platform::IsDigit(iban[3])) {
    End(check, IbanCheckCode::kNoIban,
        NoIban("Eine IBAN beginnt mit dem Ländercode aus zwei Buchstaben und zwei "
               "Prüfziffern."));
    return false;
  }
  return true;
}

// ISO 7064 MOD 97-10 over the IBAN with its first four characters moved
// to the end and letters read as 10 to 35; a valid IBAN gives 1.
int Mod97(std::string_view iban) {
  int remainder = 0;
  const auto take = [&remainder](char c) {
    if (platform::IsDigit(c)) {
      remainder = (remainder * 10 + (c - '0')) % 97;
    } else {
      remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
    }
  };
  for (const char c : iban.substr(4)) take(c);
  for (const char c : iban.substr(0, 4)) take(c);
  return remainder;
}

// The German steps after the check digits: bank, account, rule.
void CheckGerman(const BankDirectory& directory, IbanCheck& check) {
  check.bankCode = check.iban.substr(4, 8);
  check.account = check.iban.substr(12, 10);
  const BankCode bankCode = *BankCode::Parse(check.bankCode);
  AccountRequest request{bankCode, check.account};
  request.reportSuccessor = true;
  const AccountResult result = ConvertAccount(directory, request);
  if (result.record == nullptr) {
    End(check, IbanCheckCode::kUnknownBankCode,
        "Die Bankleitzahl " + check.bankCode + " ist in den Bankdaten nicht enthalten.");
    return;
  }
  check.bankName = result.record->name();
  check.checkMethod = result.record->checkMethod();
  check.bic = result.texts.bic;
  check.deletionNotice = result.deletionNotice;
  const std::string& mark = result.record->successorMark();
  if (!mark.empty() && mark != "00000000") check.successorBankCode = mark;
  check.ruleIban = result.texts.iban;
  check.ruleResult = result.resultCode;
  check.ruleVerdict = result.texts.verdict;
  check.ruleNumber = result.ruleNumber;
  check.ruleOrigin = result.ruleOrigin;
  if (!result.texts.accountUnchecked) {
    check.accountValid = result.resultCode != ResultCode::kAccountInvalid;
  }

  if (result.resultCode == ResultCode::kAccountInvalid) {
    std::string verdict = "Die Kontonummer besteht die Prüfziffernberechnung der Bank nicht";
    verdict += " (Methode " + check.checkMethod + ").";
    End(check, IbanCheckCode::kAccountInvalid, std::move(verdict));
    return;
  }
  if (result.texts.iban.empty()) {
    End(check, IbanCheckCode::kRuleRefuses,
        "Die IBAN-Regel der Bank lässt für diese Kontonummer keine IBAN zu (" +
            result.texts.verdict + ").");
    return;
  }
  if (result.texts.iban != check.iban) {
    End(check, IbanCheckCode::kRuleFormsOther,
        "Die IBAN-Regel der Bank bildet aus Bankleitzahl und Kontonummer eine andere IBAN: " +
            PaperIban(result.texts.iban) + ".");
    return;
  }
  std::string verdict = "IBAN plausibel.";
  if (result.texts.accountUnchecked) {
    verdict += " Die Kontonummer ist nicht geprüft: Talvenor unterstützt die Methode " +
               check.checkMethod + " nicht.";
  }
  if (result.resultCode == ResultCode::kNotAllowed) {
    verdict += " Die Bank hat die IBAN-Ermittlung nicht freigegeben; bitte prüfen Sie die IBAN.";
  }
  if (!check.deletionNotice.empty()) verdict += " Die Bankleitzahl ist zur Löschung vorgesehen.";
  End(check, IbanCheckCode::kPlausible, std::move(verdict));
}

}  // namespace

std::string PaperIban(std::string_view iban) {
  std::string paper;
  for (std::size_t i = 0; i < iban.size(); ++i) {
    if (i > 0 && i % 4 == 0) paper += ' ';
    paper += iban[i];
  }
  return paper;
}

int IbanLengthOf(std::string_view country) {
  const auto it = std::lower_bound(
      kCountryLengths.begin(), kCountryLengths.end(), country,
      [](const CountryLength& row, std::string_view code) { return row.country < code; });
  return it != kCountryLengths.end() && it->country == country ? it->length : 0;
}

IbanCheck CheckIban(const BankDirectory& directory, std::string_view text) {
  IbanCheck check;
  std::string iban;
  if (!Normalise(text, check, iban)) return check;
  const bool german = iban.starts_with("DE");
  if (german && !std::all_of(iban.begin() + 4, iban.end(), platform::IsDigit)) {
    End(check, IbanCheckCode::kNoIban,
        NoIban("Eine deutsche IBAN hat nach Ländercode und Prüfziffern nur Ziffern."));
    return check;
  }
  check.iban = iban;
  check.paperIban = PaperIban(iban);
  check.country = iban.substr(0, 2);

  const int length = IbanLengthOf(check.country);
  if (length == 0) {
    End(check, IbanCheckCode::kWrongShape,
        "Für den Ländercode „" + check.country + "“ gibt es keine IBAN.");
    return check;
  }
  if (static_cast<std::size_t>(length) != iban.size()) {
    End(check, IbanCheckCode::kWrongShape,
        "Eine IBAN aus " + check.country + " hat " + std::to_string(length) +
            " Zeichen, diese hat " + std::to_string(iban.size()) + ".");
    return check;
  }
  check.checksumValid = Mod97(iban) == 1;
  if (!check.checksumValid) {
    End(check, IbanCheckCode::kWrongCheckDigits, "Die Prüfziffern der IBAN sind falsch.");
    return check;
  }
  if (!german) {
    End(check, IbanCheckCode::kNotGerman,
        "Die IBAN aus " + check.country +
            " ist gültig aufgebaut, ist aber keine deutsche; Bank und Kontonummer werden nicht "
            "geprüft.");
    return check;
  }
  CheckGerman(directory, check);
  return check;
}

}  // namespace talvenor
