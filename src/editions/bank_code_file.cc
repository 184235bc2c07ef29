#include "editions/bank_code_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>

#include "platform/display_text.h"
#include "platform/number_text.h"

namespace talvenor::editions {
namespace {

// A field of a line: 1-based first column, width, and its German name for
// messages.
struct Field {
  std::size_t column;
  std::size_t width;
  const char* name;
};
constexpr Field kBankCode{1, 8, "Bankleitzahl"};
constexpr Field kFeature{9, 1, "Merkmal"};
constexpr Field kShortName{108, 27, "Kurzbezeichnung"};
constexpr Field kBic{140, 11, "BIC"};
constexpr Field kMethod{151, 2, "Prüfzifferberechnungsmethode"};
constexpr Field kChangeMark{159, 1, "Änderungskennzeichen"};
constexpr Field kDeletionMark{160, 1, "Bankleitzahllöschung"};
constexpr Field kSuccessor{161, 8, "Nachfolge-Bankleitzahl"};
constexpr Field kIbanRule{169, 6, "IBAN-Regel"};

std::string_view Take(std::string_view line, Field field) {
  return line.substr(field.column - 1, field.width);
}

std::string_view TrimRight(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

using platform::IsDigit;
bool IsCapital(char c) { return c >= 'A' && c <= 'Z'; }

std::uint32_t Number(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<std::uint32_t>(c - '0');
  return value;
}

// A value from the file as it can be shown: UTF-8, control characters
// escaped.
std::string Shown(std::string_view value) {
  return platform::EscapeControlCharacters(Latin1ToUtf8(value));
}

// Texts are built by appending: g++ 12 warns falsely about a literal
// joined to a temporary text.
std::string LineText(std::size_t lineNumber) {
  std::string text("Zeile ");
  text += std::to_string(lineNumber);
  return text;
}

std::string FieldError(std::size_t lineNumber, Field field, std::string_view value,
                       std::string_view expected) {
  std::string text = LineText(lineNumber);
  text.append(", Feld „").append(field.name).append("“ (Spalte");
  if (field.width == 1) {
    text.append(" ").append(std::to_string(field.column));
  } else {
    text.append("n ").append(std::to_string(field.column)).append("-");
    text.append(std::to_string(field.column + field.width - 1));
  }
  text.append("): „").append(Shown(value)).append("“ ist ").append(expected).append(".");
  return text;
}

// The first fault of one line's fields, or an empty text.
std::string CheckFields(std::string_view line, std::size_t n, bool extended) {
  const std::string_view code = Take(line, kBankCode);
  if (!platform::IsDigitsOnly(code) || code[0] == '0' || code[0] == '9') {
    return FieldError(n, kBankCode, code, "keine achtstellige Bankleitzahl mit 1 bis 8 vorn");
  }
  const std::string_view feature = Take(line, kFeature);
  if (feature != "1" && feature != "2") return FieldError(n, kFeature, feature, "weder 1 noch 2");
  const std::string_view bic = Take(line, kBic);
  const bool blankBic = TrimRight(bic).empty();
  if (!blankBic &&
      !std::all_of(bic.begin(), bic.end(), [](char c) { return IsDigit(c) || IsCapital(c); })) {
    return FieldError(n, kBic, bic, "weder leer noch ein BIC aus elf Buchstaben und Ziffern");
  }
  const std::string_view method = Take(line, kMethod);
  if (!(IsDigit(method[0]) || IsCapital(method[0])) || !IsDigit(method[1])) {
    return FieldError(n, kMethod, method,
                      "keine Methodenkennung (Ziffer oder Großbuchstabe, dann Ziffer)");
  }
  const std::string_view change = Take(line, kChangeMark);
  if (change.find_first_not_of("ADMU") != std::string_view::npos) {
    return FieldError(n, kChangeMark, change, "keines von A, D, M, U");
  }
  const std::string_view deletion = Take(line, kDeletionMark);
  if (deletion != "0" && deletion != "1") {
    return FieldError(n, kDeletionMark, deletion, "weder 0 noch 1");
  }
  const std::string_view successor = Take(line, kSuccessor);
  if (!platform::IsDigitsOnly(successor)) {
    return FieldError(n, kSuccessor, successor, "keine achtstellige Zahl");
  }
  if (extended && !platform::IsDigitsOnly(Take(line, kIbanRule))) {
    return FieldError(n, kIbanRule, Take(line, kIbanRule), "keine sechsstellige Zahl");
  }
  return {};
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// Whether `line` holds a control character. Written without an early exit
// so that the compiler checks many bytes at once: every line of every file
// passes through here at each start of the program.
bool HasControlCharacter(std::string_view line) {
  // Eight bytes at a time: a byte below 0x20 (or equal to 0x7F, after the
  // exclusive or) sets its high bit in `below`; bytes of 0x80 and more
  // never do.
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= line.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, line.data() + i, 8);
    const std::uint64_t below = (word - kOnes * 0x20) & ~word & kHigh;
    const std::uint64_t del = word ^ (kOnes * 0x7F);
    const std::uint64_t isDel = (del - kOnes) & ~del & kHigh;
    if ((below | isDel) != 0) return true;
  }
  for (; i < line.size(); ++i) {
    if (IsControl(line[i])) return true;
  }
  return false;
}

// A line of the file, as far as grouping needs it.
struct LineRef {
  std::uint32_t bankCode;
  std::uint32_t number;  // 1-based line number
  std::string_view text;
};

// Splits the text into lines and checks each on its own. False with
// `error` set at the first fault.
bool SplitAndCheck(std::string_view text, std::vector<LineRef>& lines, int& width,
                   std::string& error) {
  std::uint32_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto size = static_cast<int>(line.size());
    if (width == 0) {
      if (size != kPublicLineWidth && size != kExtendedLineWidth) {
        error = LineText(number) + " hat " + std::to_string(size) +
                " Zeichen; die Zeilen einer Bankleitzahlendatei haben 168 oder 174 Zeichen.";
        return false;
      }
      width = size;
    } else if (size != width) {
      error = LineText(number) + " hat " + std::to_string(size) + " Zeichen, die erste Zeile " +
              std::to_string(width) + ".";
      return false;
    }
    if (HasControlCharacter(line)) {
      const auto control = std::find_if(line.begin(), line.end(), IsControl);
      error = LineText(number) + " enthält in Spalte " +
              std::to_string(control - line.begin() + 1) + " ein Steuerzeichen (" +
              Shown(std::string_view(&*control, 1)) + ").";
      return false;
    }
    if (std::string fault = CheckFields(line, number, width == kExtendedLineWidth);
        !fault.empty()) {
      error = std::move(fault);
      return false;
    }
    lines.push_back(LineRef{Number(Take(line, kBankCode)), number, line});
  }
  return true;
}

// The record of one bank code from its lines (main line among them).
// False with `error` set when the main line is missing or not unique.
bool MakeRecord(std::span<const LineRef> lines, bool extended, std::vector<BlzInfoIBAN>& records,
                std::string& error) {
  const LineRef* main = nullptr;
  std::vector<std::string> bics;
  for (const LineRef& line : lines) {
    if (Take(line.text, kFeature) == "1") {
      if (main != nullptr) {
        error = LineText(line.number) + ": zweite Hauptstelle (Merkmal 1) der Bankleitzahl " +
                std::string(Take(line.text, kBankCode)) + "; die erste steht in " +
                LineText(main->number) + ".";
        return false;
      }
      main = &line;
    }
    const std::string_view bic = TrimRight(Take(line.text, kBic));
    if (!bic.empty()) bics.emplace_back(bic);
  }
  if (main == nullptr) {
    error = LineText(lines.front().number) + ": die Bankleitzahl " +
            std::string(Take(lines.front().text, kBankCode)) +
            " hat Filialen (Merkmal 2), aber keine Hauptstelle (Merkmal 1).";
    return false;
  }
  const std::string_view text = main->text;
  if (Take(text, kChangeMark) == "D") return true;  // removed in this edition
  std::string successor;
  if (Take(text, kDeletionMark) != "0") successor = std::string(Take(text, kSuccessor));
  const int rule = extended ? static_cast<int>(Number(Take(text, kIbanRule))) : 0;
  records.emplace_back(main->bankCode, std::string(Take(text, kMethod)),
                       Latin1ToUtf8(TrimRight(Take(text, kShortName))), std::move(bics),
                       std::move(successor), rule);
  return true;
}

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size() + 8);
  for (const char byte : latin1) {
    const auto c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

std::vector<RuleNumber> RuleNumbersOf(const BankCodeFile& file) {
  std::vector<RuleNumber> rules;
  rules.reserve(file.records.size());
  for (const BlzInfoIBAN& record : file.records)
    rules.push_back({record.bankCode(), record.ibanRule()});
  return rules;
}

std::vector<RuleNumber> ReadRuleNumbersOfCheckedFile(std::string_view text) {
  std::vector<RuleNumber> rules;
  rules.reserve(text.size() / (static_cast<std::size_t>(kExtendedLineWidth) * 3));
  while (text.size() >= static_cast<std::size_t>(kExtendedLineWidth)) {
    const std::string_view line = text.substr(0, kExtendedLineWidth);
    if (Take(line, kFeature) == "1" && Take(line, kChangeMark) != "D") {
      rules.push_back(
          {Number(Take(line, kBankCode)), static_cast<int>(Number(Take(line, kIbanRule)))});
    }
    const std::size_t end = text.find('\n', kExtendedLineWidth);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  std::sort(rules.begin(), rules.end(),
            [](const RuleNumber& a, const RuleNumber& b) { return a.bankCode < b.bankCode; });
  return rules;
}

bool ReadBankCodeFile(std::string_view text, BankCodeFile& file, std::string& error) {
  if (text.empty()) {
    error = "Die Datei ist leer.";
    return false;
  }
  std::vector<LineRef> lines;
  lines.reserve(text.size() / kPublicLineWidth + 1);
  int width = 0;
  if (!SplitAndCheck(text, lines, width, error)) return false;

  // The central bank's files list each bank's lines together in ascending
  // order; any other order is taken as well.
  const auto byCode = [](const LineRef& a, const LineRef& b) { return a.bankCode < b.bankCode; };
  if (!std::is_sorted(lines.begin(), lines.end(), byCode)) {
    std::stable_sort(lines.begin(), lines.end(), byCode);
  }
  std::vector<BlzInfoIBAN> records;
  records.reserve(lines.size() / 3 + 1);
  const bool extended = width == kExtendedLineWidth;
  for (std::size_t first = 0; first < lines.size();) {
    std::size_t last = first + 1;
    while (last < lines.size() && lines[last].bankCode == lines[first].bankCode) ++last;
    if (!MakeRecord(std::span<const LineRef>(lines).subspan(first, last - first), extended, records,
                    error)) {
      return false;
    }
    first = last;
  }
  file = BankCodeFile{};
  file.form = FileForm::kText;
  file.lineWidth = width;
  file.ruleNumbers = extended;
  file.records = std::move(records);
  return true;
}

}  // namespace talvenor::editions
