// Where an installed edition came from, kept beside it.
//
// Each install writes "<edition file>.source" next to the stored edition: the
// address (or file) it was installed from, the checksum of the bytes as they
// arrived there (a ZIP package, say), the checksum of the stored file, the
// time it arrived, and the validity the download page stated for it. The
// update compares the address and checksums to tell a new or corrected file
// from one it already has; the list of editions shows them. A record whose
// stored-file checksum does not match the file beside it (the file was
// replaced by hand) no longer describes it and is ignored.
#ifndef TALVENOR_EDITIONS_EDITION_PROVENANCE_H_
#define TALVENOR_EDITIONS_EDITION_PROVENANCE_H_

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "editions/edition_dates.h"

namespace talvenor::editions {

struct Provenance {
  std::string source;        // the https address, or the path of the file installed
  std::string sourceSha256;  // of the bytes as they arrived from `source`
  std::string fileSha256;    // of the stored edition file
  std::string received;      // when, UTC: "2026-12-09T23:40:12Z"
  // The validity the download page stated in words; nothing when it
  // stated none (or the edition was not downloaded).
  std::optional<Date> statedFrom;
  std::optional<Date> statedUntil;
};

// "<folder>/blz_2026_06_08.xml" -> "<folder>/blz_2026_06_08.xml.source".
std::filesystem::path ProvenancePath(const std::filesystem::path& editionFile);

// The record as the text stored (an INI section "EDITION"), and back.
// Parsing gives nothing unless the text names a source and both checksums.
std::string ProvenanceText(const Provenance& provenance);
std::optional<Provenance> ParseProvenance(std::string_view text);

// The record beside `editionFile` when it exists and describes the file
// whose bytes have the checksum `fileSha256`; nothing otherwise.
std::optional<Provenance> ReadProvenance(const std::filesystem::path& editionFile,
                                         std::string_view fileSha256);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_EDITION_PROVENANCE_H_
