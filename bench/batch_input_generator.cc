// Writes a synthetic IBANHIN file of N records over the built-in bank
// directory, for measuring batch runs:
//
//   batch_input_generator [--csv] [--gzip] [--seed S] RECORDS OUTPUT
//
// Records use the built-in layout (fixed length of 145, or ";"-separated
// with quoted fields). Banks are drawn evenly from the directory, so the
// mix of check-digit methods and IBAN rules is the directory's own. Of the
// records, about 80 % carry an account that passes the bank's method, 12 %
// a random account (mostly failing), 3 % an account of zeros, 3 % a bank
// code that is not in the directory and 2 % a foreign country code.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "editions/builtin_directory.h"

namespace {

struct Account {
  std::string bankCode;
  std::string account;  // ten digits
};

std::string TenDigits(std::uint64_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%010llu",
                static_cast<unsigned long long>(value % 10000000000ULL));
  return text;
}

// A pool of bank/account pairs, most of whose accounts pass the bank's
// method; records are drawn from it so that generation stays fast.
std::vector<Account> Pool(std::mt19937_64& random, std::size_t size) {
  const auto records = talvenor::editions::BuiltinDirectory().records();
  std::uniform_int_distribution<std::size_t> bank(0, records.size() - 1);
  std::uniform_int_distribution<std::uint64_t> digits(1, 9999999999ULL);
  std::vector<Account> pool;
  pool.reserve(size);
  std::string adjusted;
  while (pool.size() < size) {
    const auto& record = records[bank(random)];
    const int method = talvenor::checkdigit::CheckMethodCode(record.checkMethod());
    std::string account = TenDigits(digits(random));
    // Look for a passing account among a few candidates; some methods pass
    // almost nothing, and those banks keep a failing one.
    for (int attempt = 0; attempt < 200; ++attempt) {
      if (talvenor::checkdigit::verifyAccountNumber(account, record.bankCodeText(), method,
                                                    adjusted) > 0) {
        break;
      }
      account = TenDigits(digits(random));
    }
    pool.push_back({record.bankCodeText(), account});
  }
  return pool;
}

std::string Padded(std::string text, std::size_t width) {
  text.resize(width, ' ');
  return text;
}

std::string Record(const std::string& country, const std::string& bank, const std::string& account,
                   std::size_t number, bool csv) {
  const std::string user = "U" + std::to_string(number % 10000);
  const std::string reference = "Referenz " + std::to_string(number);
  if (csv) {
    return "\"" + country + "\";\"" + user + "\";\"" + reference + "\";\"\";\"\";" + bank + ";" +
           account + ";\"\";\"\";\"\";\"\";\r\n";
  }
  return Padded(country, 2) + Padded(user, 5) + Padded(reference, 30) + Padded("", 11) +
         Padded("", 4) + Padded(bank, 8) + Padded(account, 10) + Padded("", 20) + Padded("", 11) +
         Padded("", 22) + Padded("", 20) + Padded("", 2) + "\r\n";
}

int Usage() {
  std::fprintf(stderr, "usage: batch_input_generator [--csv] [--gzip] [--seed S] RECORDS OUTPUT\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool csv = false;
  bool gzip = false;
  std::uint64_t seed = 1;
  std::vector<std::string> operands;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--csv") == 0) {
      csv = true;
    } else if (std::strcmp(argv[i], "--gzip") == 0) {
      gzip = true;
    } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else {
      operands.emplace_back(argv[i]);
    }
  }
  if (operands.size() != 2) return Usage();
  const std::size_t records = std::strtoull(operands[0].c_str(), nullptr, 10);

  std::mt19937_64 random(seed);
  const std::vector<Account> pool = Pool(random, 200000);
  std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::uniform_int_distribution<std::uint64_t> digits(1, 9999999999ULL);

  gzFile compressed = nullptr;
  std::FILE* plain = nullptr;
  if (gzip) {
    compressed = gzopen(operands[1].c_str(), "wb6");
    if (compressed != nullptr) gzbuffer(compressed, 1 << 18);
  } else {
    plain = std::fopen(operands[1].c_str(), "wb");
  }
  if (compressed == nullptr && plain == nullptr) {
    std::perror(operands[1].c_str());
    return 1;
  }

  for (std::size_t n = 0; n < records; ++n) {
    const Account& entry = pool[pick(random)];
    std::string country = "DE";
    std::string bank = entry.bankCode;
    std::string account = entry.account;
    const int kind = percent(random);
    if (kind < 12) {
      account = TenDigits(digits(random));
    } else if (kind < 15) {
      account = "0000000000";
    } else if (kind < 18) {
      bank = "9" + bank.substr(1);  // no bank code begins with 9
    } else if (kind < 20) {
      country = "AT";
    }
    const std::string line = Record(country, bank, account, n, csv);
    const bool written =
        gzip ? gzwrite(compressed, line.data(), static_cast<unsigned>(line.size())) ==
                   static_cast<int>(line.size())
             : std::fwrite(line.data(), 1, line.size(), plain) == line.size();
    if (!written) {
      std::fprintf(stderr, "%s: write failed\n", operands[1].c_str());
      return 1;
    }
  }
  const bool closed = gzip ? gzclose(compressed) == Z_OK : std::fclose(plain) == 0;
  if (!closed) {
    std::fprintf(stderr, "%s: close failed\n", operands[1].c_str());
    return 1;
  }
  return 0;
}
