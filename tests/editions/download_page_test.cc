// Reading the central bank's download page: which links are bank-code files,
// their absolute addresses, and the validity the page states for them.
#include "editions/download_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace talvenor::editions {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

constexpr char kPageUrl[] = "https://www.bank.example/de/aufgaben/download-602592";

Date D(int y, unsigned m, unsigned d) { return Date{year{y}, month{m}, day{d}}; }

std::string Link(const std::string& name) {
  return "<li><a href=\"/resource/blob/1/" + name + "\">" + name + "</a></li>";
}

TEST(FindOfferedFiles, SamplePage) {
  const std::string page =
      test_support::ReadFile(std::string(TALVENOR_TEST_DATA) + "/download_page_sample.html");
  const std::vector<OfferedFile> files = FindOfferedFiles(page, kPageUrl);
  struct Expected {
    const char* blob;
    const char* name;
    OfferedFileKind kind;
    bool zipped;
  };
  // clang-format off
  const Expected expected[] = {
      {"602632/3a97fff9893732591adbbfcb70c1c4e8", "blz-aktuell-txt-data.txt", OfferedFileKind::Text, false},
      {"926192/2feadedd079726ffbe1eedaf6c74ff76", "blz-aktuell-csv-data.csv", OfferedFileKind::Csv, false},
      {"602630/d9c7e3616d1749f34d8eaa91b92483d8", "blz-aktuell-xml-data.xml", OfferedFileKind::Xml, false},
      {"602678/1a3f2a08eeabd80c8c92082a6c29dfc8", "blz-aktuell-txt-zip-data.zip", OfferedFileKind::Text, true},
      {"926194/4e9547c7e8fe518fd7a2196dc9cc77aa", "blz-aktuell-csv-zip-data.zip", OfferedFileKind::Csv, true},
      {"602684/e1507f821146395b67ccd5f51916abcc", "blz-aktuell-xml-zip-data.zip", OfferedFileKind::Xml, true},
  };
  // clang-format on
  ASSERT_EQ(files.size(), std::size(expected));
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(files[i].url, std::string("https://www.bank.example/resource/blob/") +
                                expected[i].blob + "/472B63F073F071307366337C94F8C870/" +
                                expected[i].name);
    EXPECT_EQ(files[i].fileName, expected[i].name);
    EXPECT_EQ(files[i].kind, expected[i].kind);
    EXPECT_EQ(files[i].zipped, expected[i].zipped);
    EXPECT_EQ(files[i].validFrom, D(2026, 9, 7));
    EXPECT_EQ(files[i].validUntil, D(2026, 12, 6));
    EXPECT_EQ(files[i].group, 1);
  }
}

TEST(FindOfferedFiles, EachLinkTakesTheStatementBeforeIt) {
  const std::string page =
      "<html><body>" + Link("blz-alt-txt-data.txt") +
      "<h2>Aktuell</h2><p>Die Dateien sind gültig vom 07.09.2026 bis 06.12.2026</p><ul>" +
      Link("blz-aktuell-txt-data.txt") + Link("blz-aktuell-xml-zip-data.zip") +
      "</ul><p>Keine Angabe: gültig ab dem nächsten Quartal</p>"
      "<h2>Neu</h2><p>gültig ab 07.12.2026</p><ul>" +
      Link("blz-neu-txt-data.txt") + Link("blz-neu-csv-data.csv") +
      "</ul><p>gültig ab 31.02.2027</p>" + Link("blz-kaputt-txt-data.txt") +
      "<a href=\"/x/blz-text-txt-data.txt\">Datei gültig ab 08.03.2027</a></body></html>";
  struct Expected {
    const char* name;
    int group;
    std::optional<Date> from;
    std::optional<Date> until;
  };
  // clang-format off
  const Expected expected[] = {
      {"blz-alt-txt-data.txt", 0, std::nullopt, std::nullopt},
      {"blz-aktuell-txt-data.txt", 1, D(2026, 9, 7), D(2026, 12, 6)},
      {"blz-aktuell-xml-zip-data.zip", 1, D(2026, 9, 7), D(2026, 12, 6)},
      {"blz-neu-txt-data.txt", 2, D(2026, 12, 7), std::nullopt},
      {"blz-neu-csv-data.csv", 2, D(2026, 12, 7), std::nullopt},
      // A statement with no real day still ends the reach of the one before.
      {"blz-kaputt-txt-data.txt", 3, std::nullopt, std::nullopt},
      // A statement in the link's own text counts for it.
      {"blz-text-txt-data.txt", 4, D(2027, 3, 8), std::nullopt},
  };
  // clang-format on
  const std::vector<OfferedFile> files = FindOfferedFiles(page, kPageUrl);
  ASSERT_EQ(files.size(), std::size(expected));
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(files[i].fileName, expected[i].name);
    EXPECT_EQ(files[i].group, expected[i].group);
    EXPECT_EQ(files[i].validFrom, expected[i].from);
    EXPECT_EQ(files[i].validUntil, expected[i].until);
  }
}

