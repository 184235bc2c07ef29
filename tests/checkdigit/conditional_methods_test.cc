// Methods that choose their rule by the account's leading digits, its
// length, the number range it lies in, or the date.
//
// Accounts are written as the bank prints them; Passes() strips leading
// zeros the way the entry point does, so the significant length L is that of
// the account without them. Sums below run over the padded ten-digit
// account; "pN" is position N from the left, "w" a weight.
#include <chrono>
#include <span>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "platform/clock.h"

namespace talvenor::checkdigit {
namespace {

using std::chrono::year;

bool Passes(const char* code, std::string_view account, long bankCode = 0) {
  const std::size_t first = account.find_first_not_of('0');
  std::string text(first == std::string_view::npos ? "" : account.substr(first));
  return verifyAccount(text, bankCode, CheckMethodCode(code)) != 0;
}

struct Case {
  const char* code;
  const char* account;
  bool passes;
};

void ExpectAll(std::span<const Case> cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(Passes(c.code, c.account), c.passes)
        << "method " << c.code << ", account " << c.account;
  }
}

// Recurring sums (body = p1-p9, check = p10):
//  "00" on 1234567897: cross sums 9+8+5+6+1+4+6+2+2 = 43, expects 7.
//  "06" on 1234567892: 174 mod 11 = 9, expects 2.
//  "10" on 1234567890: 210 mod 11 = 1, remainder 10 expects 0.
//  Transformation table on 123456789: 1+2+4+9+7+6+5+5+6 = 45, expects 5.
//  Positions 4-9 "456789", w 2..7: 18+24+28+30+30+28 = 158, mod 11 = 4 -> 7.
//  Positions 5-9 "56789", w 2..6: 18+24+28+30+30 = 130, mod 11 = 9 -> 2.

// Number thresholds and ranges that skip the check or change the rule.
TEST(ConditionalMethodsTest, ThresholdsAndRanges) {
  // clang-format off
  static constexpr Case kCases[] = {
      // "08": below 60000 unchecked ("00" expects 8 for 59999), else "00".
      {"08", "59999", true},
      {"08", "60000", false},  // "00": 6 -> expects 4
      {"08", "1234567897", true},
      // "59": fewer than nine digits unchecked, else "00".
      {"59", "12345678", true},  // "00": 5+6+1+4+6+2+2 = 26 expects 4
      {"59", "123456782", true},  // "00" on 012345678: 38 expects 2
      {"59", "123456789", false},
      // "78": eight digits unchecked, else "00".
      {"78", "12345678", true},
      {"78", "123456789", false},
      {"78", "1234567897", true},
      // "95": five ranges unchecked, else "06".
      {"95", "1999999", true},  // "06": 187 mod 11 = 0 expects 0
      {"95", "2000000", false},  // "06": 14 -> expects 8
      {"95", "9000000", true},
      {"95", "25999999", true},
      {"95", "396000000", true},
      {"95", "700000000", true},
      {"95", "950000000", true},  // "06": 27+10 = 37 -> expects 7
      {"95", "990000001", false},  // "06": 27+18 = 45 -> expects 0
      {"95", "1234567892", true},
      {"95", "1234567890", false},
      // "96": "19", then "00", then 0001300000-0099399999 unchecked.
      {"96", "1234567898", true},  // "19": 201 mod 11 = 3 -> 8
      {"96", "1234567897", true},  // "00"
      {"96", "1300000", true},  // "19" expects 8, "00" expects 3
      {"96", "99399999", true},  // "19": 279 -> 7; "00": 60 -> 0
      {"96", "99400000", false},  // "19": 159 -> 6; "00": 26 -> 4
      {"96", "1234567890", false},
      // "99": 0396000000-0499999999 unchecked, else "06".
      {"99", "396000000", true},  // "06": 42+18+9 = 69 -> expects 8
      {"99", "395999999", false},  // "06": 242 mod 11 = 0 -> expects 0
      {"99", "500000000", false},  // "06": 15 -> expects 7
      {"99", "1234567892", true},
      // "A0": up to 999 unchecked; else p5-p9 w 2, 4, 8, 5, 10.
      {"A0", "999", true},  // 18+36 = 54, mod 11 = 10 -> expects 1
      {"A0", "1000", false},  // 8 -> expects 3
      {"A0", "1234567891", true},  // 18+32+56+30+50 = 186, mod 11 = 10 -> 1
      {"A0", "1234567890", false},
      // "B7": "01" only for 0001000000-0005999999 and 0700000000-0899999999.
      {"B7", "1234567890", true},  // unchecked; "01" would expect 9
      {"B7", "712345675", true},  // "01": 21+42+5+12+21+2+3+49 = 155 -> 5
      {"B7", "712345678", false},
      {"B7", "1234569", true},  // "01": 18+35+4+9+14+1 = 81 -> 9
      {"B7", "1234567", false},
      {"B7", "5999996", true},  // "01": 27+63+9+27+63+5 = 194 -> 6
      {"B7", "5999999", false},
      {"B7", "6000000", true},  // unchecked; "01" would expect 4
      {"B7", "800000000", false},  // "01": 56 -> expects 4
      {"B7", "810011825", true},   // "01": 125 -> 5
      {"B7", "800107653", true},   // "01": 127 -> 3
      {"B7", "893524479", false},  // "01": 180 -> expects 0
      {"B7", "899999990", false},  // "01": 281 -> expects 9
      {"B7", "900000000", true},   // unchecked; "01" would expect 7
      {"B7", "999999999", true},
      // "B8": "20", "29", then leading 510-599 or 901-910 unchecked.
      {"B8", "1234567896", true},  // "20": 203 mod 11 = 5 -> 6
      {"B8", "1234567895", true},  // "29"
      {"B8", "5101234567", true},  // "20": 101 -> 9; "29": 35 -> 5
      {"B8", "6001234567", false},  // "20": 95 -> 4; "29": 31 -> 9
      {"B8", "9101234567", true},  // "20": 113 -> 8; "29": 34 -> 6
      {"B8", "9111234567", false},  // "20": 121 -> 0; "29": 35 -> 5
      {"B8", "5091234567", false},  // "20": 164 -> 1; "29": 37 -> 3
      // "D8": leading three digits >= 100 "00"; 1-9 unchecked; else fail.
      {"D8", "1234567897", true},
      {"D8", "1234567890", false},
      {"D8", "12345678", true},  // t = 1; "00" expects 4
      {"D8", "99999999", true},  // t = 9
      {"D8", "100000009", false},  // t = 10, though "00" passes
      {"D8", "9999996", false},  // t = 0, though "00" passes (54 -> 6)
  };
  // clang-format on
  ExpectAll(kCases);
}

// "57" classes by the first two digits.
TEST(ConditionalMethodsTest, Method57Classes) {
  // clang-format off
  static constexpr Case kCases[] = {
      {"57", "185125434", true},  // the one account of its class with month 85
      {"57", "185125435", false},
      {"57", "4099999999", true},
      {"57", "4012345678", true},
      {"57", "9900000001", true},
      {"57", "12345678", false},  // starts "00"
      {"57", "7777771234", true},  // left check would expect 6
      // p = 15: p3-p4 a month 1-12 and p7-p9 below 500.
      {"57", "1512344993", true},
      {"57", "1512345003", false},  // p7-p9 = 500
      {"57", "1512345123", false},  // p7-p9 = 512
      {"57", "1513344993", false},  // month 13
      {"57", "1500344993", false},  // month 0
      // p = 51: left weights 1, 2, ... cross: 5+2+2+6+4+1+6+5+8 = 39 -> 1.
      {"57", "5123456781", true},
      {"57", "5123456789", false},
      // p = 60: check at p3; "60" + "2345678": 6+0+2+6+4+1+6+5+8 = 38 -> 2.
      {"57", "6022345678", true},
      {"57", "6032345678", false},
      // p = 90: "90" + "2345678": 9+0+2+6+4+1+6+5+8 = 41 -> 9 at p3.
      {"57", "9092345678", true},
  };
  // clang-format on
  ExpectAll(kCases);
}

// Methods that depend on the significant length L.
TEST(ConditionalMethodsTest, LengthConditions) {
  // clang-format off
  static constexpr Case kCases[] = {
      // "23": p1-p6 w 2..7 against p7; remainder 10 expects p6.
      {"23", "1234560999", true},  // 12+15+16+15+12+7 = 77 -> 0
      {"23", "1234561999", false},
      {"23", "9234566000", true},  // 12+15+16+15+12+63 = 133 = 1 mod 11 -> p6
      {"23", "9234560000", false},
      {"23", "1236000", true},  // "000123": 6+6+4 = 16 -> 6 at p7
      {"23", "124000", false},  // L = 6; "000012": 7 -> 4 at p7 would pass
      // "58": p5-p9 w 2..6, no digit for remainder 10; L >= 6.
      {"58", "1234567892", true},
      {"58", "1234567890", false},
      {"58", "1234067890", false},  // "06789": 100 = 1 mod 11
      {"58", "123455", true},  // "12345": 10+12+12+10+6 = 50 -> 5
      {"58", "12343", false},  // L = 5; "01234": 30 -> 3 would pass
      // "64": p1-p6 left w 9, 10, 5, 8, 4, 2 against p7; ten digits.
      {"64", "1234562890", true},  // 9+20+15+32+20+12 = 108 -> 2
      {"64", "1234567890", false},
      {"64", "1234520000", true},  // 100 = 1 mod 11, remainder 10 -> 0
      {"64", "234562890", false},  // L = 9
      // "65": as "61" with trigger "9"; ten digits.
      {"65", "1234567400", true},  // p1-p7: 5+6+1+4+6+2+2 = 26 -> 4 at p8
      {"65", "1234567483", true},  // "8" at p9 is no trigger here
      {"65", "1234567495", true},  // p1-p7 + "95": 26+9+1 = 36 -> 4
      {"65", "1234567083", false},
      {"65", "234567600", false},  // L = 9; "0234567": 24 -> 6 would pass
      // "68": ten digits need "9" at p4; nine starting "4" unchecked; six
      // to nine try p1-p9, then with p3-p4 as "0"; five or fewer fail.
      {"68", "1239567892", true},  // "956789": 9+8+5+6+1+9 = 38 -> 2
      {"68", "1234567897", false},  // "00" passes, but p4 is not "9"
      {"68", "412345670", true},
      {"68", "123456782", true},  // 38 -> 2
      {"68", "123456789", true},  // without p3-p4: 38-4-3 = 31 -> 9
      {"68", "123456783", false},
      {"68", "12344", false},  // L = 5; 8+3+4+1 = 16 -> 4 would pass
      // "71": p2-p7 left w 6..1, remainder 10 expects 1; ten digits.
      {"71", "1234567890", true},  // 12+15+16+15+12+7 = 77 -> 0
      {"71", "1234567891", false},
      {"71", "1234568001", true},  // 78 = 1 mod 11, remainder 10 -> 1
      {"71", "1234568000", false},
      {"71", "234567890", false},  // L = 9
      // "75": L 6 or 7: p5-p9; L 9: p2-p6 against p7, or p3-p7 against p8
      // when the account starts with "9"; left w 2, 1, 2, 1, 2, cross.
      {"75", "123455", true},  // "12345": 2+2+6+4+1 = 15 -> 5
      {"75", "123456", false},
      {"75", "1234567", true},  // "23456": 4+3+8+5+3 = 23 -> 7
      {"75", "1234568", false},
      {"75", "123455789", true},  // "12345" -> 5 at p7
      {"75", "123456789", false},
      {"75", "912345578", true},  // "12345" -> 5 at p8
      {"75", "912345678", false},
      {"75", "11234567", false},  // L = 8
      // "89": L <= 6 and 10 unchecked; 8, 9 "10"; 7 p4-p9 with cross sums.
      {"89", "123456", true},
      {"89", "1234567890", true},
      {"89", "123456789", true},  // "10": 156 mod 11 = 2 -> 9
      {"89", "123456780", false},
      {"89", "1234561", true},  // 3+6+7+6+3+7 = 32 = 10 mod 11 -> 1
      {"89", "1234560", false},  // plain products 77 would expect 0
      // "A1": p3-p9 w 2, 1, ... cross; eight or ten digits.
      {"A1", "1234567891", true},  // 9+8+5+6+1+4+6 = 39 -> 1
      {"A1", "9934567891", true},
      {"A1", "1234567890", false},
      {"A1", "34567891", true},
      {"A1", "934567891", false},  // L = 9
      // "B9": seven or eight digits only.
      // Eight: p3-p9 incremented, w 1, 2, 3, ...: 2+6+1+5+1+10+8 = 33 -> 3/8.
      {"B9", "12345673", true},
      {"B9", "12345678", true},
      {"B9", "12345670", false},
      // Seven: p1-p9 w 1..9 from the right: 56 = 1 mod 11 -> 1 or 6.
      {"B9", "1234561", true},
      {"B9", "1234566", true},
      {"B9", "1234567", false},
      {"B9", "123456", false},
      {"B9", "1234567890", false},
      // "C5" by length.
      {"C5", "123455", true},  // L 6: p5-p9 "12345" left -> 5
      {"C5", "123456", false},
      {"C5", "923458", false},  // p5 "9"; "92345": 9+2+6+4+1 = 22 -> 8
      {"C5", "1234567", false},  // L 7 always fails
      {"C5", "1000000", false},
      {"C5", "30000000", true},  // L 8, p3 "3"
      {"C5", "50000000", true},
      {"C5", "12345678", false},
      {"C5", "123455789", true},  // L 9: p2-p6 "12345" -> 5 at p7
      {"C5", "123456789", false},
      {"C5", "912345578", false},  // p2 "9"; "91234": 9+1+4+3+8 = 25 -> 5
      {"C5", "1234567895", true},  // "29"
      {"C5", "9234567890", true},  // "29": 6+2+4+9+7+6+5+5+6 = 50 -> 0
      {"C5", "1234567897", false},
      {"C5", "3234567893", true},  // "00": 43-2+6 = 47 -> 3
      {"C5", "3234567897", false},
      {"C5", "7012345678", true},
      {"C5", "8512345678", true},
      {"C5", "7112345678", false},
      {"C5", "2123456789", false},
      {"C5", "12345", false},
  };
  // clang-format on
  ExpectAll(kCases);
}

// Methods whose digits, weights or check position follow from digits of the
// account.
TEST(ConditionalMethodsTest, DigitSelectedRules) {
  // clang-format off
  static constexpr Case kCases[] = {
      // "24": incremented w 1, 2, 3, ... from the first non-zero digit.
      {"24", "1234567898", true},  // 2+6+1+5+1+10+8+7+8 = 48 -> 8
      {"24", "1234567890", false},
      {"24", "4234567894", true},  // p1 as "0": "23456789": 44 -> 4
      {"24", "4234567891", false},  // would pass with p1 counted
      {"24", "6234567894", true},
      {"24", "9124567899", true},  // p1-p3 as "000": "456789": 39 -> 9
      {"24", "1239", true},  // "123": 2+6+1 = 9
      {"24", "1234", false},
      // "27": below 1 000 000 000 "00", else the transformation table.
      {"27", "234567899", true},  // "00": 41 -> 9
      {"27", "234567897", false},
      {"27", "1234567895", true},
      {"27", "1234567897", false},  // "00" would pass
      // "41": "9" at p4 blanks p1-p3; then "00" weights.
      {"41", "4569567892", true},  // "956789": 9+8+5+6+1+9 = 38 -> 2
      {"41", "4569567896", false},  // with p1-p3 counted: 54 -> 6
      {"41", "1234567897", true},
      {"41", "1234567890", false},
      // "61": p1-p7 against p8, plus p9-p10 when p9 is "8".
      {"61", "1234567400", true},  // 26 -> 4
      {"61", "1234567500", false},
      {"61", "1234567083", true},  // "1234567" + "83": 26+8+6 = 40 -> 0
      {"61", "1234567483", false},
      // "69": "93..." unchecked, "97..." only "29"; else p1-p7 against p8,
      // then the transformation table.
      {"69", "9312345678", true},
      {"69", "9712345673", true},  // 6+7+1+7+9+4+2+3+8 = 47 -> 3
      {"69", "9712345500", false},  // p1-p7 would give 171 mod 11 = 6 -> 5
      {"69", "1234567900", true},  // p1-p7: 112 mod 11 = 2 -> 9 at p8
      {"69", "1234567895", true},  // transformation table
      {"69", "1234567890", false},
      // "70": p4-p9 when p4 is "5" or p4-p5 "69", else p1-p9; "06" weights.
      {"70", "1234567892", true},
      {"70", "1234567890", false},
      {"70", "1235567890", true},  // "556789": 165 mod 11 = 0 -> 0
      {"70", "1235567896", false},  // p1-p9 would give 181 -> 6
      {"70", "1236967892", true},  // "696789": 196 mod 11 = 9 -> 2
      {"70", "1236967898", false},  // p1-p9 would give 212 -> 8
      // "79": starts "1", "2", "9": p1-p8 against p9; "0" fails.
      {"79", "1234567820", true},  // "12345678": 7+7+3+5+8+3+4+1 = 38 -> 2
      {"79", "1234567897", false},
      {"79", "9234567840", true},  // "92345678": 7+7+3+5+8+3+4+9 = 46 -> 4
      {"79", "5234567898", true},  // 9+8+5+6+1+4+6+2+1 = 42 -> 8
      {"79", "5234567890", false},
      {"79", "123456782", false},  // "00" passes, but p1 is "0"
      // "82": p3-p4 "99" "10"; else p5-p9 w 2..6.
      {"82", "1299567894", true},  // "10": 293 mod 11 = 7 -> 4
      {"82", "1299567892", false},
      {"82", "1234567892", true},
      {"82", "1234067890", true},  // 100 = 1 mod 11, remainder 10 -> 0
      {"82", "1234567890", false},
      // "88": p3 "9": p3-p9 w 2..8; else p4-p9 w 2..7.
      {"88", "1293456786", true},  // "9345678": 203 mod 11 = 5 -> 6
      {"88", "1293456781", false},  // p4-p9 would give 131 -> 1
      {"88", "1234567897", true},
      {"88", "1234567890", false},
      // "93": p5-p9 against p10 after "0000", else p1-p5 against p6;
      // "12345" w 2..6: 50, mod 11 -> 5, mod 7 -> 6.
      {"93", "123455", true},
      {"93", "123456", true},
      {"93", "123450", false},
      {"93", "1234557890", true},
      {"93", "1234567890", true},
      {"93", "1234507890", false},
      {"93", "1240000", true},  // p1-p4 "0001": p1-p5 "00012": 7 -> 4 at p6
      // "A4": not "99": p4-p9 mod 11, mod 7; "99": p5-p9 mod 11; then "93".
      {"A4", "1234567897", true},  // 158 -> 7
      {"A4", "1234567893", true},  // 158 mod 7 = 4 -> 3
      {"A4", "1234567890", true},  // "93": "12345" -> 6 at p6
      {"A4", "1234587891", false},  // 168 -> 8, mod 7 -> 0; p6 "8"
      {"A4", "1299567892", true},  // "56789" -> 2
      {"A4", "1299567895", false},  // p4-p9 would give 5; "93": 0 or 2
      // "A8": p3 "9": p3-p9, then p1-p9 w 2..10; else p4-p9 mod 11, mod 10.
      {"A8", "1235567890", true},  // "556789": 165 -> 0
      {"A8", "1235567896", true},  // cross sums 9+8+5+6+1+5 = 34 -> 6
      {"A8", "1235567891", false},
      {"A8", "1293456786", true},  // 203 -> 6
      {"A8", "1293456780", true},  // p1-p9: 231 mod 11 = 0 -> 0
      {"A8", "1293456781", false},  // p4-p9 would give 131 -> 1
      // "D5": "99": p3-p9 w 2..8; else p4-p9 mod 11, mod 7, plain mod 10.
      {"D5", "1299567890", true},  // 265 = 1 mod 11, remainder 10 -> 0
      {"D5", "1299567891", false},
      {"D5", "1299567895", false},  // p4-p9 would give 5
      {"D5", "1234567897", true},  // 158 -> 7
      {"D5", "1234567893", true},  // 158 mod 7 = 4 -> 3
      {"D5", "1234567892", true},  // 158 mod 10 = 8 -> 2
      {"D5", "1234567890", false},
  };
  // clang-format on
  ExpectAll(kCases);
}

// Methods that choose another method by the leading digits, or chain them.
TEST(ConditionalMethodsTest, LeadingDigitChoices) {
  // clang-format off
  static constexpr Case kCases[] = {
      // "A5": "00", then "10" unless the account starts with "9".
      {"A5", "1234567897", true},
      {"A5", "1234567890", true},  // "10"
      {"A5", "1234567891", false},
      {"A5", "9234567897", false},  // "10": 290 -> 7; "00": 50 -> 0
      // "A6": p2 "8" "00", else "01".
      {"A6", "1234567899", true},  // "01": 171 -> 9
      {"A6", "1234567897", false},
      {"A6", "1834567891", true},  // "00": 49 -> 1
      {"A6", "1834567897", false},  // "01" would pass: 213 -> 7
      // "B0": starts "0" or "8" fails; p8 "1", "2", "3", "6" unchecked.
      {"B0", "1234567892", true},
      {"B0", "1234567890", false},
      {"B0", "1234567190", true},  // "06": 153 = 10 mod 11 -> 1
      {"B0", "1234567690", true},  // "06": 168 mod 11 = 3 -> 8
      {"B0", "8234567897", false},  // "06": 202 mod 11 = 4 -> 7
      {"B0", "8234567190", false},
      {"B0", "234567892", false},
      {"B0", "234567190", false},
      // "B2": starts "8"/"9" "00", else "02"; "B4": starts "9" "00".
      // 1334567...: "02": 211 mod 11 = 2 -> 9; "00": 44 -> 6.
      {"B2", "1334567899", true},
      {"B2", "1334567896", false},
      {"B2", "9334567899", true},  // "00": 51 -> 9
      {"B2", "9334567894", false},  // "02": 227 -> 4
      {"B2", "8334567891", true},  // "00": 49 -> 1
      {"B4", "1334567899", true},
      {"B4", "1334567896", false},
      {"B4", "9334567899", true},
      {"B4", "9334567894", false},
      {"B4", "8334567891", false},  // "02": 225 -> 6
      // "B3": starts "9" "06", else "32".
      {"B3", "1234567897", true},
      {"B3", "1234567890", false},
      {"B3", "9234567893", true},  // "06": 206 mod 11 = 8 -> 3
      {"B3", "9234567897", false},
      // "B5": "05", then "00" unless the account starts with "8" or "9".
      // 1334567...: "05": 186 -> 4; "00": 44 -> 6.
      {"B5", "1334567894", true},
      {"B5", "1334567896", true},
      {"B5", "1334567890", false},
      {"B5", "8334567897", true},  // "05": 193 -> 7
      {"B5", "8334567891", false},  // "00" would pass
      // "C1": starts "5": alternating p1-p9; else "17".
      {"C1", "5123456785", true},  // 5+2+2+6+4+1+6+5+8 = 39, 38 mod 11 = 5
      {"C1", "5123456789", false},
      {"C1", "1234567990", true},  // "17": 2+6+4+1+6+5 = 24, 23 mod 11 = 1 -> 9
      {"C1", "1234567890", false},
      // "C3": starts "9" "58", else "00"; "C4": "58", else "15".
      {"C3", "1234567897", true},
      {"C3", "1234567890", false},
      {"C3", "9234567892", true},
      {"C3", "9234567890", false},  // "00" would pass
      {"C4", "1234567890", true},  // "15": 100 = 1 mod 11 -> 0
      {"C4", "1234567897", false},
      {"C4", "9234567892", true},
      {"C4", "9234567890", false},
      // "D0": starts "57" unchecked, else "20".
      {"D0", "5712345670", true},  // "20" expects 8
      {"D0", "1234567896", true},
      {"D0", "1234567890", false},
  };
  // clang-format on
  ExpectAll(kCases);
}

// "D2" shares four of the five unchecked ranges of "95", then tries "06",
// "00" and "68".
TEST(ConditionalMethodsTest, MethodD2AgainstMethod95) {
  // clang-format off
  static constexpr Case kCases[] = {
      {"95", "950000002", true},
      {"D2", "950000000", true},  // computed: "06": 37 -> 7; "00": 1+9 = 10 -> 0
      {"D2", "950000002", false},  // "06" -> 7; "00" -> 0; "68" -> 0, then 1
      {"D2", "1999999", true},  // "06" -> 0; "00" -> 4; "68" -> 4, then 5
      {"D2", "1234567892", true},
      {"D2", "1234567897", true},
      {"D2", "123456789", true},  // "68" only: "06" -> 5, "00" -> 2
      {"D2", "1234567890", false},
  };
  // clang-format on
  ExpectAll(kCases);
}

// The methods with a branch that applies only after a given day.
TEST(ConditionalMethodsTest, DateLimits) {
  struct DatedCase {
    const char* code;
    const char* account;
    std::chrono::year_month_day today;
    bool passes;
  };
  // clang-format off
  const DatedCase kCases[] = {
      // "45": unchecked for p1 "0" or p5 "1"; "48..." too after 3 June 2018.
      {"45", "123456789", year{2018} / 1 / 1, true},
      {"45", "2345167891", year{2018} / 1 / 1, true},  // computed: 50 -> 0
      {"45", "1234567897", year{2018} / 1 / 1, true},
      {"45", "1234567890", year{2018} / 1 / 1, false},
      {"45", "4812345670", year{2018} / 6 / 3, false},  // 42 -> 8
      {"45", "4812345670", year{2018} / 6 / 4, true},
      // "66": p2-p9 w 2, 3, 4, 5, 6, 0, 0, 7; "9" at p2 unchecked after
      // 2 March 2014; ten digits fail.
      {"66", "123456784", year{2014} / 3 / 2, true},  // 117 mod 11 = 7 -> 4
      {"66", "123456789", year{2014} / 3 / 2, false},
      {"66", "1123456784", year{2020} / 1 / 1, false},
      {"66", "923456789", year{2014} / 3 / 2, false},  // 173 mod 11 = 8 -> 3
      {"66", "923456783", year{2014} / 3 / 2, true},
      {"66", "923456789", year{2014} / 3 / 3, true},
      // "74": "00"; six digits also the next-five rule; "04" after
      // 4 December 2016.
      {"74", "1234567897", year{2016} / 1 / 1, true},
      {"74", "123450", year{2016} / 1 / 1, true},  // 1+4+6+2+2 = 15 -> 0
      {"74", "1234561", year{2020} / 1 / 1, false},  // next-five 24 -> 1, but L = 7
      {"74", "1234567892", year{2016} / 12 / 4, false},  // "00" -> 7
      {"74", "1234567892", year{2016} / 12 / 5, true},  // "04" -> 2
      {"74", "1234567890", year{2020} / 1 / 1, false},
  };
  // clang-format on
  for (const DatedCase& c : kCases) {
    platform::ScopedClockOverride pin(c.today);
    EXPECT_EQ(Passes(c.code, c.account), c.passes)
        << "method " << c.code << ", account " << c.account;
  }
}

// A single digit "0" reaches the method with L = 1: "00" passes it, "74"
// refuses accounts shorter than two digits.
TEST(ConditionalMethodsTest, Method74RefusesSingleDigits) {
  std::string forMethod00 = "0";
  std::string forMethod74 = "0";
  EXPECT_EQ(verifyAccount(forMethod00, 0, CheckMethodCode("00")), 1);
  EXPECT_EQ(verifyAccount(forMethod74, 0, CheckMethodCode("74")), 0);
}

}  // namespace
}  // namespace talvenor::checkdigit
