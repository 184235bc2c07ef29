#include "editions/csv_form.h"

#include <array>
#include <optional>

#include "editions/bank_entries.h"
#include "platform/number_text.h"
#include "platform/separated_values.h"

namespace talvenor::editions {
namespace {

// A column name as MatchKey gives it, and the field it holds. A `prefix`
// name matches every column name that begins with it.
struct ColumnName {
  std::string_view key;
  EntryField field;
  bool prefix = false;
};
// clang-format off
constexpr ColumnName kColumnNames[] = {
    {"bankleitzahl", EntryField::kBankCode},
    {"blz", EntryField::kBankCode},
    {"merkmal", EntryField::kFeature},
    {"kurzbezeichnung", EntryField::kShortName},
    {"kurzbez", EntryField::kShortName},
    {"bic", EntryField::kBic},
    {"pruefziff", EntryField::kMethod, true},  // Prüfzifferberechnungsmethode, PruefZiffMeth
    {"aenderungskennzeichen", EntryField::kChangeMark},
    {"aenderungskennz", EntryField::kChangeMark},
    {"bankleitzahlloeschung", EntryField::kDeletionMark},
    {"blzloesch", EntryField::kDeletionMark},
    {"nachfolgebankleitzahl", EntryField::kSuccessor},
    {"nachfolgeblz", EntryField::kSuccessor},
    {"ibanregel", EntryField::kIbanRule},
};

// Umlauts and ß as MatchKey spells them, in Latin-1 and (second byte after
// 0xC3) in UTF-8.
struct Umlaut {
  unsigned char latin1;
  unsigned char utf8Second;
  const char* spelled;
};
constexpr Umlaut kUmlauts[] = {
    {0xE4, 0xA4, "ae"}, {0xC4, 0x84, "ae"}, {0xF6, 0xB6, "oe"}, {0xD6, 0x96, "oe"},
    {0xFC, 0xBC, "ue"}, {0xDC, 0x9C, "ue"}, {0xDF, 0x9F, "ss"},
};
// clang-format on

constexpr EntryForm kCsvForm{.entryWord = "Zeile", .fixedColumns = false, .latin1 = true};

// A column name reduced for matching: ASCII letters in lower case,
// umlauts spelled out, everything else (blanks, hyphens, quotes) left out.
std::string MatchKey(std::string_view name) {
  std::string key;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      key += static_cast<char>(c | 0x20);
      continue;
    }
    const bool utf8 = c == 0xC3 && i + 1 < name.size();
    for (const Umlaut& umlaut : kUmlauts) {
      if (utf8 ? static_cast<unsigned char>(name[i + 1]) == umlaut.utf8Second
               : c == umlaut.latin1) {
        key += umlaut.spelled;
        if (utf8) ++i;
        break;
      }
    }
  }
  return key;
}

std::optional<EntryField> ColumnField(std::string_view name) {
  const std::string key = MatchKey(name);
  for (const ColumnName& column : kColumnNames) {
    if (column.prefix ? key.starts_with(column.key) : key == column.key) return column.field;
  }
  return std::nullopt;
}

// The position of each field's column in a line (nothing when the file
// has no such column), and how many columns the header names.
struct Columns {
  std::array<std::optional<std::size_t>, kEntryFieldCount> of{};
  std::size_t count = 0;
};

