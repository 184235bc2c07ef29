// Builds lines of the central bank's bank-code file for tests, and renders
// the content of a text-form file in the XML and CSV forms, the way the
// central bank writes them (XML: UTF-8, empty fields left out, record
// number without leading zeros; CSV: Latin-1, every field in quotes).
#ifndef TALVENOR_TESTS_EDITIONS_BANK_LINES_H_
#define TALVENOR_TESTS_EDITIONS_BANK_LINES_H_

#include <string>
#include <string_view>
#include <vector>

#include "editions/bank_code_file.h"

namespace talvenor::editions::testing {

struct BankLine {
  std::string bankCode = "10000000";
  char feature = '1';
  std::string shortName = "Testbank";
  std::string bic = "TESTDEFFXXX";
  std::string method = "09";
  char changeMark = 'U';
  char deletionMark = '0';
  std::string successor = "00000000";
  std::string ibanRule = "000000";  // empty: a line of the public file, without the field
};

inline std::string Padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

// One line (without line end): 174 characters, or 168 without rule field.
inline std::string MakeLine(const BankLine& b) {
  std::string line;
  line += Padded(b.bankCode, 8);
  line += b.feature;
  line += Padded("Full name of " + b.shortName, 58);
  line += "10117";
  line += Padded("Berlin", 35);
  line += Padded(b.shortName, 27);
  line += "12345";
  line += Padded(b.bic, 11);
  line += Padded(b.method, 2);
  line += "000001";
  line += b.changeMark;
  line += b.deletionMark;
  line += Padded(b.successor, 8);
  if (!b.ibanRule.empty()) line += Padded(b.ibanRule, 6);
  return line;
}

// The fields of a text-form line, cut at their columns and trimmed, with
// their XML element names and CSV column names (Latin-1).
struct FormField {
  std::size_t column;  // 1-based
  std::size_t width;
  const char* element;
  const char* columnName;
};
// clang-format off
inline constexpr FormField kFormFields[] = {
    {1, 8, "BLZ", "Bankleitzahl"},
    {9, 1, "Merkmal", "Merkmal"},
    {10, 58, "Bezeichnung", "Bezeichnung"},
    {68, 5, "PLZ", "PLZ"},
    {73, 35, "Ort", "Ort"},
    {108, 27, "Kurzbez", "Kurzbezeichnung"},
    {135, 5, "PAN", "PAN"},
    {140, 11, "BIC", "BIC"},
    {151, 2, "PruefZiffMeth", "Pr\xFC" "fzifferberechnungsmethode"},
    {153, 6, "DsNr", "Datensatznummer"},
    {159, 1, "Aenderungskennz", "\xC4nderungskennzeichen"},
    {160, 1, "BLZLoesch", "Bankleitzahll\xF6schung"},
    {161, 8, "NachfolgeBLZ", "Nachfolge-Bankleitzahl"},
    {169, 6, "IBANRegel", "IBAN-Regel"},
};
// clang-format on

// The lines of a text-form file, each cut into the values of kFormFields
// (the rule empty for a line of the public width).
inline std::vector<std::vector<std::string>> FieldsOfLines(std::string_view text) {
  std::vector<std::vector<std::string>> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::vector<std::string> values;
    for (const FormField& field : kFormFields) {
      std::string value(line.substr(std::min(line.size(), field.column - 1), field.width));
      value.erase(value.find_last_not_of(' ') + 1);
      values.push_back(std::move(value));
    }
    lines.push_back(std::move(values));
  }
  return lines;
}

inline std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

// The content of the text-form file `text` as the XML form, its header
// stating `validFrom` to `validTill`.
inline std::string XmlOf(std::string_view text, std::string_view validFrom = "2026-06-08",
                         std::string_view validTill = "2026-09-06") {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Document xmlns=\"urn:BBk:BLZ:xsd:BLZDat2\">"
      "<FileHdr><SndgInst>MARKDEFF</SndgInst><FileRef>test</FileRef>";
  xml.append("<ValidFrom>").append(validFrom).append("</ValidFrom>");
  xml.append("<ValidTill>").append(validTill).append("</ValidTill></FileHdr>");
  for (const auto& values : FieldsOfLines(text)) {
    xml += "<BLZEintrag>";
    for (std::size_t i = 0; i < values.size(); ++i) {
      std::string value = values[i];
      if (std::string_view(kFormFields[i].element) == "DsNr") {
        value.erase(0, std::min(value.find_first_not_of('0'), value.size() - 1));
      }
      if (value.empty()) continue;
      xml.append("<").append(kFormFields[i].element).append(">");
      xml.append(XmlEscaped(Latin1ToUtf8(value)));
      xml.append("</").append(kFormFields[i].element).append(">");
    }
    xml += "</BLZEintrag>";
  }
  return xml + "</Document>";
}

// The content of the text-form file `text` as the CSV form: a header line,
// then one line per entry, every field in quotes, CR LF line ends.
inline std::string CsvOf(std::string_view text) {
  const auto lines = FieldsOfLines(text);
  const bool rules = !lines.empty() && !lines.front().back().empty();
  const std::size_t count = std::size(kFormFields) - (rules ? 0 : 1);
  std::string csv;
  for (std::size_t i = 0; i < count; ++i) {
    csv.append(i > 0 ? ";" : "").append(kFormFields[i].columnName);
  }
  csv += "\r\n";
  for (const auto& values : lines) {
    for (std::size_t i = 0; i < count; ++i) {
      csv.append(i > 0 ? ";\"" : "\"");
      for (const char c : values[i]) csv.append(c == '"' ? "\"\"" : std::string(1, c));
      csv += '"';
    }
    csv += "\r\n";
  }
  return csv;
}

}  // namespace talvenor::editions::testing

#endif  // TALVENOR_TESTS_EDITIONS_BANK_LINES_H_
