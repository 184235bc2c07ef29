#include "core/bank_code_file.h"

#include <algorithm>
#include <unordered_map>

#include "platform/number_text.h"

namespace talvenor {
namespace {

// Columns of a line, 0-based offset and width.
struct Column {
  std::size_t offset;
  std::size_t width;
};
constexpr Column kBankCode{0, 8};
constexpr Column kFeature{8, 1};
constexpr Column kShortName{107, 27};
constexpr Column kBic{139, 11};
constexpr Column kMethod{150, 2};
constexpr Column kChangeMark{158, 1};
constexpr Column kDeletionMark{159, 1};
constexpr Column kSuccessor{160, 8};
constexpr Column kIbanRule{168, 6};
constexpr std::size_t kLineLength = 174;

std::string_view Field(std::string_view line, Column column) {
  return line.substr(column.offset, column.width);
}

std::string_view TrimRight(std::string_view text) {
  const auto last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return c >= '0' && c <= '9'; });
}

// What the lines of one bank code contribute to its record.
struct BankLines {
  std::uint32_t bankCode = 0;
  std::string_view mainLine;  // empty until the main line is seen
  std::vector<std::string> bics;
};

BlzInfoIBAN MakeRecord(BankLines& bank) {
  const std::string_view main = bank.mainLine;
  std::string successor;
  if (Field(main, kDeletionMark) != "0") successor = std::string(Field(main, kSuccessor));
  const int rule = static_cast<int>(platform::ParseLeadingLong(Field(main, kIbanRule)));
  return BlzInfoIBAN(bank.bankCode, std::string(Field(main, kMethod)),
                     Latin1ToUtf8(TrimRight(Field(main, kShortName))), std::move(bank.bics),
                     std::move(successor), rule);
}

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string utf8;
  utf8.reserve(latin1.size() + 8);
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

BankCodeFileContent ReadBankCodeFile(std::string_view text) {
  BankCodeFileContent content;
  std::vector<BankLines> banks;
  std::unordered_map<std::uint32_t, std::size_t> indexOf;
  banks.reserve(4096);
  indexOf.reserve(4096);

  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (line.size() < kLineLength || !AllDigits(Field(line, kBankCode))) {
      ++content.skippedLines;
      continue;
    }
    const auto bankCode = static_cast<std::uint32_t>(platform::ParseLeadingLong(Field(line, kBankCode)));
    auto [it, inserted] = indexOf.try_emplace(bankCode, banks.size());
    if (inserted) banks.push_back(BankLines{bankCode, {}, {}});
    BankLines& bank = banks[it->second];
    if (Field(line, kFeature) == "1" && bank.mainLine.empty()) bank.mainLine = line;
    const std::string_view bic = TrimRight(Field(line, kBic));
    if (!bic.empty()) bank.bics.emplace_back(bic);
  }

  content.records.reserve(banks.size());
  for (BankLines& bank : banks) {
    if (bank.mainLine.empty() || Field(bank.mainLine, kChangeMark) == "D") continue;
    content.records.push_back(MakeRecord(bank));
  }
  std::sort(content.records.begin(), content.records.end(),
            [](const BlzInfoIBAN& a, const BlzInfoIBAN& b) { return a.bankCode() < b.bankCode(); });
  return content;
}

}  // namespace talvenor
