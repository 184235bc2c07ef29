// Builds lines of the central bank's bank-code file for tests.
#ifndef TALVENOR_TESTS_EDITIONS_BANK_LINES_H_
#define TALVENOR_TESTS_EDITIONS_BANK_LINES_H_

#include <string>

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

}  // namespace talvenor::editions::testing

#endif  // TALVENOR_TESTS_EDITIONS_BANK_LINES_H_
