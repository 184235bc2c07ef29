#include "editions/edition_catalogue.h"

#include <algorithm>
#include <system_error>

#include "editions/builtin_directory.h"

namespace talvenor::editions {
namespace {

namespace fs = std::filesystem;
using std::chrono::sys_days;

bool Before(const EditionSource& a, const EditionSource& b) {
  return sys_days(a.validFrom) < sys_days(b.validFrom);
}

EditionSource BuiltInSource() {
  return EditionSource{EditionOrigin::kBuiltIn, {}, BuiltinDataValidFrom};
}

}  // namespace

std::vector<EditionSource> EditionsInFolder(const fs::path& folder, EditionOrigin origin) {
  std::vector<EditionSource> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const std::optional<Date> date = DateFromEditionFileName(name);
    // Only the names the program stores editions under; a temporary file
    // of an unfinished install or any other file is not an edition.
    if (!date || name != EditionFileName(*date)) continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    found.push_back(EditionSource{origin, it->path(), *date});
  }
  std::sort(found.begin(), found.end(), Before);
  return found;
}

EditionCatalogue::EditionCatalogue() { editions_.push_back(BuiltInSource()); }

EditionCatalogue::EditionCatalogue(const fs::path& userFolder,
                                   const std::vector<fs::path>& systemFolders)
    : EditionCatalogue() {
  // From the least to the most important, so that each Put hides what came
  // before it.
  for (auto folder = systemFolders.rbegin(); folder != systemFolders.rend(); ++folder) {
    for (const EditionSource& source : EditionsInFolder(*folder, EditionOrigin::kSystem)) {
      Put(source);
    }
  }
  for (const EditionSource& source : EditionsInFolder(userFolder, EditionOrigin::kInstalled)) {
    Put(source);
  }
}

void EditionCatalogue::Put(const EditionSource& source) {
  const auto at = std::lower_bound(editions_.begin(), editions_.end(), source, Before);
  if (at != editions_.end() && at->validFrom == source.validFrom) {
    hidden_.push_back(*at);
    *at = source;
    return;
  }
  editions_.insert(at, source);
}

const EditionSource& EditionCatalogue::InForce(Date today) const {
  const EditionSource probe{EditionOrigin::kBuiltIn, {}, today};
  const auto after = std::upper_bound(editions_.begin(), editions_.end(), probe, Before);
  return after == editions_.begin() ? editions_.front() : *(after - 1);
}

Date EditionCatalogue::ValidUntil(const EditionSource& source) const {
  const auto next = std::upper_bound(editions_.begin(), editions_.end(), source, Before);
  const Date nextStart =
      next != editions_.end() ? next->validFrom : NextScheduledStart(source.validFrom);
  return AddDays(nextStart, -1);
}

const EditionSource* EditionCatalogue::Find(Date validFrom) const {
  for (const EditionSource& source : editions_) {
    if (source.validFrom == validFrom) return &source;
  }
  return nullptr;
}

std::vector<RuleNumber> EditionCatalogue::LoadRuleSource(const EditionSource& source,
                                                         Date& rulesFrom,
                                                         std::vector<std::string>& warnings) const {
  // Newest first: the newest installed edition with rule numbers that is
  // not later than `source`; else the built-in edition, which always has
  // them.
  for (auto it = editions_.rbegin(); it != editions_.rend(); ++it) {
    if (it->origin == EditionOrigin::kBuiltIn ||
        sys_days(it->validFrom) > sys_days(source.validFrom) || it->path == source.path ||
        !PeekRuleNumbers(*it)) {
      continue;
    }
    BankCodeFile extended;
    std::string fault;
    if (!ReadEditionFile(*it, extended, fault)) {
      warnings.push_back(fault);
      continue;
    }
    if (!extended.hasRuleNumbers()) continue;
    rulesFrom = it->validFrom;
    return RuleNumbersOf(extended);
  }
  rulesFrom = BuiltinDataValidFrom;
  return ReadRuleNumbersOfCheckedFile(BuiltinEditionText());
}

std::unique_ptr<BankDataEdition> EditionCatalogue::Build(const EditionSource& source,
                                                         BankCodeFile file,
                                                         std::vector<std::string>& warnings) const {
  std::vector<RuleNumber> rules;
  std::optional<Date> rulesFrom;
  if (!file.hasRuleNumbers()) {
    Date from{};
    rules = LoadRuleSource(source, from, warnings);
    rulesFrom = from;
  }
  auto edition = std::make_unique<BankDataEdition>(
      MakeEdition(source, std::move(file), rulesFrom ? &rules : nullptr, rulesFrom));
  edition->validUntil = ValidUntil(source);
  return edition;
}

std::unique_ptr<BankDataEdition> EditionCatalogue::Load(const EditionSource& source,
                                                        std::string& error,
                                                        std::vector<std::string>& warnings) const {
  BankCodeFile file;
  if (!ReadEditionFile(source, file, error)) return nullptr;
  return Build(source, std::move(file), warnings);
}

std::unique_ptr<BankDataEdition> EditionCatalogue::LoadInForce(
    Date today, std::vector<std::string>& warnings) const {
  // A damaged file does not stop the program: the edition before it is
  // used instead, and said so. Its validity then ends where the damaged
  // edition would have begun, so the expiry rules apply as they should.
  const EditionSource* source = &InForce(today);
  for (;;) {
    std::string error;
    if (auto edition = Load(*source, error, warnings)) return edition;
    warnings.push_back(error);
    const auto at = std::find_if(editions_.begin(), editions_.end(), [&](const EditionSource& e) {
      return e.validFrom == source->validFrom;
    });
    if (at == editions_.begin()) break;
    source = &*(at - 1);
    warnings.push_back("Stattdessen wird die " + DescribeEdition(*source) + " verwendet.");
  }
  // Only the built-in edition cannot fail; it always comes first.
  std::string error;
  return Load(BuiltInSource(), error, warnings);
}

}  // namespace talvenor::editions
