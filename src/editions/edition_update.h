// Keeping the bank data current from the central bank's download page.
//
// The update reads the download page, finds the bank-code files on it by
// their names (their addresses change with every edition), and installs the
// editions it offers that are not installed yet: the current one and, when
// it is already posted, the next. Of the forms one edition is offered in,
// one is installed, XML first (it states its own validity), then text, then
// CSV, each unpacked or as a ZIP package; a form that cannot be used gives
// way to the next. A file arrives completely and passes every check of an
// install before anything is stored, and all editions of one run are stored
// together or not at all.
//
// Run daily, it downloads the page and, only when something is new, a file:
// an edition already installed from the same address, or with the same
// bytes, is current. A different file for an installed edition (the central
// bank corrected it) replaces it.
#ifndef TALVENOR_EDITIONS_EDITION_UPDATE_H_
#define TALVENOR_EDITIONS_EDITION_UPDATE_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "editions/edition_catalogue.h"
#include "editions/https_download.h"

namespace talvenor::editions {

// The largest download page read.
inline constexpr std::size_t kMaxDownloadPageSize = std::size_t{4} << 20;

struct UpdateRequest {
  std::string pageUrl;           // the download page (https)
  std::filesystem::path folder;  // the edition folder to install into
  EditionOrigin origin = EditionOrigin::kInstalled;
  Date today{};
  bool force = false;  // install editions that fail the plausibility checks
  long stallSeconds = 60;
};

// What a person watching the update sees: the step under way, and the
// bytes of the transfer under way.
class UpdateObserver : public DownloadProgress {
 public:
  // "Download-Seite wird gelesen ...", "blz-aktuell-xml-data.xml wird geladen ...".
  virtual void Step(const std::string& text) = 0;
};

enum class UpdateOutcome {
  kInstalled,  // at least one edition was installed
  kCurrent,    // nothing new: nothing was changed
  kFailed,     // nothing was changed; `report` says why
  kCancelled,  // the observer cancelled; nothing was changed
};

struct UpdateResult {
  UpdateOutcome outcome = UpdateOutcome::kFailed;
  std::string report;  // German, for a person
  std::vector<std::string> warnings;
  std::vector<Date> installed;  // start dates of the editions installed
};

// Runs the update among the editions of `catalogue` (which must describe
// the folders as they are now). `observer` may be null.
UpdateResult UpdateEditions(const UpdateRequest& request, const EditionCatalogue& catalogue,
                            Downloader& downloader, UpdateObserver* observer);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_UPDATE_H_