TEST(FindOfferedFiles, ValidityWordings) {
  struct Case {
    const char* html;  // stands before a link to a bank-code file
    std::optional<Date> from;
    std::optional<Date> until;
  };
  const std::optional<Date> none;
  // clang-format off
  const Case cases[] = {
      {"gültig vom 07.09.2026 bis 06.12.2026", D(2026, 9, 7), D(2026, 12, 6)},
      {"gültig vom 07.09.2026 - 06.12.2026", D(2026, 9, 7), D(2026, 12, 6)},
      {"gültig vom 07.09.2026 \xE2\x80\x93 06.12.2026", D(2026, 9, 7), D(2026, 12, 6)},
      {"gültig von 7.9.2026 bis 6.12.2026", D(2026, 9, 7), D(2026, 12, 6)},
      {"GÜLTIG AB 07.12.2026", D(2026, 12, 7), none},
      {"G&Uuml;LTIG Ab 07.12.2026", D(2026, 12, 7), none},
      {"g&uuml;ltig&nbsp;ab&nbsp;<b>07.12.2026</b>", D(2026, 12, 7), none},
      {"<p>G&#252;ltig\n   vom</p>\n<span> 07.09.2026 </span>\r\n bis <em>06.12.2026</em>",
       D(2026, 9, 7), D(2026, 12, 6)},
      {"<td>gültig ab</td><td>07.12.2026</td>", D(2026, 12, 7), none},
      {"gueltig ab 07.12.2026", D(2026, 12, 7), none},
      {"g\xFCltig ab 07.12.2026", D(2026, 12, 7), none},  // Latin-1, no charset named
      {"gültig bis 06.12.2026", none, D(2026, 12, 6)},
      {"gültig vom 07.09.2026", D(2026, 9, 7), none},
      {"gültig ab 29.02.2028", D(2028, 2, 29), none},
      {"gültig ab 29.02.2027", none, none},                 // no real day
      {"gültig vom 07.09.2026 bis 31.11.2026", none, none},  // no real day
      {"gültig vom 06.12.2026 bis 07.09.2026", none, none},  // ends before it begins
      {"ungültig ab 07.12.2026", none, none},
      {"gültig ab 07.12.20261", none, none},
      {"Gültigkeit: 07.12.2026", none, none},
      {"<script>var s = 'gültig ab 07.12.2026';</script>", none, none},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.html);
    const std::string page = std::string("<body>") + c.html + Link("blz-txt-data.txt") + "</body>";
    const std::vector<OfferedFile> files = FindOfferedFiles(page, kPageUrl);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].validFrom, c.from);
    EXPECT_EQ(files[0].validUntil, c.until);
  }
}

