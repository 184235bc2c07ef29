#include "editions/edition_install.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <system_error>

#include "editions/checksum.h"
#include "editions/edition_provenance.h"
#include "editions/edition_report.h"
#include "editions/file_form.h"
#include "editions/zip_package.h"
#include "platform/clock.h"
#include "platform/display_text.h"
#include "platform/error_text.h"
#include "platform/safe_replace.h"
#include "platform/whole_file.h"

namespace talvenor::editions {
namespace {

namespace fs = std::filesystem;

std::string Shown(const fs::path& path) { return platform::EscapeControlCharacters(path.string()); }

std::string Refusal(std::string message) {
  return std::move(message) + "\nEs wurde nichts installiert.";
}

// The extension an edition of `form` is stored under.
std::string_view ExtensionOf(FileForm form) {
  switch (form) {
    case FileForm::kXml:
      return ".xml";
    case FileForm::kCsv:
      return ".csv";
    case FileForm::kText:
      break;
  }
  return ".txt";
}

// The forms of `validFrom` in `folder` other than `keep`, with their records.
std::vector<fs::path> OtherForms(const fs::path& folder, Date validFrom, const fs::path& keep) {
  std::vector<fs::path> others;
  for (std::string_view extension : {".txt", ".xml", ".csv"}) {
    const fs::path other = folder / EditionFileName(validFrom, extension);
    std::error_code ignored;
    if (other != keep && fs::exists(other, ignored)) {
      others.push_back(other);
      others.push_back(ProvenancePath(other));
    }
  }
  return others;
}

// The sentence on when the edition applies, and what changed against
// `old`, the edition in force before the install (nothing when it could
// not be read).
std::string Comparison(const BankDataEdition& edition, const BankDataEdition* old,
                       const EditionCatalogue& after, Date today) {
  std::string text;
  const EditionSource& nowInForce = after.InForce(today);
  const bool startsLater =
      std::chrono::sys_days(edition.source.validFrom) > std::chrono::sys_days(today);
  if (edition.ExpiredOn(today)) {
    text += "Diese Ausgabe ist bereits abgelaufen: sie galt nur bis zum " +
            GermanDate(edition.validUntil) + ".\n";
  } else if (nowInForce.validFrom == edition.source.validFrom) {
    text += "Diese Ausgabe ist ab sofort in Kraft.\n";
  } else if (startsLater) {
    text += "Diese Ausgabe tritt am " + GermanDate(edition.source.validFrom) +
            " in Kraft; bis dahin gilt die " + DescribeEdition(nowInForce) + ".\n";
    if (old != nullptr && old->source.validFrom == nowInForce.validFrom && old->ExpiredOn(today)) {
      text += "Deren Daten sind allerdings seit dem " + GermanDate(AddDays(old->validUntil, 1)) +
              " abgelaufen.\n";
    }
  } else {
    text += "Diese Ausgabe ist nicht in Kraft: es gilt die neuere " + DescribeEdition(nowInForce) +
            ".\n";
  }
  if (old == nullptr) {
    text += "Die bisher geltende Ausgabe kann nicht gelesen werden; ein Vergleich entfällt.\n";
    return text;
  }
  text += "\nÄnderungen gegenüber der bisher geltenden " + DescribeEdition(old->source) + ":\n";
  text += ChangesReport(*old, edition);
  return text;
}

// Why `edition` is implausible beside `old`, the edition in force; empty
// when it is not.
std::string Implausibility(const BankDataEdition& edition, const BankDataEdition* old) {
  std::string text;
  if (old != nullptr && static_cast<double>(edition.directory.size()) <
                            kMinimumShareOfBankCodes * static_cast<double>(old->directory.size())) {
    text += "Die Datei enthält nur " + std::to_string(edition.directory.size()) +
            " Bankleitzahlen, die geltende Ausgabe " + std::to_string(old->directory.size()) +
            "; sie ist vermutlich unvollständig (etwa ein abgebrochener Download).\n";
  }
  if (!edition.unknownRules.empty()) {
    text += UnknownRulesReport(edition);
  }
  return text;
}

bool ReadBytes(const InstallRequest& request, std::string& bytes, std::string& refusal) {
  if (request.bytes) {
    bytes = *request.bytes;
    return true;
  }
  platform::WholeFile read = platform::ReadWholeFile(request.file, kMaxBankCodeFileSize);
  if (read.status != platform::WholeFileStatus::kRead) {
    refusal = Refusal(BankCodeFileReadFailure(request.file, read));
    return false;
  }
  bytes = std::move(read.contents);
  return true;
}

std::string SourceOf(const InstallRequest& request) {
  if (!request.source.empty()) return request.source;
  std::error_code ignored;
  const fs::path absolute = fs::absolute(request.file, ignored);
  return (absolute.empty() ? request.file : absolute).string();
}

}  // namespace

bool PrepareEdition(const InstallRequest& request, const EditionCatalogue& catalogue,
                    PreparedEdition& prepared, std::string& refusal) {
  std::string arrived;
  if (!ReadBytes(request, arrived, refusal)) return false;
  // A ZIP package is stored unpacked: the edition is the file inside. Its
  // name may carry the start date the package's name lacks.
  std::string bytes;
  fs::path named = request.file;
  std::string fault;
  if (IsZipPackage(arrived)) {
    PackedFile packed;
    if (!UnpackSingleFile(arrived, packed, fault)) {
      refusal = Refusal("Die Datei " + Shown(request.file) +
                        " ist keine gültige Bankleitzahlendatei:\n" + fault);
      return false;
    }
    bytes = std::move(packed.bytes);
    if (!DateFromEditionFileName(named.filename().string())) named = packed.name;
  } else {
    bytes = arrived;
  }
  BankCodeFile file;
  if (!ReadAnyBankCodeFile(bytes, file, fault)) {
    refusal = Refusal("Die Datei " + Shown(request.file) +
                      " ist keine gültige Bankleitzahlendatei:\n" + fault);
    return false;
  }
  // The edition's own statement of its validity counts before the page's.
  const StatedValidity stated = file.statedFrom || file.statedUntil
                                    ? StatedValidity{file.statedFrom, file.statedUntil}
                                    : request.pageValidity;
  std::vector<std::string>& warnings = prepared.warnings;
  std::string error;
  const std::optional<Date> start =
      EditionStartDate(named, request.validFrom, stated, error, warnings);
  if (!start) {
    prepared.startDateMissing = !request.validFrom && !stated.from;
    refusal = Refusal(error);
    return false;
  }
  if (const std::string contradiction = ScheduleContradiction(stated); !contradiction.empty()) {
    if (!request.force) {
      refusal = Refusal(contradiction + "\nMit --force wird sie dennoch installiert.");
      return false;
    }
    warnings.push_back(contradiction);
  }
  file.statedFrom = stated.from;
  file.statedUntil = stated.until;

  const fs::path target = request.folder / EditionFileName(*start, ExtensionOf(file.form));
  const EditionSource source{request.origin, target, *start};
  EditionCatalogue after = catalogue;
  const EditionSource* replaced = catalogue.Find(*start);
  after.Put(source);
  const FileForm form = file.form;
  const auto edition = after.Build(source, std::move(file), warnings);
  // Read before the copy is written: it may be the file the copy replaces.
  std::vector<std::string> ignored;
  const auto old = catalogue.LoadInForce(request.today, ignored);

  if (const std::string implausible = Implausibility(*edition, old.get()); !implausible.empty()) {
    if (!request.force) {
      refusal = Refusal(implausible + "Mit --force wird sie dennoch installiert.");
      return false;
    }
    warnings.push_back(implausible.substr(0, implausible.size() - 1));
  }

  Provenance provenance;
  provenance.source = SourceOf(request);
  provenance.sourceSha256 = Sha256Hex(arrived);
  provenance.fileSha256 = Sha256Hex(bytes);
  provenance.received = platform::UtcTimestamp();
  provenance.statedFrom = request.pageValidity.from;
  provenance.statedUntil = request.pageValidity.until;

  prepared.description = "Die Bankleitzahlendatei " + Shown(request.file) + " (" +
                         std::string(FormText(form)) +
                         (IsZipPackage(arrived) ? ", aus einem ZIP-Paket" : "") + ")";
  std::string& text = prepared.report;
  text.clear();
  if (replaced != nullptr) {
    text += replaced->origin == source.origin
                ? "Sie ersetzt die bisher installierte Ausgabe vom " +
                      GermanDate(replaced->validFrom) + ".\n"
                : "Sie tritt an die Stelle der " + DescribeEdition(*replaced) + ".\n";
  }
  text += EditionSummary(*edition);
  text += Comparison(*edition, old.get(), after, request.today);
  if (const std::string attention = AttentionReport(*edition); !attention.empty()) {
    text += "\n" + attention;
  }
  prepared.validFrom = *start;
  prepared.target = target;
  prepared.bytes = std::move(bytes);
  prepared.provenance = ProvenanceText(provenance);
  prepared.alreadyExpired = edition->ExpiredOn(request.today);
  prepared.forAllUsers = request.origin == EditionOrigin::kSystem;
  return true;
}

bool StoreEditions(const fs::path& folder, const std::vector<PreparedEdition>& editions,
                   std::string& error) {
  if (editions.empty()) return true;
  std::error_code ignored;
  const bool forAllUsers = editions.front().forAllUsers;
  if (fs::create_directories(folder, ignored) && forAllUsers) {
    fs::permissions(folder,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec,
                    ignored);
  }
  // Every file complete on disk under a temporary name first, ...
  std::vector<std::unique_ptr<platform::PendingReplacement>> pending;
  int failure = 0;
  const auto stage = [&](const fs::path& target, std::string_view bytes) {
    auto file = std::make_unique<platform::PendingReplacement>();
    failure = file->Create(target.string(), "talvenor-install");
    if (failure == 0 && forAllUsers && ::fchmod(file->descriptor(), 0644) != 0) failure = errno;
    if (failure == 0) failure = file->Write(bytes);
    if (failure == 0) failure = file->Finish();
    pending.push_back(std::move(file));
  };
  for (const PreparedEdition& edition : editions) {
    stage(edition.target, edition.bytes);
    if (failure == 0) stage(ProvenancePath(edition.target), edition.provenance);
    if (failure != 0) break;
  }
  // ... then each takes its name; the unrenamed ones are discarded.
  for (const auto& file : pending) {
    if (failure == 0) failure = file->Rename();
  }
  if (failure != 0) {
    error = "Die Bankleitzahlendatei kann nicht in " + Shown(folder) +
            " gespeichert werden: " + platform::ErrorText(failure) + ".";
    return false;
  }
  for (const PreparedEdition& edition : editions) {
    for (const fs::path& other : OtherForms(folder, edition.validFrom, edition.target)) {
      fs::remove(other, ignored);
    }
  }
  // The new names themselves must survive a crash as well.
  platform::SyncFolderOf(pending.front()->target());
  return true;
}

InstallResult InstallEdition(const InstallRequest& request, const EditionCatalogue& catalogue) {
  InstallResult result;
  PreparedEdition prepared;
  if (!PrepareEdition(request, catalogue, prepared, result.message)) {
    result.startDateMissing = prepared.startDateMissing;
    result.warnings = std::move(prepared.warnings);
    return result;
  }
  std::string error;
  if (!StoreEditions(request.folder, {prepared}, error)) {
    result.message = Refusal(error);
    result.warnings = std::move(prepared.warnings);
    return result;
  }
  result.installed = true;
  result.storedAt = prepared.target;
  result.message = prepared.description + " ist installiert als\n  " + Shown(prepared.target) +
                   "\n" + prepared.report;
  result.warnings = std::move(prepared.warnings);
  return result;
}

}  // namespace talvenor::editions
