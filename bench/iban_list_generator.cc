// Writes a synthetic list of N IBANs over the built-in bank directory, for
// measuring the IBAN file check:
//
//   iban_list_generator [--csv] [--gzip] [--seed S] COUNT OUTPUT
//
// One IBAN a line, or with --csv a ";"-separated table with a header
// ("Kunde;IBAN;Betrag") whose second column holds the IBAN. Banks are
// drawn evenly from the directory, so the mix of check-digit methods and
// IBAN rules is the directory's own. Of the IBANs, about 80 % are formed
// from a bank code and an account that passes the bank's method, 8 % from
// a random account (mostly failing), 5 % have wrong check digits, 3 % an
// unknown bank code, and 4 % are valid IBANs of other countries. One in
// ten is written in the paper form, in small letters.
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "checkdigit/account_verifier.h"
#include "checkdigit/check_method_code.h"
#include "core/iban.h"
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
// method; IBANs are drawn from it so that generation stays fast.
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

// MOD 97-10 of an IBAN's text with its first four characters moved to the
// end, letters read as 10 to 35.
int Mod97(const std::string& iban) {
  int remainder = 0;
  const std::string moved = iban.substr(4) + iban.substr(0, 4);
  for (const char c : moved) {
    if (c >= '0' && c <= '9') {
      remainder = (remainder * 10 + (c - '0')) % 97;
    } else {
      remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
    }
  }
  return remainder;
}

// A valid IBAN of `country` with `bban`: the check digits computed.
std::string ForeignIban(const std::string& country, const std::string& bban) {
  const int check = 98 - Mod97(country + "00" + bban);
  std::string iban = country;
  iban += static_cast<char>('0' + check / 10);
  iban += static_cast<char>('0' + check % 10);
  iban += bban;
  return iban;
}

std::string PaperForm(const std::string& iban) {
  std::string paper;
  for (std::size_t i = 0; i < iban.size(); ++i) {
    if (i > 0 && i % 4 == 0) paper += ' ';
    const char c = iban[i];
    paper += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  return paper;
}

int Usage() {
  std::fprintf(stderr, "usage: iban_list_generator [--csv] [--gzip] [--seed S] COUNT OUTPUT\n");
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
  const std::size_t count = std::strtoull(operands[0].c_str(), nullptr, 10);

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
  const auto write = [&](const std::string& line) {
    return gzip ? gzwrite(compressed, line.data(), static_cast<unsigned>(line.size())) ==
                      static_cast<int>(line.size())
                : std::fwrite(line.data(), 1, line.size(), plain) == line.size();
  };

  bool written = !csv || write("Kunde;IBAN;Betrag\n");
  std::string iban;
  for (std::size_t n = 0; n < count && written; ++n) {
    const Account& entry = pool[pick(random)];
    const int kind = percent(random);
    if (kind < 8) {
      talvenor::FormIban(entry.bankCode, TenDigits(digits(random)), iban);
    } else if (kind < 13) {
      talvenor::FormIban(entry.bankCode, entry.account, iban);
      // Other check digits: never the right ones.
      const int wrong = ((iban[2] - '0') * 10 + (iban[3] - '0') + 1 + percent(random) % 90) % 97;
      iban[2] = static_cast<char>('0' + (wrong < 2 ? wrong + 2 : wrong) / 10);
      iban[3] = static_cast<char>('0' + (wrong < 2 ? wrong + 2 : wrong) % 10);
    } else if (kind < 16) {
      // No bank code begins with 9.
      std::string unknown = entry.bankCode;
      unknown[0] = '9';
      talvenor::FormIban(unknown, entry.account, iban);
    } else if (kind < 18) {
      iban = ForeignIban("AT", entry.bankCode.substr(0, 5).append("0").append(entry.account));
    } else if (kind < 20) {
      iban = ForeignIban("NL", std::string("ABNA").append(entry.account));
    } else {
      talvenor::FormIban(entry.bankCode, entry.account, iban);
    }
    std::string line = n % 10 == 7 ? PaperForm(iban) : iban;
    if (csv) {
      std::string row = "Kunde ";
      row.append(std::to_string(n)).append(";").append(line).append(";");
      row.append(std::to_string(n % 1000)).append(",00");
      line = std::move(row);
    }
    line += '\n';
    written = write(line);
  }
  const bool closed = gzip ? gzclose(compressed) == Z_OK : std::fclose(plain) == 0;
  if (!written || !closed) {
    std::fprintf(stderr, "%s: write failed\n", operands[1].c_str());
    return 1;
  }
  return 0;
}
