#include "editions/bank_entries.h"

#include <algorithm>
#include <span>

#include "editions/bank_code_file.h"
#include "platform/display_text.h"
#include "platform/number_text.h"
#include "platform/utf8.h"

namespace talvenor::editions {
namespace {

// clang-format off
constexpr EntryFieldInfo kFieldInfo[kEntryFieldCount] = {
    {"Bankleitzahl", 1, 8},
    {"Merkmal", 9, 1},
    {"BIC", 140, 11},
    {"Prüfzifferberechnungsmethode", 151, 2},
    {"Änderungskennzeichen", 159, 1},
    {"Bankleitzahllöschung", 160, 1},
    {"Nachfolge-Bankleitzahl", 161, 8},
    {"IBAN-Regel", 169, 6},
    {"Kurzbezeichnung", 108, 27},
};
// clang-format on

using platform::IsDigit;
using platform::IsDigitsOnly;
bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

std::string_view TrimRight(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::uint32_t Number(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<std::uint32_t>(c - '0');
  return value;
}

// A value from the file as it can be shown: UTF-8, control characters
// escaped.
std::string Shown(std::string_view value, const EntryForm& form) {
  const bool utf8 = !form.latin1 && platform::IsValidUtf8(value);
  return platform::EscapeControlCharacters(utf8 ? std::string(value) : Latin1ToUtf8(value));
}

// "Zeile 5", "Eintrag 5". Texts are built by appending: g++ 12 warns
// falsely about a literal joined to a temporary text.
std::string Place(const EntryForm& form, std::uint32_t number) {
  std::string text(form.entryWord);
  text.append(" ").append(std::to_string(number));
  return text;
}

// "Zeile 5, Feld „BIC“ (Spalten 140-150)" or "Eintrag 5 (BLZ 10000000),
// Feld „BIC“".
std::string FieldPlace(const BankEntry& entry, EntryField field, const EntryForm& form) {
  const EntryFieldInfo& info = InfoOf(field);
  std::string text = Place(form, entry.number);
  const std::string_view code = entry[EntryField::kBankCode];
  if (!form.fixedColumns && field != EntryField::kBankCode && !code.empty()) {
    text.append(" (BLZ ").append(Shown(code, form)).append(")");
  }
  text.append(", Feld „").append(info.name).append("“");
  if (!form.fixedColumns) return text;
  text.append(" (Spalte");
  if (info.width == 1) {
    text.append(" ").append(std::to_string(info.column));
  } else {
    text.append("n ").append(std::to_string(info.column)).append("-");
    text.append(std::to_string(info.column + info.width - 1));
  }
  return text.append(")");
}

std::string FieldError(const BankEntry& entry, EntryField field, std::string_view expected,
                       const EntryForm& form) {
  const std::string_view value = entry[field];
  std::string text = FieldPlace(entry, field, form);
  if (value.empty() && !form.fixedColumns) return text.append(" fehlt.");
  text.append(": „").append(Shown(value, form)).append("“ ist ").append(expected).append(".");
  return text;
}

// The first control character in the values of an entry of a form whose
// lines are not checked as a whole, as a message; or an empty text.
std::string ControlCharacterError(const BankEntry& entry, const EntryForm& form) {
  for (std::size_t i = 0; i < kEntryFieldCount; ++i) {
    const std::string_view value = entry.values[i];
    const auto control = std::find_if(value.begin(), value.end(), IsControl);
    if (control == value.end()) continue;
    return FieldPlace(entry, static_cast<EntryField>(i), form) + " enthält ein Steuerzeichen (" +
           platform::EscapeControlCharacters(std::string_view(&*control, 1)) + ").";
  }
  return {};
}

bool IsBankCode(std::string_view code) {
  return code.size() == 8 && IsDigitsOnly(code) && code[0] != '0' && code[0] != '9';
}

bool IsBic(std::string_view bic) {
  return bic.size() == 11 &&
         std::all_of(bic.begin(), bic.end(), [](char c) { return IsDigit(c) || IsCapital(c); });
}

bool IsMethod(std::string_view method) {
  return method.size() == 2 && (IsDigit(method[0]) || IsCapital(method[0])) && IsDigit(method[1]);
}

bool IsOneOf(std::string_view value, std::string_view marks) {
  return value.size() == 1 && marks.find(value[0]) != std::string_view::npos;
}

bool IsNumber(std::string_view value, std::size_t digits) {
  return value.size() == digits && IsDigitsOnly(value);
}

// The first fault of an entry's field values, or an empty text.
std::string CheckValues(const BankEntry& entry, const EntryForm& form) {
  using F = EntryField;
  if (!IsBankCode(entry[F::kBankCode])) {
    return FieldError(entry, F::kBankCode, "keine achtstellige Bankleitzahl mit 1 bis 8 vorn",
                      form);
  }
  if (!IsOneOf(entry[F::kFeature], "12")) {
    return FieldError(entry, F::kFeature, "weder 1 noch 2", form);
  }
  if (!TrimRight(entry[F::kBic]).empty() && !IsBic(entry[F::kBic])) {
    return FieldError(entry, F::kBic, "weder leer noch ein BIC aus elf Buchstaben und Ziffern",
                      form);
  }
  if (!IsMethod(entry[F::kMethod])) {
    return FieldError(entry, F::kMethod,
                      "keine Methodenkennung (Ziffer oder Großbuchstabe, dann Ziffer)", form);
  }
  if (!IsOneOf(entry[F::kChangeMark], "ADMU")) {
    return FieldError(entry, F::kChangeMark, "keines von A, D, M, U", form);
  }
  if (!IsOneOf(entry[F::kDeletionMark], "01")) {
    return FieldError(entry, F::kDeletionMark, "weder 0 noch 1", form);
  }
  if (!IsNumber(entry[F::kSuccessor], 8)) {
    return FieldError(entry, F::kSuccessor, "keine achtstellige Zahl", form);
  }
  const std::string_view rule = entry[F::kIbanRule];
  if (rule.empty() && form.ruleNumbers && entry[F::kFeature] == "1") {
    return Place(form, entry.number) + " (BLZ " + std::string(entry[F::kBankCode]) +
           "): das Feld „IBAN-Regel“ fehlt, andere Einträge nennen es; eine "
           "Bankleitzahlendatei nennt die IBAN-Regel bei allen Hauptstellen oder bei keiner.";
  }
  if (!rule.empty() && !IsNumber(rule, 6)) {
    return FieldError(entry, F::kIbanRule, "keine sechsstellige Zahl", form);
  }
  return {};
}

// The record of one bank code from its entries. False with `error` set
// when the main entry is missing or not unique.
bool MakeRecord(std::span<const BankEntry> entries, const EntryForm& form,
                std::vector<BlzInfoIBAN>& records, std::string& error) {
  using F = EntryField;
  const BankEntry* main = nullptr;
  std::vector<std::string> bics;
  for (const BankEntry& entry : entries) {
    if (entry[F::kFeature] == "1") {
      if (main != nullptr) {
        error = Place(form, entry.number) + ": zweite Hauptstelle (Merkmal 1) der Bankleitzahl " +
                std::string(entry[F::kBankCode]) + "; die erste steht in " +
                Place(form, main->number) + ".";
        return false;
      }
      main = &entry;
    }
    const std::string_view bic = TrimRight(entry[F::kBic]);
    if (!bic.empty()) bics.emplace_back(bic);
  }
  if (main == nullptr) {
    error = Place(form, entries.front().number) + ": die Bankleitzahl " +
            std::string(entries.front()[F::kBankCode]) +
            " hat Filialen (Merkmal 2), aber keine Hauptstelle (Merkmal 1).";
    return false;
  }
  const BankEntry& bank = *main;
  if (bank[F::kChangeMark] == "D") return true;  // removed in this edition
  std::string successor;
  if (bank[F::kDeletionMark] != "0") successor = std::string(bank[F::kSuccessor]);
  const int rule = form.ruleNumbers ? static_cast<int>(Number(bank[F::kIbanRule])) : 0;
  const std::string_view name = TrimRight(bank[F::kShortName]);
  records.emplace_back(bank.bankCode, std::string(bank[F::kMethod]),
                       form.latin1 ? Latin1ToUtf8(name) : std::string(name), std::move(bics),
                       std::move(successor), rule);
  return true;
}

}  // namespace

const EntryFieldInfo& InfoOf(EntryField field) {
  return kFieldInfo[static_cast<std::size_t>(field)];
}

std::string CheckEntry(BankEntry& entry, const EntryForm& form) {
  if (!form.fixedColumns) {
    if (std::string fault = ControlCharacterError(entry, form); !fault.empty()) return fault;
  }
  if (std::string fault = CheckValues(entry, form); !fault.empty()) return fault;
  if (!form.latin1 && !platform::IsValidUtf8(entry[EntryField::kShortName])) {
    return FieldPlace(entry, EntryField::kShortName, form) + " ist kein gültiges UTF-8.";
  }
  entry.bankCode = Number(entry[EntryField::kBankCode]);
  return {};
}

bool BuildRecords(std::vector<BankEntry>& entries, const EntryForm& form,
                  std::vector<BlzInfoIBAN>& records, std::string& error) {
  // The central bank's files list each bank's entries together in
  // ascending order; any other order is taken as well.
  const auto byCode = [](const BankEntry& a, const BankEntry& b) {
    return a.bankCode < b.bankCode;
  };
  if (!std::is_sorted(entries.begin(), entries.end(), byCode)) {
    std::stable_sort(entries.begin(), entries.end(), byCode);
  }
  records.reserve(records.size() + entries.size() / 3 + 1);
  const std::span<const BankEntry> all(entries);
  for (std::size_t first = 0; first < entries.size();) {
    std::size_t last = first + 1;
    while (last < entries.size() && entries[last].bankCode == entries[first].bankCode) ++last;
    if (!MakeRecord(all.subspan(first, last - first), form, records, error)) return false;
    first = last;
  }
  return true;
}

bool CheckAndBuildRecords(std::vector<BankEntry>& entries, const EntryForm& form,
                          std::vector<BlzInfoIBAN>& records, std::string& error) {
  if (entries.empty()) {
    error = "Die Datei enthält keine Einträge.";
    return false;
  }
  for (BankEntry& entry : entries) {
    if (std::string fault = CheckEntry(entry, form); !fault.empty()) {
      error = std::move(fault);
      return false;
    }
  }
  return BuildRecords(entries, form, records, error);
}

bool AnyRuleNumber(const std::vector<BankEntry>& entries) {
  return std::any_of(entries.begin(), entries.end(),
                     [](const BankEntry& entry) { return !entry[EntryField::kIbanRule].empty(); });
}

void EntryCollector::Begin(std::uint32_t number) { entries_.push_back(Collected{number, {}}); }

bool EntryCollector::Set(EntryField field, std::string_view value) {
  Span& span = entries_.back().spans[static_cast<std::size_t>(field)];
  if (span.set) return false;
  span = Span{static_cast<std::uint32_t>(buffer_.size()), static_cast<std::uint32_t>(value.size()),
              true};
  buffer_.append(value);
  return true;
}

std::vector<BankEntry> EntryCollector::Entries() const {
  std::vector<BankEntry> entries(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    entries[i].number = entries_[i].number;
    for (std::size_t f = 0; f < kEntryFieldCount; ++f) {
      const Span& span = entries_[i].spans[f];
      entries[i].values[f] = std::string_view(buffer_).substr(span.offset, span.size);
    }
  }
  return entries;
}

}  // namespace talvenor::editions
