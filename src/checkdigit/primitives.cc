#include "checkdigit/primitives.h"

#include <array>
#include <cstdio>
#include <string>

#include "platform/number_text.h"

namespace talvenor::checkdigit {
namespace {

// 10 - (sum mod 10), with 10 read as 0.
int TenComplement(int sum) { return (10 - sum % 10) % 10; }

// Mathematical remainder, never negative.
int Modulo(int value, int modulus) {
  const int r = value % modulus;
  return r < 0 ? r + modulus : r;
}

int LastDigit(std::string_view digits) { return digits.empty() ? 0 : DigitValue(digits.back()); }

// Sum of weight * digit from the left.
int LeftWeightedSum(std::string_view digits, Weights weights, bool cross) {
  int sum = 0;
  const std::size_t n = std::min(digits.size(), weights.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int product = weights[i] * DigitValue(digits[i]);
    sum += cross ? CrossSum(product) : product;
  }
  return sum;
}

}  // namespace

bool weightedMod10(std::string_view digits, int check, Weights weights, int crossMode, int addend) {
  const int remainder = (WeightedSum(digits, weights, crossMode != 0) + addend) % 10;
  const int expected = crossMode < 0 ? remainder : TenComplement(remainder);
  return check == expected;
}

bool weightedMod11(std::string_view digits, int check, Weights weights, int tenRule,
                   int crossMode) {
  const int sum = WeightedSum(digits, weights, crossMode != 0);
  int r = 0;
  if (tenRule == 8) {
    r = sum % 11;
  } else {
    r = 11 - sum % 11;
    if (r == 11) {
      if (tenRule == 7) return false;
      r = 0;
    }
  }
  if (r == 10) {
    switch (tenRule) {
      case 0:
      case 1:
        return check == 0;
      case 2:
      case 6:
        return check == LastDigit(digits);
      case 3:
        return check == 9;
      case 4:
        return check == 1;
      case 8:
        return check == 0 || check == 5;
      default:
        return false;
    }
  }
  if (tenRule == 8) return check == r || check == (r + 5) % 10;
  return check == r;
}

bool crossSumMod10Reduced(std::string_view digits, int check, Weights weights) {
  int sum = WeightedSum(digits, weights, true);
  while (sum >= 10) {
    int reduced = 0;
    for (; sum > 0; sum /= 10) reduced += sum % 10;
    sum = reduced;
  }
  return check == TenComplement(sum);
}

bool unitsMod10(std::string_view digits, int check, Weights weights) {
  int sum = 0;
  const std::size_t n = std::min(digits.size(), weights.size());
  for (std::size_t i = 0; i < n; ++i) {
    sum += (weights[i] * DigitValue(digits[digits.size() - 1 - i])) % 10;
  }
  return check == TenComplement(sum);
}

bool nextFiveMod10(std::string_view digits, int check, Weights weights) {
  const int sum = WeightedSum(digits, weights, true);
  const int expected = sum < 5 ? (5 - sum) % 5 : Modulo(5 - sum % 10, 10);
  return check == expected;
}

bool leftWeightedMod10(std::string_view digits, int check, Weights weights, int crossMode) {
  const int remainder = LeftWeightedSum(digits, weights, crossMode != 0) % 10;
  const int expected = crossMode < 0 ? remainder : TenComplement(remainder);
  return check == expected;
}

bool alternatingLeftMod11(std::string_view digits, int check, Weights weights) {
  int sum = 0;
  const std::size_t n = std::min(digits.size(), weights.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int product = weights[i] * DigitValue(digits[i]);
    sum += (i % 2 == 0) ? product : CrossSum(product);
  }
  // A sum of 0 gives (0 - 1) mod 11 = 10, so the expected digit is 0.
  const int b = Modulo(sum - 1, 11);
  return check == (b == 0 ? 0 : 10 - b);
}

bool incrementedMod11(std::string_view digits, int check, Weights weights, bool tolerant) {
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string_view::npos)
    digits = {};
  else
    digits.remove_prefix(first);
  int sum = 0;
  std::size_t weight = 0;
  for (char c : digits) {
    if (weight >= weights.size()) break;
    if (tolerant && !platform::IsDigit(c)) continue;
    sum += Modulo((c - '0' + 1) * weights[weight++], 11);
  }
  const int expected = sum % 10;
  return check == expected || (tolerant && check == (expected + 5) % 10);
}

bool mod11DirectLastDigit(std::string_view digits, int check, Weights weights) {
  const int r = WeightedSum(digits, weights, false) % 11;
  return r == 10 ? check == LastDigit(digits) : check == r;
}

