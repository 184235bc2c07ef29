// Check-digit methods that try other methods in a fixed order.
//
// The first method that passes makes the account pass; when none passes the
// account fails. The tried methods run by code on the same account, so each
// rule is written once, in its own method.
#include <chrono>

#include "checkdigit/method_catalogue.h"
#include "checkdigit/primitives.h"
#include "platform/clock.h"

namespace talvenor::checkdigit {
namespace {

// "49": "00", else "01".
bool Method49(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("01", account);
}

// "98": modulus 10 over positions 3-9 (positions 1 and 2 weigh 0), else "32".
constexpr int kWeights98[] = {3, 1, 7, 3, 1, 7, 3, 0, 0};
bool Method98(MethodAccount& account) {
  return weightedMod10(account.Body(), account.check, kWeights98, 0) || RunMethod("32", account);
}

// "A2": "00", else "04".
bool MethodA2(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("04", account);
}

// "A3": "00", else "10".
bool MethodA3(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("10", account);
}

// "A7": "00", else "03".
bool MethodA7(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("03", account);
}

// "A9": "01", else "06".
bool MethodA9(MethodAccount& account) {
  return RunMethod("01", account) || RunMethod("06", account);
}

// "B1": "05", else "01", else "00".
bool MethodB1(MethodAccount& account) {
  return RunMethod("05", account) || RunMethod("01", account) || RunMethod("00", account);
}

// Whether "C2" tries its third method: from 4 September 2017 on.
bool C2TriesMethod04() {
  using namespace std::chrono;
  return platform::LocalToday() > year{2017} / September / 3;
}

// "C2": "22", else "00", else (from 4 September 2017 on) "04".
bool MethodC2(MethodAccount& account) {
  return RunMethod("22", account) || RunMethod("00", account) ||
         (C2TriesMethod04() && RunMethod("04", account));
}

// "C8": "00", else "04", else "07".
bool MethodC8(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("04", account) || RunMethod("07", account);
}

// "C9": "00", else "07".
bool MethodC9(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("07", account);
}

// "D3": "00", else "27".
bool MethodD3(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("27", account);
}

// "D6": "07", else "03", else "00".
bool MethodD6(MethodAccount& account) {
  return RunMethod("07", account) || RunMethod("03", account) || RunMethod("00", account);
}

// "D9": "00", else "10", else "18".
bool MethodD9(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("10", account) || RunMethod("18", account);
}

// "E3": "00", else "21".
bool MethodE3(MethodAccount& account) {
  return RunMethod("00", account) || RunMethod("21", account);
}

// "E4": "02", else "00".
bool MethodE4(MethodAccount& account) {
  return RunMethod("02", account) || RunMethod("00", account);
}

// clang-format off
constexpr MethodEntry kEntries[] = {
    {CheckMethodCode("49"), &Method49}, {CheckMethodCode("98"), &Method98},
    {CheckMethodCode("A2"), &MethodA2}, {CheckMethodCode("A3"), &MethodA3},
    {CheckMethodCode("A7"), &MethodA7}, {CheckMethodCode("A9"), &MethodA9},
    {CheckMethodCode("B1"), &MethodB1}, {CheckMethodCode("C2"), &MethodC2},
    {CheckMethodCode("C8"), &MethodC8}, {CheckMethodCode("C9"), &MethodC9},
    {CheckMethodCode("D3"), &MethodD3}, {CheckMethodCode("D6"), &MethodD6},
    {CheckMethodCode("D9"), &MethodD9}, {CheckMethodCode("E3"), &MethodE3},
    {CheckMethodCode("E4"), &MethodE4},
};
// clang-format on

}  // namespace

std::span<const MethodEntry> ChainedMethods() { return kEntries; }

}  // namespace talvenor::checkdigit
