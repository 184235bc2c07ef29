#include "core/iban.h"

#include <gtest/gtest.h>

#include <random>

namespace talvenor {
namespace {

// The ISO 13616 validation, written out digit by digit: move the first four
// characters to the end, letters to numbers, remainder mod 97 must be 1.
int IbanRemainder(const std::string& iban) {
  const std::string rearranged = iban.substr(4) + iban.substr(0, 4);
  int remainder = 0;
  for (char c : rearranged) {
    if (c >= 'A' && c <= 'Z') {
      const int value = c - 'A' + 10;
      remainder = (remainder * 100 + value) % 97;
    } else {
      remainder = (remainder * 10 + (c - '0')) % 97;
    }
  }
  return remainder;
}

TEST(FormIban, KnownIbans) {
  // Check digits worked out with the residues: 10000000 mod 97 = 76,
  // 1234567897 mod 97 = 9 -> (77 * 62 + 9 * 27) mod 97 = 70, 98 - 70 = 28.
  EXPECT_EQ(FormIban("10000000", "1234567897"), "DE28100000001234567897");
  // Account 0: (77 * 62) mod 97 = 21, check digits 77.
  EXPECT_EQ(FormIban("10000000", ""), "DE77100000000000000000");
  EXPECT_EQ(FormIban("10000000", "0"), "DE77100000000000000000");
}

TEST(FormIban, TenDigitAccountsStayExact) {
  const std::string iban = FormIban("50010517", "9999999999");
  EXPECT_EQ(iban.substr(12), "9999999999");
  EXPECT_EQ(IbanRemainder(iban), 1);
}

TEST(FormIban, LeadingZerosDoNotMatter) {
  EXPECT_EQ(FormIban("37040044", "0000123456"), FormIban("37040044", "123456"));
}

TEST(FormIban, CheckDigitsAlwaysTwoCharactersAndValid) {
  std::mt19937_64 random(20240304);
  std::uniform_int_distribution<long> bankCodes(10000000, 89999999);
  std::uniform_int_distribution<long long> accounts(0, 9999999999LL);
  bool sawSmallCheckDigits = false;
  for (int i = 0; i < 20000; ++i) {
    const std::string bank = std::to_string(bankCodes(random));
    const std::string account = std::to_string(accounts(random));
    const std::string iban = FormIban(bank, account);
    ASSERT_EQ(iban.size(), 22u) << bank << " " << account;
    ASSERT_EQ(iban.substr(0, 2), "DE");
    ASSERT_EQ(iban.substr(4, 8), bank);
    ASSERT_EQ(IbanRemainder(iban), 1) << iban;
    const int checkDigits = std::stoi(iban.substr(2, 2));
    ASSERT_GE(checkDigits, 2);
    ASSERT_LE(checkDigits, 98);
    sawSmallCheckDigits |= checkDigits < 10;
  }
  EXPECT_TRUE(sawSmallCheckDigits);
}

TEST(FormIban, RefusesWhatCannotFormAGermanIban) {
  EXPECT_EQ(FormIban("10000000", "12345678901"), "");  // eleven digits
  EXPECT_EQ(FormIban("10000000", "-5"), "");
  EXPECT_EQ(FormIban("10000000", "12.5"), "");
  EXPECT_EQ(FormIban("-1", "1"), "");
  EXPECT_EQ(FormIban("123456789", "1"), "");  // nine-digit bank code
}

}  // namespace
}  // namespace talvenor