TEST(FindOfferedFiles, Addresses) {
  struct Case {
    const char* head;  // e.g. a <base>
    const char* href;
    const char* url;  // empty: no file
    const char* fileName;
  };
  // clang-format off
  const Case cases[] = {
      {"", "/r/blz-txt-data.txt", "https://www.bank.example/r/blz-txt-data.txt", "blz-txt-data.txt"},
      {"", "r/blz-txt-data.txt", "https://www.bank.example/de/aufgaben/r/blz-txt-data.txt", "blz-txt-data.txt"},
      {"", "../blz-txt-data.txt", "https://www.bank.example/de/blz-txt-data.txt", "blz-txt-data.txt"},
      {"", "//cdn.example/blz-txt-data.txt", "https://cdn.example/blz-txt-data.txt", "blz-txt-data.txt"},
      {"", "https://other.example/a/BLZ-TXT-DATA.TXT?v=1#top",
       "https://other.example/a/BLZ-TXT-DATA.TXT?v=1#top", "BLZ-TXT-DATA.TXT"},
      {"", "\n  /r/blz-txt-data.txt?a=1&amp;b=2 \t", "https://www.bank.example/r/blz-txt-data.txt?a=1&b=2",
       "blz-txt-data.txt"},
      {"", "/r/blz%20neu-txt-data.txt", "https://www.bank.example/r/blz%20neu-txt-data.txt",
       "blz neu-txt-data.txt"},
      {"", "/r/blz neu-txt-data.txt", "https://www.bank.example/r/blz%20neu-txt-data.txt",
       "blz neu-txt-data.txt"},
      {"", "/r/gr&uuml;n-txt-data.txt", "https://www.bank.example/r/gr%c3%bcn-txt-data.txt",
       "gr\xC3\xBCn-txt-data.txt"},
      {"<base href=\"https://files.example/blz/\">", "neu/blz-txt-data.txt",
       "https://files.example/blz/neu/blz-txt-data.txt", "blz-txt-data.txt"},
      {"<base href=\"/ablage/\">", "blz-txt-data.txt", "https://www.bank.example/ablage/blz-txt-data.txt",
       "blz-txt-data.txt"},
      {"", "http://www.bank.example/blz-txt-data.txt", "http://www.bank.example/blz-txt-data.txt",
       "blz-txt-data.txt"},
      {"", "/r/blz-txt-data.txt/", "", ""},          // the name is empty
      {"", "/r/x%2Fblz-txt-data.txt", "", ""},       // the name would hold a "/"
      {"", "/r/x%0Ablz-txt-data.txt", "", ""},       // ... or a control character
      {"", "ftp://ftp.example/blz-txt-data.txt", "", ""},
      {"", "javascript:alert('blz-txt-data.txt')", "", ""},
      {"", "mailto:blz@example.org?subject=blz-txt-data.txt", "", ""},
      {"", "/r/blz-txt-data.txt.pdf", "", ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.href);
    const std::string page = std::string("<html><head>") + c.head + "</head><body><a href=\"" +
                             c.href + "\">Datei</a></body></html>";
    const std::vector<OfferedFile> files = FindOfferedFiles(page, kPageUrl);
    if (*c.url == '\0') {
      EXPECT_TRUE(files.empty());
      continue;
    }
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].url, c.url);
    EXPECT_EQ(files[0].fileName, c.fileName);
  }
}

TEST(FindOfferedFiles, EachAddressOnce) {
  const std::string page =
      "<a href='/r/blz-txt-data.txt'>a</a><p>gültig ab 07.12.2026</p>"
      "<a href='https://www.bank.example/r/blz-txt-data.txt'>b</a>"
      "<a href='/r/blz-xml-data.xml'>c</a>";
  const std::vector<OfferedFile> files = FindOfferedFiles(page, kPageUrl);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].fileName, "blz-txt-data.txt");
  EXPECT_EQ(files[0].group, 0);  // the first occurrence counts
  EXPECT_EQ(files[1].fileName, "blz-xml-data.xml");
  EXPECT_EQ(files[1].group, 1);
}

TEST(FindOfferedFiles, DateInTheFileNameWhenThePageNamesNone) {
  const std::string page =
      "<a href='/blz_2026_06_08-txt-data.txt'>a</a>"
      "<p>gültig bis 06.12.2026</p><a href='/2026-09-07-xml-data.xml'>b</a>"
      "<p>gültig ab 07.12.2026</p><a href='/blz_2026_06_08-csv-data.csv'>c</a>";
  const std::vector<OfferedFile> files = FindOfferedFiles(page, kPageUrl);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].validFrom, D(2026, 6, 8));
  EXPECT_EQ(files[0].validUntil, std::nullopt);
  EXPECT_EQ(files[1].validFrom, D(2026, 9, 7));
  EXPECT_EQ(files[1].validUntil, D(2026, 12, 6));
  EXPECT_EQ(files[2].validFrom, D(2026, 12, 7));  // the page's word wins
}