// The columns the header line names. False with `error` set when a column
// is named twice or one the directory needs is missing.
bool ReadHeader(std::string_view line, Columns& columns, std::string& error) {
  platform::SeparatedLine split;
  if (!split.Split(line)) {
    error = "Zeile 1 (Kopfzeile): ein Feld in Anführungszeichen ist nicht richtig abgeschlossen.";
    return false;
  }
  columns.count = split.fields().size();
  for (std::size_t i = 0; i < split.fields().size(); ++i) {
    const std::optional<EntryField> field = ColumnField(split.fields()[i]);
    if (!field) continue;
    auto& at = columns.of[static_cast<std::size_t>(*field)];
    if (at) {
      error = std::string("Die Kopfzeile nennt die Spalte „") + InfoOf(*field).name +
              "“ zweimal (Spalten " + std::to_string(*at + 1) + " und " + std::to_string(i + 1) +
              ").";
      return false;
    }
    at = i;
  }
  std::string missing;
  for (std::size_t f = 0; f < kEntryFieldCount; ++f) {
    if (columns.of[f] || static_cast<EntryField>(f) == EntryField::kIbanRule) continue;
    if (!missing.empty()) missing += ", ";
    missing.append("„").append(InfoOf(static_cast<EntryField>(f)).name).append("“");
  }
  if (!missing.empty()) {
    error =
        "Der Kopfzeile der CSV-Datei fehlen Spalten, die eine Bankleitzahlendatei hat: " + missing +
        ".";
    return false;
  }
  return true;
}

// Takes the fields of line `number` into a new entry. False with `error`
// set when the line cannot be cut into the header's columns.
bool TakeLine(std::string_view line, std::uint32_t number, const Columns& columns,
              platform::SeparatedLine& split, EntryCollector& entries, std::string& error) {
  const std::string place = "Zeile " + std::to_string(number);
  if (!split.Split(line)) {
    error = place + ": ein Feld in Anführungszeichen ist nicht richtig abgeschlossen.";
    return false;
  }
  const auto& fields = split.fields();
  bool extraFilled = false;
  for (std::size_t i = columns.count; i < fields.size(); ++i) extraFilled |= !fields[i].empty();
  if (fields.size() < columns.count || extraFilled) {
    error = place + " hat " + std::to_string(fields.size()) + " Felder, die Kopfzeile nennt " +
            std::to_string(columns.count) + " Spalten.";
    return false;
  }
  entries.Begin(number);
  for (std::size_t f = 0; f < kEntryFieldCount; ++f) {
    if (columns.of[f]) {
      entries.Set(static_cast<EntryField>(f), platform::TrimBlanks(fields[*columns.of[f]]));
    }
  }
  return true;
}

// The next line of `text` without its end; `text` moves past it.
std::string_view NextLine(std::string_view& text) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

// Whether `text` holds nothing but line ends.
bool OnlyLineEnds(std::string_view text) {
  return text.find_first_not_of("\r\n") == std::string_view::npos;
}

}  // namespace

bool IsCsvHeaderLine(std::string_view line) {
  if (line.find(';') == std::string_view::npos) return false;
  platform::SeparatedLine split;
  if (!split.Split(line)) return false;
  for (const std::string_view name : split.fields()) {
    if (ColumnField(name) == EntryField::kBankCode) return true;
  }
  return false;
}

bool CsvHeaderNamesRules(std::string_view line) {
  platform::SeparatedLine split;
  if (!split.Split(line)) return false;
  for (const std::string_view name : split.fields()) {
    if (ColumnField(name) == EntryField::kIbanRule) return true;
  }
  return false;
}

bool ReadCsvBankCodeFile(std::string_view bytes, BankCodeFile& file, std::string& error) {
  if (bytes.empty()) {
    error = "Die Datei ist leer.";
    return false;
  }
  Columns columns;
  if (!ReadHeader(NextLine(bytes), columns, error)) return false;
  EntryCollector collected;
  platform::SeparatedLine split;
  for (std::uint32_t number = 2; !OnlyLineEnds(bytes); ++number) {
    const std::string_view line = NextLine(bytes);
    if (line.empty()) {
      error = "Zeile " + std::to_string(number) + " ist leer.";
      return false;
    }
    if (!TakeLine(line, number, columns, split, collected, error)) return false;
  }
  std::vector<BankEntry> entries = collected.Entries();
  EntryForm form = kCsvForm;
  form.ruleNumbers = AnyRuleNumber(entries);
  BankCodeFile result;
  if (!CheckAndBuildRecords(entries, form, result.records, error)) return false;
  result.form = FileForm::kCsv;
  result.ruleNumbers = form.ruleNumbers;
  file = std::move(result);
  return true;
}

}  // namespace talvenor::editions
