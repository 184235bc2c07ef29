#include "editions/edition_update.h"

#include <algorithm>
#include <map>
#include <optional>

#include "editions/checksum.h"
#include "editions/download_page.h"
#include "editions/edition_install.h"
#include "editions/edition_provenance.h"
#include "platform/display_text.h"
#include "platform/whole_file.h"

namespace talvenor::editions {
namespace {

namespace fs = std::filesystem;

// The files the page offers for one edition, the preferred form first.
struct OfferedEdition {
  std::optional<Date> validFrom;
  std::optional<Date> validUntil;
  std::vector<OfferedFile> files;
};

// XML states its own validity; unpacked before packed, so that nothing
// needs unpacking that need not.
int Preference(const OfferedFile& file) {
  int rank = 0;
  switch (file.kind) {
    case OfferedFileKind::Xml:
      rank = 0;
      break;
    case OfferedFileKind::Text:
      rank = 2;
      break;
    case OfferedFileKind::Csv:
      rank = 4;
      break;
  }
  return rank + (file.zipped ? 1 : 0);
}

bool Earlier(const std::optional<Date>& a, const std::optional<Date>& b) {
  if (!a || !b) return a.has_value() && !b.has_value();  // unknown starts last
  return std::chrono::sys_days(*a) < std::chrono::sys_days(*b);
}

// The page's files by the validity statement they stand under; files that
// stand under none but carry a date in their names go with that date.
std::vector<OfferedEdition> OfferedEditions(const std::vector<OfferedFile>& files) {
  std::map<std::pair<int, std::string>, OfferedEdition> byGroup;
  for (const OfferedFile& file : files) {
    const std::string date = file.validFrom ? IsoDate(*file.validFrom) : std::string();
    OfferedEdition& edition = byGroup[{file.group, file.group == 0 ? date : std::string()}];
    if (!edition.validFrom) edition.validFrom = file.validFrom;
    if (!edition.validUntil) edition.validUntil = file.validUntil;
    edition.files.push_back(file);
  }
  std::vector<OfferedEdition> editions;
  for (auto& [key, edition] : byGroup) {
    std::stable_sort(
        edition.files.begin(), edition.files.end(),
        [](const OfferedFile& a, const OfferedFile& b) { return Preference(a) < Preference(b); });
    editions.push_back(std::move(edition));
  }
  std::stable_sort(editions.begin(), editions.end(),
                   [](const OfferedEdition& a, const OfferedEdition& b) {
                     return Earlier(a.validFrom, b.validFrom);
                   });
  return editions;
}

// The edition of `validFrom` stored in `folder`: the file, the checksum of
// its bytes and the record of where it came from.
struct StoredEdition {
  fs::path file;
  std::string fileSha256;
  std::optional<Provenance> provenance;
};

std::optional<StoredEdition> StoredAt(const fs::path& folder, Date validFrom) {
  for (std::string_view extension : {".xml", ".txt", ".csv"}) {
    const fs::path file = folder / EditionFileName(validFrom, extension);
    const platform::WholeFile read = platform::ReadWholeFile(file, kMaxBankCodeFileSize);
    if (read.status != platform::WholeFileStatus::kRead) continue;
    StoredEdition stored{file, Sha256Hex(read.contents), std::nullopt};
    stored.provenance = ReadProvenance(file, stored.fileSha256);
    return stored;
  }
  return std::nullopt;
}

std::string Shown(std::string_view text) { return platform::EscapeControlCharacters(text); }

std::string EditionName(const std::optional<Date>& validFrom) {
  return validFrom ? "Ausgabe vom " + GermanDate(*validFrom) : std::string("Ausgabe");
}

// Passes a transfer's progress on to the observer.
class TransferProgress final : public DownloadProgress {
 public:
  explicit TransferProgress(UpdateObserver* observer) : observer_(observer) {}
  bool Report(std::uint64_t received, std::uint64_t expected) override {
    return observer_ == nullptr || observer_->Report(received, expected);
  }

 private:
  UpdateObserver* observer_;
};

// One run of the update: its request, what it found, and what it decided.
class Update {
 public:
  Update(const UpdateRequest& request, const EditionCatalogue& catalogue, Downloader& downloader,
         UpdateObserver* observer)
      : request_(request),
        catalogue_(catalogue),
        downloader_(downloader),
        observer_(observer),
        progress_(observer) {}

  UpdateResult Run();

 private:
  void Step(const std::string& text) {
    if (observer_ != nullptr) observer_->Step(text);
  }
  DownloadLimits Limits(std::size_t maxBytes) const {
    DownloadLimits limits;
    limits.maxBytes = maxBytes;
    limits.stallSeconds = request_.stallSeconds;
    return limits;
  }
  // Decides on one offered edition: current, prepared for storing, or
  // failed (with the reasons of each form in `failures_`).
  void Decide(const OfferedEdition& offered);
  // Tries one form; true when the edition is decided by it.
  bool Try(const OfferedEdition& offered, const OfferedFile& file);
  UpdateResult Finish();

  const UpdateRequest& request_;
  const EditionCatalogue& catalogue_;
  Downloader& downloader_;
  UpdateObserver* observer_;
  TransferProgress progress_;

