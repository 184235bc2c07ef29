#include "editions/bank_code_file.h"

#include <algorithm>
#include <cstring>

#include "editions/bank_entries.h"
#include "platform/display_text.h"

namespace talvenor::editions {
namespace {

constexpr EntryForm kTextForm{.entryWord = "Zeile", .fixedColumns = true, .latin1 = true};

// The field at `field`'s columns of a line of the text form.
std::string_view Take(std::string_view line, EntryField field) {
  const EntryFieldInfo& info = InfoOf(field);
  return line.substr(info.column - 1, info.width);
}

std::uint32_t Number(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<std::uint32_t>(c - '0');
  return value;
}

// Texts are built by appending: g++ 12 warns falsely about a literal
// joined to a temporary text.
std::string LineText(std::size_t lineNumber) {
  std::string text("Zeile ");
  text += std::to_string(lineNumber);
  return text;
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

// The entry of a line of the checked width: its fields' columns.
BankEntry EntryOfLine(std::string_view line, std::uint32_t number, bool extended) {
  BankEntry entry;
  entry.number = number;
  for (std::size_t i = 0; i < kEntryFieldCount; ++i) {
    const auto field = static_cast<EntryField>(i);
    if (field != EntryField::kIbanRule || extended) entry[field] = Take(line, field);
  }
  return entry;
}

// The message when a line is not of the file's width (`width`, or 0 for
// the first line), or an empty text.
std::string WidthError(std::uint32_t number, int size, int width) {
  if (width == 0 && size != kPublicLineWidth && size != kExtendedLineWidth) {
    return LineText(number) + " hat " + std::to_string(size) +
           " Zeichen; die Zeilen einer Bankleitzahlendatei haben 168 oder 174 Zeichen.";
  }
  if (width != 0 && size != width) {
    return LineText(number) + " hat " + std::to_string(size) + " Zeichen, die erste Zeile " +
           std::to_string(width) + ".";
  }
  return {};
}

// Splits the text into lines and checks each on its own. False with
// `error` set at the first fault.
bool SplitAndCheck(std::string_view text, std::vector<BankEntry>& entries, int& width,
                   std::string& error) {
  std::uint32_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto size = static_cast<int>(line.size());
    if (std::string fault = WidthError(number, size, width); !fault.empty()) {
      error = std::move(fault);
      return false;
    }
    width = size;
    if (HasControlCharacter(line)) {
      const auto control = std::find_if(line.begin(), line.end(), IsControl);
      error = LineText(number) + " enthält in Spalte " +
              std::to_string(control - line.begin() + 1) + " ein Steuerzeichen (" +
              platform::EscapeControlCharacters(std::string_view(&*control, 1)) + ").";
      return false;
    }
    entries.push_back(EntryOfLine(line, number, width == kExtendedLineWidth));
    EntryForm form = kTextForm;
    form.ruleNumbers = width == kExtendedLineWidth;
    if (std::string fault = CheckEntry(entries.back(), form); !fault.empty()) {
      error = std::move(fault);
      return false;
    }
  }
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
    if (Take(line, EntryField::kFeature) == "1" && Take(line, EntryField::kChangeMark) != "D") {
      rules.push_back({Number(Take(line, EntryField::kBankCode)),
                       static_cast<int>(Number(Take(line, EntryField::kIbanRule)))});
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
  std::vector<BankEntry> entries;
  entries.reserve(text.size() / kPublicLineWidth + 1);
  int width = 0;
  if (!SplitAndCheck(text, entries, width, error)) return false;
  EntryForm form = kTextForm;
  form.ruleNumbers = width == kExtendedLineWidth;
  std::vector<BlzInfoIBAN> records;
  if (!BuildRecords(entries, form, records, error)) return false;
  file = BankCodeFile{};
  file.form = FileForm::kText;
  file.lineWidth = width;
  file.ruleNumbers = form.ruleNumbers;
  file.records = std::move(records);
  return true;
}

}  // namespace talvenor::editions
