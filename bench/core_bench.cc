// Throughput of the calculation core: building the directory from the
// built-in edition, looking banks up, forming IBANs, checking accounts and
// whole single conversions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "core/account_conversion.h"
#include "core/iban.h"
#include "core/iban_check.h"
#include "core/single_conversion.h"
#include "editions/bank_code_file.h"
#include "editions/builtin_directory.h"

namespace {

using talvenor::editions::BuiltinDirectory;

// Ten-digit account texts from a fixed seed.
std::vector<std::string> Accounts(std::size_t count) {
  std::mt19937_64 random(42);
  std::uniform_int_distribution<long long> digits(1, 9999999999LL);
  std::vector<std::string> accounts;
  for (std::size_t i = 0; i < count; ++i) accounts.push_back(std::to_string(digits(random)));
  return accounts;
}

std::vector<std::string> BankCodes() {
  std::vector<std::string> codes;
  for (const auto& record : BuiltinDirectory().records()) codes.push_back(record.bankCodeText());
  return codes;
}

void BM_BuildDirectory(benchmark::State& state) {
  for (auto _ : state) {
    talvenor::editions::BankCodeFile file;
    std::string error;
    talvenor::editions::ReadBankCodeFile(talvenor::editions::BuiltinEditionText(), file, error);
    talvenor::BankDirectory directory(std::move(file.records));
    benchmark::DoNotOptimize(directory.size());
  }
}
BENCHMARK(BM_BuildDirectory)->Unit(benchmark::kMillisecond);

void BM_Lookup(benchmark::State& state) {
  std::vector<std::uint32_t> codes;
  for (const auto& record : BuiltinDirectory().records()) codes.push_back(record.bankCode());
  std::mt19937 random(7);
  std::shuffle(codes.begin(), codes.end(), random);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuiltinDirectory().Lookup(codes[i++ % codes.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lookup);

void BM_LookupText(benchmark::State& state) {
  const auto codes = BankCodes();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuiltinDirectory().Lookup(codes[i++ % codes.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LookupText);

// Forming an IBAN from texts into a reused buffer, as the rule engine does.
void BM_FormIban(benchmark::State& state) {
  const auto accounts = Accounts(4096);
  std::string iban;
  std::size_t i = 0;
  for (auto _ : state) {
    talvenor::FormIban("37050198", accounts[i++ % accounts.size()], iban);
    benchmark::DoNotOptimize(iban.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormIban);

void BM_VerifyAccountEveryMethod(benchmark::State& state) {
  const auto accounts = Accounts(4096);
  std::vector<int> methods;
  for (int index = 0; index < talvenor::checkdigit::kHandledMethodCount; ++index) {
    methods.push_back(
        talvenor::checkdigit::CheckMethodCode(talvenor::checkdigit::MethodCodeText(index)));
  }
  std::string adjusted;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(talvenor::checkdigit::verifyAccountNumber(
        accounts[i % accounts.size()], 37050198L, methods[i % methods.size()], adjusted));
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VerifyAccountEveryMethod);

// The core step as the batch run uses it: one result reused.
void BM_ConvertAccount(benchmark::State& state) {
  std::vector<talvenor::BankCode> codes;
  for (const auto& record : BuiltinDirectory().records()) {
    codes.push_back(talvenor::BankCode::FromNumber(record.bankCode()));
  }
  const auto accounts = Accounts(4096);
  talvenor::AccountResult result;
  std::size_t i = 0;
  for (auto _ : state) {
    const talvenor::AccountRequest request{codes[i % codes.size()], accounts[i % accounts.size()]};
    talvenor::ConvertAccount(BuiltinDirectory(), request, result);
    benchmark::DoNotOptimize(result.texts.iban.data());
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvertAccount);

void BM_ConvertSingle(benchmark::State& state) {
  const auto codes = BankCodes();
  const auto accounts = Accounts(4096);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(talvenor::ConvertSingle(BuiltinDirectory(), codes[i % codes.size()],
                                                     accounts[i % accounts.size()], {}));
    ++i;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConvertSingle);

// The IBAN check of IBANs formed from every bank code and random accounts
// (most of which fail their method), as the IBAN file check runs it.
void BM_CheckIban(benchmark::State& state) {
  const auto codes = BankCodes();
  const auto accounts = Accounts(4096);
  std::vector<std::string> ibans;
  for (std::size_t i = 0; i < 8192; ++i) {
    ibans.push_back(talvenor::FormIban(codes[i % codes.size()], accounts[i % accounts.size()]));
  }
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(talvenor::CheckIban(BuiltinDirectory(), ibans[i++ % ibans.size()]));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CheckIban);

}  // namespace

BENCHMARK_MAIN();