bool mod11Direct(std::string_view digits, int check, Weights weights) {
  const int r = WeightedSum(digits, weights, false) % 11;
  return r != 10 && check == r;
}

bool mod11OneToZero(std::string_view digits, int check, Weights weights) {
  const int r = WeightedSum(digits, weights, false) % 11;
  const int expected = r == 0 ? 1 : (r == 1 ? 0 : 11 - r);
  return check == expected;
}

bool mod11Remainder0or1Nine(std::string_view digits, int check, Weights weights) {
  const int r = WeightedSum(digits, weights, false) % 11;
  if (r > 1) return check == 11 - r;
  return digits.size() == 9 && digits.front() == '9' && check == 7;
}

bool mod11LeftTenRule(std::string_view digits, int check, Weights weights, int tenRule) {
  int r = 11 - LeftWeightedSum(digits, weights, false) % 11;
  if (r == 11) r = 0;
  if (r == 10) {
    switch (tenRule) {
      case 0:
      case 1:
        r = 0;
        break;
      case 2:
        check = LastDigit(digits);
        r = 0;
        break;
      case 3:
        r = 9;
        break;
      case 4:
        r = 1;
        break;
      default:
        return false;
    }
  }
  return check == r;
}

bool mod11TwoSums(std::string_view digits, Weights weights) {
  static constexpr int kSecondWeights[] = {5, 4, 3, 4, 5};
  return WeightedSum(digits, weights, false) % 11 == 0 ||
         WeightedSum(digits, kSecondWeights, false) % 11 == 0;
}

bool weightedMod7(std::string_view digits, int check, Weights weights, int crossMode) {
  const int sum = WeightedSum(digits, weights, crossMode != 0);
  return check == (7 - sum % 7) % 7;
}

bool weightedMod9(std::string_view digits, int check, Weights weights) {
  const int sum = WeightedSum(digits, weights, false);
  return check == (9 - sum % 9) % 9;
}

bool transformedMod10(std::string_view digits, int check) {
  // clang-format off
  static constexpr int kRows[4][10] = {
      {0, 1, 5, 9, 3, 7, 4, 8, 2, 6},
      {0, 1, 7, 6, 9, 8, 3, 2, 5, 4},
      {0, 1, 8, 4, 6, 2, 9, 5, 7, 3},
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
  };
  // clang-format on
  // Row used by each position from the left (rows counted from 1).
  static constexpr int kRowOfPosition[9] = {1, 4, 3, 2, 1, 4, 3, 2, 1};
  int sum = 0;
  const std::size_t n = std::min<std::size_t>(digits.size(), 9);
  for (std::size_t i = 0; i < n; ++i) {
    sum += kRows[kRowOfPosition[i] - 1][DigitValue(digits[i])];
  }
  return check == TenComplement(sum);
}

bool mod11PlaceTable(std::string_view account, long bankCode, int variant) {
  static constexpr int kPlaceWeights[] = {2, 4, 8, 5, 10, 9, 7, 3, 6, 1, 2, 4};
  constexpr std::size_t kSetAsidePlace = 5;  // the sixth character from the left

  char bank[32];
  std::snprintf(bank, sizeof bank, "%ld", bankCode);
  std::string built = std::string(bank).size() > 4 ? std::string(bank).substr(4, 4) : "";
  const auto at = [&](std::size_t position) {  // 1-based, blank when absent
    return position <= account.size() ? account[position - 1] : ' ';
  };
  if (variant == 0) {
    built += at(3);
    built += at(4);
  } else {
    built += at(2);
    built += at(4);
    if (built.size() >= 3) built[2] = at(3);
  }
  std::string_view tail = account.size() > 6 ? account.substr(account.size() - 6) : account;
  const std::size_t firstNonZero = tail.find_first_not_of('0');
  tail.remove_prefix(firstNonZero == std::string_view::npos ? tail.size() : firstNonZero);
  built += tail;

  int sum = 0;
  int setAsideDigit = 0;
  int setAsideWeight = 0;
  for (std::size_t k = 0; k < built.size(); ++k) {
    const std::size_t position = built.size() - 1 - k;
    const int weight = kPlaceWeights[k % std::size(kPlaceWeights)];
    const int digit = DigitValue(built[position]);
    if (position == kSetAsidePlace) {
      setAsideDigit = digit;
      setAsideWeight = weight;
    } else {
      sum += weight * digit;
    }
  }
  return (sum % 11 + setAsideDigit * setAsideWeight) % 11 == 10;
}

}  // namespace talvenor::checkdigit