  bool cancelled_ = false;
  std::vector<PreparedEdition> prepared_;
  std::vector<std::string> current_;   // one line per edition already installed
  std::vector<std::string> failures_;  // one block per edition that failed
  std::vector<std::string> tried_;     // the reasons of the edition being decided
  std::vector<std::string> warnings_;
};

UpdateResult Update::Run() {
  Step("Die Download-Seite wird gelesen ...");
  const DownloadResult page =
      downloader_.Get(request_.pageUrl, Limits(kMaxDownloadPageSize), &progress_);
  if (page.cancelled) {
    cancelled_ = true;
    return Finish();
  }
  if (!page.ok) {
    failures_.push_back("Die Download-Seite kann nicht gelesen werden: " + page.error);
    return Finish();
  }
  const std::vector<OfferedFile> files =
      FindOfferedFiles(page.body, page.finalUrl.empty() ? request_.pageUrl : page.finalUrl);
  if (files.empty()) {
    failures_.push_back(
        "Auf der Download-Seite " + Shown(request_.pageUrl) +
        " ist keine Bankleitzahlendatei verlinkt (gesucht werden Dateien, deren Name auf "
        "-xml-data.xml, -txt-data.txt oder -csv-data.csv endet, oder ihre ZIP-Pakete).");
    return Finish();
  }
  for (const OfferedEdition& offered : OfferedEditions(files)) {
    Decide(offered);
    if (cancelled_) break;
  }
  return Finish();
}

void Update::Decide(const OfferedEdition& offered) {
  // An edition installed from one of these very addresses needs no
  // download: the central bank publishes a corrected file under a new one.
  if (offered.validFrom) {
    if (const auto stored = StoredAt(request_.folder, *offered.validFrom);
        stored && stored->provenance) {
      for (const OfferedFile& file : offered.files) {
        if (file.url == stored->provenance->source) {
          current_.push_back(EditionName(offered.validFrom) + ": aktuell, installiert aus " +
                             Shown(file.url));
          return;
        }
      }
    }
  }
  tried_.clear();
  for (const OfferedFile& file : offered.files) {
    if (Try(offered, file) || cancelled_) return;
  }
  std::string block = EditionName(offered.validFrom) +
                      ": keine der angebotenen Dateien ist "
                      "verwendbar.";
  for (const std::string& reason : tried_) block += "\n  " + reason;
  failures_.push_back(std::move(block));
}

bool Update::Try(const OfferedEdition& offered, const OfferedFile& file) {
  const bool statesItself = file.kind == OfferedFileKind::Xml;
  if (!statesItself && !offered.validFrom) {
    tried_.push_back(Shown(file.fileName) +
                     ": die Seite nennt nicht, ab wann die Datei gilt, und ihr Name auch nicht.");
    return false;
  }
  Step(file.fileName + " wird geladen ...");
  const DownloadResult download =
      downloader_.Get(file.url, Limits(kMaxBankCodeFileSize), &progress_);
  if (download.cancelled) {
    cancelled_ = true;
    return false;
  }
  if (!download.ok) {
    tried_.push_back(Shown(file.fileName) + ": " + download.error);
    return false;
  }
  Step(file.fileName + " wird geprüft ...");
  InstallRequest install;
  install.file = file.fileName;
  install.bytes = download.body;
  install.folder = request_.folder;
  install.today = request_.today;
  install.force = request_.force;
  install.origin = request_.origin;
  install.pageValidity = StatedValidity{offered.validFrom, offered.validUntil};
  install.source = file.url;
  PreparedEdition prepared;
  std::string refusal;
  if (!PrepareEdition(install, catalogue_, prepared, refusal)) {
    tried_.push_back(Shown(file.fileName) + ": " + refusal);
    return false;
  }
  // The same bytes as the edition stored for that date: nothing is new.
  if (const auto stored = StoredAt(request_.folder, prepared.validFrom);
      stored && stored->fileSha256 == Sha256Hex(prepared.bytes)) {
    current_.push_back(EditionName(prepared.validFrom) + ": aktuell, " + Shown(file.fileName) +
                       " ist unverändert installiert.");
    return true;
  }
  for (const PreparedEdition& other : prepared_) {
    if (other.validFrom == prepared.validFrom) return true;  // offered twice on the page
  }
  for (std::string& warning : prepared.warnings) warnings_.push_back(std::move(warning));
  prepared.warnings.clear();
  prepared.description += " von " + Shown(file.url);
  prepared_.push_back(std::move(prepared));
  return true;
}

UpdateResult Update::Finish() {
  UpdateResult result;
  result.warnings = std::move(warnings_);
  std::string& report = result.report;
  if (cancelled_) {
    result.outcome = UpdateOutcome::kCancelled;
    report = "Die Aktualisierung wurde abgebrochen; es wurde nichts geändert.\n";
    return result;
  }
  if (!failures_.empty()) {
    result.outcome = UpdateOutcome::kFailed;
    report =
        "Die Bankleitzahlendateien können nicht aktualisiert werden; es wurde nichts "
        "geändert.\n";
    for (const std::string& failure : failures_) report += failure + "\n";
    return result;
  }
  if (!prepared_.empty()) {
    Step("Die neuen Ausgaben werden gespeichert ...");
    std::string error;
    if (!StoreEditions(request_.folder, prepared_, error)) {
      result.outcome = UpdateOutcome::kFailed;
      report = error + "\nEs wurde nichts geändert.\n";
      return result;
    }
  }
  for (const std::string& line : current_) report += line + "\n";
  for (const PreparedEdition& edition : prepared_) {
    if (!report.empty()) report += "\n";
    report += edition.description + " ist installiert als\n  " + Shown(edition.target.string()) +
              "\n" + edition.report;
    result.installed.push_back(edition.validFrom);
  }
  result.outcome = prepared_.empty() ? UpdateOutcome::kCurrent : UpdateOutcome::kInstalled;
  if (prepared_.empty()) {
    report = "Die Bankleitzahlendateien sind aktuell; es wurde nichts geändert.\n" + report;
  }
  return result;
}

}  // namespace

UpdateResult UpdateEditions(const UpdateRequest& request, const EditionCatalogue& catalogue,
                            Downloader& downloader, UpdateObserver* observer) {
  Update update(request, catalogue, downloader, observer);
  return update.Run();
}

}  // namespace talvenor::editions
