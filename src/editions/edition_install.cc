#include "editions/edition_install.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "editions/edition_report.h"
#include "editions/file_form.h"
#include "platform/display_text.h"
#include "platform/error_text.h"
#include "platform/whole_file.h"

namespace talvenor::editions {
namespace {

namespace fs = std::filesystem;

std::string Shown(const fs::path& path) { return platform::EscapeControlCharacters(path.string()); }

// Writes `bytes` to a new temporary file in `folder` and renames it to
// `target` once it is complete on disk. 0 on success, else the errno of
// the step that failed; nothing is left behind then.
int WriteAndRename(const fs::path& folder, const fs::path& target, std::string_view bytes) {
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  // A hidden name that says what it is, so that an interrupted install
  // leaves nothing that passes for an edition.
  std::string name(1, '.');
  name.append(target.filename().string()).append(".talvenor-install-XXXXXX");
  std::string pattern = (folder / name).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return errno;
  int error = 0;
  for (std::size_t done = 0; done < bytes.size() && error == 0;) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno != EINTR) error = errno;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  // The copy is data like any file a program creates: readable by others
  // as the user's umask allows.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (error == 0 && ::fchmod(fd, 0666 & ~mask) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(pattern.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(pattern.c_str());
    return error;
  }
  // The new name itself must survive a crash as well.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

InstallResult Refused(std::string message, std::vector<std::string> warnings = {}) {
  InstallResult result;
  result.message = std::move(message) + "\nEs wurde nichts installiert.";
  result.warnings = std::move(warnings);
  return result;
}

// The part of the report after the summary: when the edition applies, and
// what changed against `old`, the edition in force before the install
// (nothing when it could not be read).
std::string Comparison(const BankDataEdition& edition, const BankDataEdition* old,
                       const EditionCatalogue& after, Date today) {
  std::string text;
  const EditionSource& nowInForce = after.InForce(today);
  if (nowInForce.validFrom == edition.source.validFrom) {
    text += "Diese Ausgabe ist ab sofort in Kraft.\n";
  } else if (std::chrono::sys_days(edition.source.validFrom) > std::chrono::sys_days(today)) {
    text += "Diese Ausgabe tritt am " + GermanDate(edition.source.validFrom) +
            " in Kraft; bis dahin gilt die " + DescribeEdition(nowInForce) + ".\n";
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

}  // namespace

std::optional<Date> EditionStartDate(const fs::path& file,
                                     const std::optional<std::string>& validFrom,
                                     std::string& error, std::vector<std::string>& warnings) {
  const std::optional<Date> named = DateFromEditionFileName(file.filename().string());
  std::optional<Date> date = named;
  if (validFrom) {
    date = ParseIsoDate(*validFrom);
    if (!date) {
      error = "„" + platform::EscapeControlCharacters(*validFrom) +
              "“ ist kein gültiges Datum der Form JJJJ-MM-TT (z. B. 2026-06-08).";
      return std::nullopt;
    }
    if (named && *named != *date) {
      warnings.push_back("Der Dateiname nennt den " + GermanDate(*named) + "; es gilt der mit " +
                         "--valid-from angegebene " + GermanDate(*date) + ".");
    }
  }
  if (!date) {
    error = "Der Name der Datei " + Shown(file) +
            " nennt nicht, ab wann die Ausgabe gilt. Bitte geben Sie das Datum mit "
            "--valid-from JJJJ-MM-TT an (z. B. --valid-from 2026-06-08).";
    return std::nullopt;
  }
  if (!IsScheduledStart(*date)) {
    warnings.push_back("Der " + GermanDate(*date) +
                       " ist kein planmäßiger Termin einer neuen Ausgabe (der erste Montag ab "
                       "dem 3. März, Juni, September und Dezember); der nächstgelegene frühere "
                       "ist der " +
                       GermanDate(LatestScheduledStart(*date)) + ".");
  }
  return date;
}

InstallResult InstallEdition(const InstallRequest& request, const EditionCatalogue& catalogue) {
  const platform::WholeFile read = platform::ReadWholeFile(request.file, kMaxBankCodeFileSize);
  if (read.status != platform::WholeFileStatus::kRead) {
    return Refused(BankCodeFileReadFailure(request.file, read));
  }
  BankCodeFile file;
  std::string fault;
  if (!ReadAnyBankCodeFile(read.contents, file, fault)) {
    return Refused("Die Datei " + Shown(request.file) +
                   " ist keine gültige Bankleitzahlendatei:\n" + fault);
  }
  std::vector<std::string> warnings;
  std::string error;
  const std::optional<Date> start =
      EditionStartDate(request.file, request.validFrom, error, warnings);
  if (!start) return Refused(std::move(error), std::move(warnings));

  const fs::path target = request.folder / EditionFileName(*start);
  const EditionSource source{EditionOrigin::kInstalled, target, *start};
  EditionCatalogue after = catalogue;
  const EditionSource* replaced = catalogue.Find(*start);
  after.Put(source);
  const auto edition = after.Build(source, std::move(file), warnings);
  // Read before the copy is written: it may be the file the copy replaces.
  std::string unreadable;
  std::vector<std::string> ignored;
  const auto old = catalogue.Load(catalogue.InForce(request.today), unreadable, ignored);

  if (const int failure = WriteAndRename(request.folder, target, read.contents)) {
    return Refused("Die Bankleitzahlendatei kann nicht in " + Shown(request.folder) +
                       " gespeichert werden: " + platform::ErrorText(failure) + ".",
                   std::move(warnings));
  }

  InstallResult result;
  result.installed = true;
  result.storedAt = target;
  std::string& text = result.message;
  text = "Die Bankleitzahlendatei " + Shown(request.file) + " ist installiert als\n  " +
         Shown(target) + "\n";
  if (replaced != nullptr) {
    text += replaced->origin == EditionOrigin::kInstalled
                ? "Sie ersetzt die bisher installierte Ausgabe vom " +
                      GermanDate(replaced->validFrom) + ".\n"
                : "Sie tritt an die Stelle der " + DescribeEdition(*replaced) + ".\n";
  }
  text += EditionSummary(*edition);
  text += Comparison(*edition, old.get(), after, request.today);
  if (const std::string attention = AttentionReport(*edition); !attention.empty()) {
    text += "\n" + attention;
  }
  result.warnings = std::move(warnings);
  return result;
}

}  // namespace talvenor::editions
