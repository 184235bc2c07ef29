// The bank-data editions the program knows, and the choice among them.
//
// The catalogue holds the built-in edition and every edition stored in the
// user's edition folder and the system-wide folders, under names of the
// form "blz_YYYY_MM_DD.txt" (the day it takes effect). Per start date one
// edition counts: the user's before a system-wide one (earlier folders
// first) before the built-in one. The edition in force on a day is the one
// with the latest start on or before that day; it is valid until the day
// before the next known edition starts, or, when none is known, the day
// before the next scheduled start.
#ifndef TALVENOR_EDITIONS_EDITION_CATALOGUE_H_
#define TALVENOR_EDITIONS_EDITION_CATALOGUE_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editions/bank_data_edition.h"

namespace talvenor::editions {

class EditionCatalogue {
 public:
  // The built-in edition only.
  EditionCatalogue();
  // The built-in edition and those found in the folders (missing folders
  // are fine; other names in them are not editions and are left alone).
  EditionCatalogue(const std::filesystem::path& userFolder,
                   const std::vector<std::filesystem::path>& systemFolders);

  // The editions that count, ascending by start date.
  const std::vector<EditionSource>& editions() const { return editions_; }
  // Editions hidden by another of the same start date.
  const std::vector<EditionSource>& hidden() const { return hidden_; }

  // Adds `source`; an edition of the same start date is hidden by it.
  void Put(const EditionSource& source);

  // The edition in force on `today` (the earliest one when every edition
  // starts later).
  const EditionSource& InForce(Date today) const;
  // The last valid day of `source` among the known editions.
  Date ValidUntil(const EditionSource& source) const;
  // The known edition starting on `validFrom`, or nullptr.
  const EditionSource* Find(Date validFrom) const;

  // Reads and checks `source` and, for a public file, the edition its rule
  // numbers come from: the newest edition with rule numbers that starts on
  // or before it (the built-in one when no other qualifies). Nothing, with
  // `error` set, when `source` cannot be used; an edition with rule numbers
  // that cannot be read is passed over with a line in `warnings`.
  std::unique_ptr<BankDataEdition> Load(const EditionSource& source, std::string& error,
                                        std::vector<std::string>& warnings) const;
  // The same for a file already read and checked.
  std::unique_ptr<BankDataEdition> Build(const EditionSource& source, BankCodeFile file,
                                         std::vector<std::string>& warnings) const;

  // The edition in force on `today`, read. When its file is damaged (it
  // was checked when installed, but may have changed since), the edition
  // before it is used and `warnings` says so; the built-in one is the last
  // resort and never fails.
  std::unique_ptr<BankDataEdition> LoadInForce(Date today,
                                               std::vector<std::string>& warnings) const;

 private:
  // The rule numbers for a public edition starting like `source`, and the
  // start of the edition they come from.
  std::vector<RuleNumber> LoadRuleSource(const EditionSource& source, Date& rulesFrom,
                                         std::vector<std::string>& warnings) const;

  std::vector<EditionSource> editions_;
  std::vector<EditionSource> hidden_;
};

// The editions stored in `folder` (as `origin`), ascending by start date.
std::vector<EditionSource> EditionsInFolder(const std::filesystem::path& folder,
                                            EditionOrigin origin);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_CATALOGUE_H_
