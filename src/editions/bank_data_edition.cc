#include "editions/bank_data_edition.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "checkdigit/check_method_code.h"
#include "checkdigit/method_catalogue.h"
#include "core/rule_catalogue.h"
#include "editions/builtin_directory.h"
#include "editions/checksum.h"
#include "editions/edition_provenance.h"
#include "editions/file_form.h"
#include "platform/display_text.h"
#include "platform/error_text.h"
#include "platform/whole_file.h"

namespace talvenor::editions {
namespace {

std::string FileName(const EditionSource& source) {
  return source.origin == EditionOrigin::kBuiltIn
             ? std::string("(eingebaut)")
             : platform::EscapeControlCharacters(source.path.string());
}

bool IsHandledMethod(const std::string& code) {
  return checkdigit::FindMethod(checkdigit::CheckMethodCode(code)) != nullptr;
}

}  // namespace

std::string BankCodeFileReadFailure(const std::filesystem::path& file,
                                    const platform::WholeFile& read) {
  const std::string name = platform::EscapeControlCharacters(file.string());
  switch (read.status) {
    case platform::WholeFileStatus::kMissing:
      return "Die Bankleitzahlendatei " + name + " ist nicht vorhanden.";
    case platform::WholeFileStatus::kNotRegular:
      return name + " ist keine gewöhnliche Datei (sondern z. B. ein Ordner oder eine FIFO).";
    case platform::WholeFileStatus::kTooLarge:
      return "Die Datei " + name + " ist zu groß für eine Bankleitzahlendatei.";
    case platform::WholeFileStatus::kUnreadable:
    case platform::WholeFileStatus::kRead:
      break;
  }
  return "Die Bankleitzahlendatei " + name +
         " kann nicht gelesen werden: " + platform::ErrorText(read.error) + ".";
}

// The words for each origin, in the order of EditionOrigin.
struct OriginNames {
  std::string_view text;
  std::string_view key;
};
// clang-format off
constexpr OriginNames kOriginNames[] = {
    {"eingebaut", "builtin"},
    {"installiert", "installed"},
    {"systemweit", "system"},
    {"für diesen Aufruf angegeben", "file"},
};
// clang-format on

std::string_view OriginText(EditionOrigin origin) {
  return kOriginNames[static_cast<int>(origin)].text;
}

std::string_view OriginKey(EditionOrigin origin) {
  return kOriginNames[static_cast<int>(origin)].key;
}

std::string DescribeEdition(const EditionSource& source) {
  std::string text = "Ausgabe vom " + GermanDate(source.validFrom) + " (";
  text += OriginText(source.origin);
  if (source.origin != EditionOrigin::kBuiltIn) text += ", " + FileName(source);
  return text + ")";
}

bool BankDataEdition::ExpiredOn(Date day) const {
  return std::chrono::sys_days(day) > std::chrono::sys_days(validUntil);
}

bool BankDataEdition::NotStartedOn(Date day) const {
  return std::chrono::sys_days(day) < std::chrono::sys_days(source.validFrom);
}

bool ReadEditionFile(const EditionSource& source, BankCodeFile& file, std::string& error) {
  std::string_view text;
  platform::WholeFile read;
  if (source.origin == EditionOrigin::kBuiltIn) {
    text = BuiltinEditionText();
  } else {
    read = platform::ReadWholeFile(source.path, kMaxBankCodeFileSize);
    if (read.status != platform::WholeFileStatus::kRead) {
      error = BankCodeFileReadFailure(source.path, read);
      return false;
    }
    text = read.contents;
  }
  // The built-in edition is known to be fixed-width text; any other file is
  // read in the form its content shows.
  std::string fault;
  const bool wellFormed = source.origin == EditionOrigin::kBuiltIn
                              ? ReadBankCodeFile(text, file, fault)
                              : ReadAnyBankCodeFile(text, file, fault);
  if (!wellFormed) {
    error = "Die Bankleitzahlendatei " + FileName(source) +
            " ist fehlerhaft und wird nicht verwendet:\n" + fault;
    return false;
  }
  if (source.origin != EditionOrigin::kBuiltIn && !file.statedUntil) {
    if (const std::optional<Provenance> provenance = ReadProvenance(source.path, Sha256Hex(text))) {
      file.statedFrom = provenance->statedFrom;
      file.statedUntil = provenance->statedUntil;
    }
  }
  return true;
}

int PeekLineWidth(const EditionSource& source) {
  if (source.origin == EditionOrigin::kBuiltIn) return kExtendedLineWidth;
  const int fd = ::open(source.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return 0;
  char head[kExtendedLineWidth + 2];
  const ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  if (n <= 0) return 0;
  const std::string_view text(head, static_cast<std::size_t>(n));
  std::size_t end = text.find('\n');
  if (end == std::string_view::npos) return 0;
  if (end > 0 && text[end - 1] == '\r') --end;
  return static_cast<int>(end);
}

namespace {

// The rule number `rules` names for `bankCode`, or nothing.
std::optional<int> RuleOf(const std::vector<RuleNumber>& rules, std::uint32_t bankCode) {
  const auto known =
      std::lower_bound(rules.begin(), rules.end(), bankCode,
                       [](const RuleNumber& r, std::uint32_t code) { return r.bankCode < code; });
  if (known == rules.end() || known->bankCode != bankCode) return std::nullopt;
  return known->rule;
}

}  // namespace

bool PeekRuleNumbers(const EditionSource& source) {
  return source.origin == EditionOrigin::kBuiltIn || PeekRuleNumbers(source.path);
}

BankDataEdition MakeEdition(const EditionSource& source, BankCodeFile file,
                            const std::vector<RuleNumber>* rules, std::optional<Date> rulesFrom) {
  BankDataEdition edition;
  edition.source = source;
  edition.form = file.form;
  edition.lineWidth = file.lineWidth;
  edition.ownRuleNumbers = file.hasRuleNumbers();
  if (!file.hasRuleNumbers()) edition.rulesFrom = rulesFrom;
  std::vector<RuleOrigin> origins;
  origins.reserve(file.records.size());
  for (BlzInfoIBAN& record : file.records) {
    std::optional<int> rule;
    if (file.hasRuleNumbers()) {
      rule = record.ibanRule();
    } else if (rules != nullptr) {
      rule = RuleOf(*rules, record.bankCode());
    }
    RuleOrigin origin = file.hasRuleNumbers() ? RuleOrigin::kEdition : RuleOrigin::kInherited;
    if (rule && !IsKnownRule(*rule)) {
      edition.unknownRules.push_back({record.bankCode(), *rule});
      rule.reset();
    }
    if (rule) {
      record.SetIbanRule(*rule);
    } else {
      record.SetIbanRule(0);
      origin = RuleOrigin::kAssumed;
      edition.assumedRuleBankCodes.push_back(record.bankCode());
    }
    origins.push_back(origin);
  }
  for (const BlzInfoIBAN& record : file.records) {
    if (!IsHandledMethod(record.checkMethod())) {
      edition.unhandledMethodBankCodes.push_back(record.bankCode());
    }
  }
  edition.directory = BankDirectory(std::move(file.records), std::move(origins));
  return edition;
}

}  // namespace talvenor::editions
