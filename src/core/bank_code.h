// A German bank code, carried as number and as its eight-digit text
// together, so that neither has to be derived again on the way through a
// conversion.
#ifndef TALVENOR_CORE_BANK_CODE_H_
#define TALVENOR_CORE_BANK_CODE_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace talvenor {

class BankCode {
 public:
  // Exactly eight decimal digits, or nothing.
  static std::optional<BankCode> Parse(std::string_view text);
  // REQUIRES: number < 100000000.
  static BankCode FromNumber(std::uint32_t number);
  // The bank code 00000000, which no bank has.
  BankCode() = default;

  std::uint32_t number() const { return number_; }
  std::string_view text() const { return {text_.data(), text_.size()}; }

 private:
  std::uint32_t number_ = 0;
  std::array<char, 8> text_{'0', '0', '0', '0', '0', '0', '0', '0'};
};

}  // namespace talvenor

#endif  // TALVENOR_CORE_BANK_CODE_H_
