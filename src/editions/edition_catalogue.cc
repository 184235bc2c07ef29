#include "editions/edition_catalogue.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "editions/builtin_directory.h"

namespace talvenor::editions {
namespace {

namespace fs = std::filesystem;
using std::chrono::sys_days;

bool Before(const EditionSource& a, const EditionSource& b) {
  return sys_days(a.validFrom) < sys_days(b.validFrom);
}

bool Earlier(Date a, Date b) { return sys_days(a) < sys_days(b); }

EditionSource BuiltInSource() {
  return EditionSource{EditionOrigin::kBuiltIn, {}, BuiltinDataValidFrom};
}

// The extensions editions are stored under, the preferred form first: the
// XML form states its own validity.
constexpr std::array<std::string_view, 3> kEditionExtensions = {".xml", ".txt", ".csv"};

int ExtensionRank(const fs::path& path) {
  const std::string extension = path.extension().string();
  for (std::size_t i = 0; i < kEditionExtensions.size(); ++i) {
    if (extension == kEditionExtensions[i]) return static_cast<int>(i);
  }
  return static_cast<int>(kEditionExtensions.size());
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
    if (!date || ExtensionRank(it->path()) == static_cast<int>(kEditionExtensions.size()) ||
        name != EditionFileName(*date, it->path().extension().string())) {
      continue;
    }
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    found.push_back(EditionSource{origin, it->path(), *date});
  }
  std::sort(found.begin(), found.end(), [](const EditionSource& a, const EditionSource& b) {
    if (a.validFrom != b.validFrom) return Before(a, b);
    return ExtensionRank(a.path) < ExtensionRank(b.path);
  });
  return found;
}

EditionCatalogue::EditionCatalogue() { editions_.push_back(BuiltInSource()); }

EditionCatalogue::EditionCatalogue(const EditionFolders& folders) : EditionCatalogue() {
  // From the least to the most important, so that each Put hides what came
  // before it; within a folder the preferred form of a date comes last.
  const auto putFolder = [this](const fs::path& folder, EditionOrigin origin) {
    std::vector<EditionSource> found = EditionsInFolder(folder, origin);
    std::stable_sort(found.begin(), found.end(),
                     [](const EditionSource& a, const EditionSource& b) {
                       if (a.validFrom != b.validFrom) return Before(a, b);
                       return ExtensionRank(a.path) > ExtensionRank(b.path);
                     });
    for (const EditionSource& source : found) Put(source);
  };
  for (auto folder = folders.system.rbegin(); folder != folders.system.rend(); ++folder) {
    putFolder(*folder, EditionOrigin::kSystem);
  }
  putFolder(folders.user, EditionOrigin::kInstalled);
}

void EditionCatalogue::Put(const EditionSource& source) {
  const auto at = std::lower_bound(editions_.begin(), editions_.end(), source, Before);
  if (at != editions_.end() && at->validFrom == source.validFrom) {
    hidden_.insert(hidden_.begin(), *at);  // the most recently hidden stands in first
    *at = source;
    return;
  }
  editions_.insert(at, source);
}

const EditionSource& EditionCatalogue::InForce(Date day) const {
  const EditionSource probe{EditionOrigin::kBuiltIn, {}, day};
  const auto after = std::upper_bound(editions_.begin(), editions_.end(), probe, Before);
  return after == editions_.begin() ? editions_.front() : *(after - 1);
}

const EditionSource* EditionCatalogue::Find(Date validFrom) const {
  for (const EditionSource& source : editions_) {
    if (source.validFrom == validFrom) return &source;
  }
  return nullptr;
}

std::vector<const EditionSource*> EditionCatalogue::SourcesOf(Date validFrom) const {
  std::vector<const EditionSource*> sources;
  if (const EditionSource* first = Find(validFrom)) sources.push_back(first);
  for (const EditionSource& source : hidden_) {
    if (source.validFrom == validFrom) sources.push_back(&source);
  }
  return sources;
}

bool EditionCatalogue::Readable(Date validFrom) const {
  for (const EditionSource* source : SourcesOf(validFrom)) {
    BankCodeFile file;
    std::string ignored;
    if (ReadEditionFile(*source, file, ignored)) return true;
  }
  return false;
}

Date EditionCatalogue::ValidUntil(const EditionSource& source,
                                  std::optional<Date> statedUntil) const {
  Date last = AddDays(NextScheduledStart(source.validFrom), -1);
  if (statedUntil && Earlier(*statedUntil, last)) last = *statedUntil;
  // A readable edition starting before that day ends this one early (one
  // off the schedule); only such editions need to be read.
  for (const EditionSource& next : editions_) {
    if (!Earlier(source.validFrom, next.validFrom)) continue;
    if (Earlier(last, AddDays(next.validFrom, -1))) break;
    if (Readable(next.validFrom)) {
      last = AddDays(next.validFrom, -1);
      break;
    }
  }
  return last;
}

std::vector<RuleNumber> EditionCatalogue::LoadRuleSource(const EditionSource& source,
                                                         Date& rulesFrom,
                                                         std::vector<std::string>& warnings) const {
  // Newest first: the newest installed edition with rule numbers that is
  // not later than `source`; else the built-in edition, which always has
  // them.
  for (auto it = editions_.rbegin(); it != editions_.rend(); ++it) {
    if (it->origin == EditionOrigin::kBuiltIn || Earlier(source.validFrom, it->validFrom) ||
        it->path == source.path || !PeekRuleNumbers(*it)) {
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
  const std::optional<Date> statedUntil = file.statedUntil;
  auto edition = std::make_unique<BankDataEdition>(
      MakeEdition(source, std::move(file), rulesFrom ? &rules : nullptr, rulesFrom));
  edition->validUntil = ValidUntil(source, statedUntil);
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
    Date day, std::vector<std::string>& warnings) const {
  // An edition that cannot be read does not stop the program: another of
  // its date, or else the edition before it, is used instead, and said so.
  // The validity of the one used ends on its own terms, so the expiry rules
  // apply as they should.
  const EditionSource& first = InForce(day);
  auto at = std::find_if(editions_.begin(), editions_.end(),
                         [&](const EditionSource& e) { return e.validFrom == first.validFrom; });
  bool passedOver = false;
  for (;; --at) {
    for (const EditionSource* source : SourcesOf(at->validFrom)) {
      std::string error;
      if (auto edition = Load(*source, error, warnings)) {
        if (passedOver) {
          warnings.push_back("Stattdessen wird die " + DescribeEdition(*source) + " verwendet.");
        }
        return edition;
      }
      warnings.push_back(error);
      passedOver = true;
    }
    if (at == editions_.begin()) break;
  }
  // Only the built-in edition cannot fail; it always comes first.
  std::string error;
  return Load(BuiltInSource(), error, warnings);
}

}  // namespace talvenor::editions
