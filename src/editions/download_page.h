// The central bank's download page for the bank-code files, read for the
// files it offers. The page is HTML whose layout changes now and then, so it
// is read leniently: every link whose file name has the form of a bank-code
// file counts, and each takes the validity the page states in words before
// it ("gültig vom 07.09.2026 bis 06.12.2026", "gültig ab 07.12.2026").
// Any bytes at all may come in; junk yields fewer files, never a failure.
#ifndef TALVENOR_EDITIONS_DOWNLOAD_PAGE_H_
#define TALVENOR_EDITIONS_DOWNLOAD_PAGE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editions/edition_dates.h"

namespace talvenor::editions {

// The form of a bank-code file's content.
enum class OfferedFileKind { Xml, Text, Csv };

// One bank-code file the page links to.
struct OfferedFile {
  // Absolute address, resolved against the page's address or its
  // <base href>; character references of the href decoded.
  std::string url;
  // The address's last path segment, percent-decoded. Never empty and never
  // holds "/", "\" or a control character, so it can name a local file.
  std::string fileName;
  OfferedFileKind kind = OfferedFileKind::Text;
  bool zipped = false;  // a ZIP archive holding the file
  // From the validity statement that precedes the link; validFrom falls back
  // to a date in the file name when the statement names none.
  std::optional<Date> validFrom;
  std::optional<Date> validUntil;
  // Links under the same validity statement share a group: 1 for the first
  // statement that has links, 2 for the next, and so on; 0 for links that
  // no statement precedes.
  int group = 0;
};

// The bank-code files `html` links to, in page order, each address once.
// `pageUrl` is the page's own address after redirects; relative links are
// resolved against it (or against the page's <base href>). Links that are
// not http or https addresses, or whose file name is not that of a
// bank-code file, are left out.
std::vector<OfferedFile> FindOfferedFiles(std::string_view html, const std::string& pageUrl);

// The form a file name gives, case-insensitively: "...-xml-data.xml",
// "...-txt-data.txt", "...-csv-data.csv", or packed "...-xml-zip-data.zip"
// (the form may also stand earlier in the name, e.g.
// "blz-txt-aktuell-zip-data.zip"). Nothing for any other name.
struct OfferedForm {
  OfferedFileKind kind = OfferedFileKind::Text;
  bool zipped = false;
};
std::optional<OfferedForm> BankCodeFileForm(std::string_view fileName);

// The first date a file name carries as year, month and day joined by "_"
// or "-" ("blz_2026_06_08.txt", "blz-2026-12-07-txt-data.txt"); nothing
// when it carries no real calendar day.
std::optional<Date> FileNameDate(std::string_view fileName);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_DOWNLOAD_PAGE_H_
