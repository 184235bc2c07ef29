// The bank-data editions the program knows, and the choice among them.
//
// The catalogue holds the built-in edition and every edition stored in the
// user's edition folder and the system-wide folders, under names of the
// form "blz_YYYY_MM_DD.txt" (or .xml, .csv; the day it takes effect). Per
// start date one edition counts: the user's before a system-wide one
// (earlier folders first) before the built-in one; the others of that date
// are hidden behind it and stand in only when it cannot be read.
//
// An edition that cannot be read counts for nothing. The edition in force
// on a day is the readable one with the latest start on or before that
// day. Its last valid day is the earliest of: the day before the next
// scheduled start after its own start, the end the edition states itself,
// and the day before the next readable edition starts. Its validity is
// never stretched: an edition installed early, a damaged later file or a
// skipped quarter leaves the days after that end expired.
#ifndef TALVENOR_EDITIONS_EDITION_CATALOGUE_H_
#define TALVENOR_EDITIONS_EDITION_CATALOGUE_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editions/bank_data_edition.h"

namespace talvenor::editions {

// Where editions are kept: the user's own folder and the read-only
// system-wide ones, most important first.
struct EditionFolders {
  std::filesystem::path user;
  std::vector<std::filesystem::path> system;
};

class EditionCatalogue {
 public:
  // The built-in edition only.
  EditionCatalogue();
  // The built-in edition and those found in the folders (missing folders
  // are fine; other names in them are not editions and are left alone).
  explicit EditionCatalogue(const EditionFolders& folders);

  // The editions that count, ascending by start date.
  const std::vector<EditionSource>& editions() const { return editions_; }
  // Editions hidden by another of the same start date.
  const std::vector<EditionSource>& hidden() const { return hidden_; }

  // Adds `source`; an edition of the same start date is hidden by it.
  void Put(const EditionSource& source);

  // The edition with the latest start on or before `day` (the earliest one
  // when every edition starts later), whether it can be read or not.
  const EditionSource& InForce(Date day) const;
  // The known edition starting on `validFrom`, or nullptr.
  const EditionSource* Find(Date validFrom) const;

  // The last valid day of an edition that starts like `source` and states
  // `statedUntil` as its own end (nothing: it states none). Reads the
  // editions that would end it early, to count only readable ones.
  Date ValidUntil(const EditionSource& source, std::optional<Date> statedUntil) const;

  // Reads and checks `source` and, for a file without rule numbers, the
  // edition its rule numbers come from: the newest edition with rule
  // numbers that starts on or before it (the built-in one when no other
  // qualifies). Nothing, with `error` set, when `source` cannot be used; an
  // edition with rule numbers that cannot be read is passed over with a
  // line in `warnings`.
  std::unique_ptr<BankDataEdition> Load(const EditionSource& source, std::string& error,
                                        std::vector<std::string>& warnings) const;
  // The same for a file already read and checked.
  std::unique_ptr<BankDataEdition> Build(const EditionSource& source, BankCodeFile file,
                                         std::vector<std::string>& warnings) const;

  // The edition in force on `day`, read. An edition that cannot be read
  // (it was checked when installed, but may have changed since) is passed
  // over, with a line in `warnings`: a hidden edition of the same date
  // stands in, else the edition before it; the built-in one is the last
  // resort and never fails.
  std::unique_ptr<BankDataEdition> LoadInForce(Date day, std::vector<std::string>& warnings) const;

 private:
  // The rule numbers for an edition without them starting like `source`,
  // and the start of the edition they come from.
  std::vector<RuleNumber> LoadRuleSource(const EditionSource& source, Date& rulesFrom,
                                         std::vector<std::string>& warnings) const;
  // The editions of one start date, the one that counts first.
  std::vector<const EditionSource*> SourcesOf(Date validFrom) const;
  // Whether some edition of `validFrom` can be read.
  bool Readable(Date validFrom) const;

  std::vector<EditionSource> editions_;
  std::vector<EditionSource> hidden_;
};

// The editions stored in `folder` (as `origin`), ascending by start date;
// of several forms of one date (blz_2026_06_08.txt and .xml, left by hand)
// the XML one comes first, then the text, then the CSV form.
std::vector<EditionSource> EditionsInFolder(const std::filesystem::path& folder,
                                            EditionOrigin origin);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_CATALOGUE_H_