TEST(FindOfferedFiles, PagesWithoutFiles) {
  constexpr char kJunk[] = "\0\xFF\xFE<a href=\0>\x80\x81<<<>>>&#0;&#xFFFFFFFF;&bogus;";
  // clang-format off
  const std::string pages[] = {
      "",
      "<html><body><a href='/info.pdf'>PDF</a> gültig ab 07.12.2026</body></html>",
      std::string(kJunk, sizeof kJunk - 1),
      "<a href='/blz-txt-data.txt>x</a>",       // unterminated quote
      "<!-- <a href='/blz-txt-data.txt'>x</a> -->",
  };
  // clang-format on
  for (const std::string& page : pages) {
    EXPECT_TRUE(FindOfferedFiles(page, kPageUrl).empty()) << page;
  }
  // Junk around a good link does not hide it.
  EXPECT_EQ(FindOfferedFiles("\x01\x02<p><a href='/blz-txt-data.txt'>x", kPageUrl).size(), 1u);
  // Deep trees are read; absurdly deep ones end the parse early, without harm.
  const auto nested = [](int depth) {
    std::string page;
    for (int i = 0; i < depth; ++i) page += "<div><span>";
    return page + "<a href='/blz-txt-data.txt'>tief</a>";
  };
  EXPECT_EQ(FindOfferedFiles(nested(100), kPageUrl).size(), 1u);
  EXPECT_LE(FindOfferedFiles(nested(100000), kPageUrl).size(), 1u);
  // Without a usable page address only absolute links can be resolved.
  EXPECT_TRUE(FindOfferedFiles("<a href='/blz-txt-data.txt'>x</a>", "kein Link").empty());
  EXPECT_EQ(FindOfferedFiles("<a href='https://a.example/blz-txt-data.txt'>x</a>", "").size(), 1u);
}

TEST(BankCodeFileForm, Names) {
  struct Case {
    const char* name;
    std::optional<OfferedFileKind> kind;
    bool zipped;
  };
  using enum OfferedFileKind;
  // clang-format off
  const Case cases[] = {
      {"blz-aktuell-xml-data.xml", Xml, false},
      {"blz-aktuell-txt-data.txt", Text, false},
      {"blz-aktuell-csv-data.csv", Csv, false},
      {"BLZ-AKTUELL-CSV-DATA.CSV", Csv, false},
      {"blz-aktuell-xml-zip-data.zip", Xml, true},
      {"blz-aktuell-txt-zip-data.zip", Text, true},
      {"blz-aktuell-csv-zip-data.zip", Csv, true},
      {"blz-txt-aktuell-zip-data.zip", Text, true},
      {"blz_csv_neu-zip-data.zip", Csv, true},
      {"blz-xml-aktuell-txt-zip-data.zip", Text, true},  // the last form named decides
      {"blz-aktuell-zip-data.zip", std::nullopt, false},  // no form named
      {"blz-aktuell-txtx-zip-data.zip", std::nullopt, false},
      {"blz-aktuell-txt-data.csv", std::nullopt, false},
      {"blz-aktuell-xml-data.xml.pdf", std::nullopt, false},
      {"blz-loeschungen-neu-data.pdf", std::nullopt, false},
      {"blz_2026_06_08.txt", std::nullopt, false},
      {"", std::nullopt, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<OfferedForm> form = BankCodeFileForm(c.name);
    ASSERT_EQ(form.has_value(), c.kind.has_value());
    if (!form) continue;
    EXPECT_EQ(form->kind, *c.kind);
    EXPECT_EQ(form->zipped, c.zipped);
  }
}

TEST(FileNameDate, Names) {
  struct Case {
    const char* name;
    std::optional<Date> date;
  };
  // clang-format off
  const Case cases[] = {
      {"blz_2026_06_08.txt", D(2026, 6, 8)},
      {"blz-2026-12-07-txt-data.txt", D(2026, 12, 7)},
      {"2026-12-07", D(2026, 12, 7)},
      {"blz_2026-06_08.txt", D(2026, 6, 8)},
      {"blz_2026_02_30_2026_03_02.txt", D(2026, 3, 2)},  // the first real day
      {"blz_12026_06_08.txt", std::nullopt},
      {"blz_2026_06_081.txt", std::nullopt},
      {"blz_2026.06.08.txt", std::nullopt},
      {"blz_2026_6_8.txt", std::nullopt},
      {"blz_2026_13_01.txt", std::nullopt},
      {"blz-aktuell-txt-data.txt", std::nullopt},
  };
  // clang-format on
  for (const Case& c : cases) {
    EXPECT_EQ(FileNameDate(c.name), c.date) << c.name;
  }
}

}  // namespace
}  // namespace talvenor::editions
