// The update from a download page served by a local HTTPS server with its
// own test certificate: what it installs, that a second run changes
// nothing, and that every failure leaves the installed editions exactly as
// they were and says why.
#include "editions/edition_update.h"

#include <gtest/gtest.h>

#include <regex>

#include "editions/bank_lines.h"
#include "editions/checksum.h"
#include "editions/edition_provenance.h"
#include "editions/edition_test_support.h"
#include "editions/zip_packer.h"
#include "support/file_size_limit.h"
#include "support/https_test_server.h"

namespace talvenor::editions {
namespace {

using namespace std::chrono;
using test_support::HttpsTestServer;
using test_support::ReadFile;
using testing::EditionFolderTest;
using testing::PublicEdition2026;
namespace fs = std::filesystem;

constexpr char kTxt[] = "blz-aktuell-txt-data.txt";
constexpr char kNextTxt[] = "blz-neu-txt-data.txt";

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

// The shipped sample of the central bank's page, saying `words` about its
// files, whose links lead to `prefix` + their names on the test server.
std::string SamplePage(const std::string& words, const std::string& prefix = "/") {
  std::string page = ReadFile(fs::path(TALVENOR_TEST_DATA) / "download_page_sample.html");
  page =
      std::regex_replace(page, std::regex("gültig vom 07\\.09\\.2026 bis 06\\.12\\.2026"), words);
  return std::regex_replace(page, std::regex("/resource/blob/[^\"]*/(blz-)"), prefix + "$1");
}

// A page of its own: one validity statement per section, each with links.
std::string Page(const std::vector<std::pair<std::string, std::vector<std::string>>>& sections) {
  std::string page = "<!DOCTYPE html><html><body><h1>Download Bankleitzahlen</h1>";
  for (const auto& [words, links] : sections) {
    page += "<h2>Bankleitzahlendateien</h2><p>" + words + "</p><ul>";
    for (const std::string& link : links) page += "<li><a href=\"" + link + "\">Datei</a></li>";
    page += "</ul>";
  }
  return page + "</body></html>";
}

// Counts what the update says it does.
class CountingObserver : public UpdateObserver {
 public:
  void Step(const std::string& text) override { steps.push_back(text); }
  bool Report(std::uint64_t, std::uint64_t) override { return !cancel; }
  std::vector<std::string> steps;
  bool cancel = false;
};

class UpdateTest : public EditionFolderTest {
 protected:
  void SetUp() override {
    EditionFolderTest::SetUp();
    if (const std::string missing = test_support::HttpsTestServerUnavailable(); !missing.empty()) {
      GTEST_SKIP() << missing;
    }
    server_ = std::make_unique<HttpsTestServer>();
    ASSERT_TRUE(server_->ready()) << "the file server did not start";
    public2026_ = ReadFile(PublicEdition2026());
    server_->AddFile(kTxt, public2026_);
  }

  UpdateResult Update(const std::string& pagePath, Date today = year{2026} / July / 1,
                      UpdateObserver* observer = nullptr, bool trusted = true) {
    HttpsDownloader downloader(
        (trusted ? server_->authorityFile() : server_->strangerFile()).string(), "test");
    UpdateRequest request;
    request.pageUrl = server_->Url(pagePath);
    request.folder = user_;
    request.today = today;
    request.stallSeconds = 2;
    return UpdateEditions(request, Catalogue(), downloader, observer);
  }

  // The files a run fetched, in order, from the server's log.
  std::vector<std::string> Fetched() const {
    std::vector<std::string> paths;
    for (const std::string& line : test_support::ReadLogLines(server_->log())) {
      std::smatch match;
      if (std::regex_search(line, match, std::regex("\"path\": \"([^\"]*)\""))) {
        paths.push_back(match[1]);
      }
    }
    return paths;
  }

  std::unique_ptr<HttpsTestServer> server_;
  std::string public2026_;
  test_support::ScopedEnv proxy_{"https_proxy", std::nullopt};
  test_support::ScopedEnv proxyUpper_{"HTTPS_PROXY", std::nullopt};
};

TEST_F(UpdateTest, InstallsTheOfferedEditionOnceAndASecondRunChangesNothing) {
  server_->AddFile("page.html", SamplePage("gültig vom 08.06.2026 bis 06.09.2026"));
  const UpdateResult first = Update("/page.html");
  ASSERT_EQ(first.outcome, UpdateOutcome::kInstalled) << first.report;
  EXPECT_EQ(first.installed, std::vector<Date>{year{2026} / June / 8});
  const fs::path stored = user_ / "blz_2026_06_08.txt";
  EXPECT_EQ(ReadFile(stored), public2026_);
  const std::optional<Provenance> provenance = ReadProvenance(stored, Sha256Hex(public2026_));
  ASSERT_TRUE(provenance.has_value());
  EXPECT_EQ(provenance->source, server_->Url("/blz-aktuell-txt-data.txt"));
  EXPECT_EQ(provenance->statedUntil, year{2026} / September / 6);

  std::vector<std::string> warnings;
  const auto inForce = Catalogue().LoadInForce(year{2026} / July / 1, warnings);
  EXPECT_EQ(inForce->source.validFrom, year{2026} / June / 8);
  EXPECT_EQ(inForce->validUntil, year{2026} / September / 6);

  const auto before = UserFiles();
  const std::size_t fetchedBefore = Fetched().size();
  const UpdateResult second = Update("/page.html");
  EXPECT_EQ(second.outcome, UpdateOutcome::kCurrent) << second.report;
  EXPECT_TRUE(Contains(second.report, "aktuell")) << second.report;
  EXPECT_EQ(UserFiles(), before);
  // Only the page was read again, not the file.
  EXPECT_EQ(Fetched().size(), fetchedBefore + 1);
}

TEST_F(UpdateTest, APageWithTheNextEditionInstallsBothAndTheSwitchIsAtItsStart) {
  server_->AddFile(kNextTxt, public2026_);
  server_->AddFile("page.html", Page({{"gültig vom 08.06.2026 bis 06.09.2026", {kTxt}},
                                      {"gültig ab 07.09.2026", {kNextTxt}}}));
  const UpdateResult result = Update("/page.html");
  ASSERT_EQ(result.outcome, UpdateOutcome::kInstalled) << result.report;
  EXPECT_EQ(result.installed.size(), 2u);
  const EditionCatalogue catalogue = Catalogue();
  std::vector<std::string> warnings;
  EXPECT_EQ(catalogue.LoadInForce(year{2026} / September / 6, warnings)->source.validFrom,
            year{2026} / June / 8);
  EXPECT_EQ(catalogue.LoadInForce(year{2026} / September / 7, warnings)->source.validFrom,
            year{2026} / September / 7);
}

TEST_F(UpdateTest, ACorrectedFileReplacesTheInstalledOneAndTheSameBytesChangeNothing) {
  server_->AddFile("page.html", SamplePage("gültig vom 08.06.2026 bis 06.09.2026"));
  ASSERT_EQ(Update("/page.html").outcome, UpdateOutcome::kInstalled);
  // The same bytes under a new address: nothing is new.
  fs::create_directories(server_->root() / "neu");
  server_->AddFile("neu/blz-aktuell-txt-data.txt", public2026_);
  server_->AddFile("page2.html", SamplePage("gültig vom 08.06.2026 bis 06.09.2026", "/neu/"));
  const auto before = UserFiles();
  EXPECT_EQ(Update("/page2.html").outcome, UpdateOutcome::kCurrent);
  EXPECT_EQ(UserFiles(), before);
  // A corrected file (one BIC changed) replaces the installed one.
  const std::string corrected =
      test_support::WithField(public2026_, "50127700", 140, "PAYODEF3XXX");
  server_->AddFile("neu/blz-aktuell-txt-data.txt", corrected);
  const UpdateResult result = Update("/page2.html");
  ASSERT_EQ(result.outcome, UpdateOutcome::kInstalled) << result.report;
  EXPECT_TRUE(Contains(result.report, "Sie ersetzt die bisher installierte Ausgabe vom 08.06.2026"))
      << result.report;
  EXPECT_TRUE(Contains(result.report, "50127700  PAYODEF2XXX → PAYODEF3XXX")) << result.report;
  EXPECT_EQ(ReadFile(user_ / "blz_2026_06_08.txt"), corrected);
}

TEST_F(UpdateTest, EveryFailureLeavesTheInstalledEditionsAsTheyWereAndSaysWhy) {
  Install(PublicEdition2026(), "2026-06-08");
  const auto before = UserFiles();
  const std::string words = "gültig vom 07.09.2026 bis 06.12.2026";
  server_->AddFile("blz-bad-txt-data.txt",
                   public2026_.substr(0, 150) + "x" + public2026_.substr(151));
  server_->AddFile("blz-short-txt-data.txt", public2026_.substr(0, 170 * 1000));
  server_->AddFile("blz-undated-txt-data.txt", public2026_);
  server_->AddFile("no-links.html", "<html><body><a href=\"/x.pdf\">PDF</a></body></html>");
  struct Case {
    const char* what;
    std::string page;  // the page's path; empty: "page-N.html" with `links`
    std::string links;
    std::string pageWords;
    const char* expected;
  };
  const Case cases[] = {
      {"page 404", "/status/404/page.html", "", "", "404"},
      {"page 403", "/status/403/page.html", "", "", "403"},
      {"page 500", "/status/500/page.html", "", "", "500"},
      {"no file links", "/no-links.html", "", "", "keine Bankleitzahlendatei verlinkt"},
      {"redirect loop", "/loop/0", "", "", "Weiterleitungen"},
      {"stalls mid-file", "", "/stall/blz-aktuell-txt-data.txt", words, "seit 2 Sekunden"},
      {"cut connection", "", "/cut/blz-aktuell-txt-data.txt", words, "blz-aktuell-txt-data.txt"},
      {"fails the line checks", "", "/blz-bad-txt-data.txt", words,
       "Zeile 1, Feld „Prüfzifferberechnungsmethode“"},
      {"cut file, far too few bank codes", "", "/blz-short-txt-data.txt", words,
       "vermutlich unvollständig"},
      {"validity unknown", "", "/blz-undated-txt-data.txt", "Bankleitzahlen",
       "nennt nicht, ab wann"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string page = c.page;
    if (page.empty()) {
      page = "/page-" + std::to_string(++n) + ".html";
      server_->AddFile(page.substr(1), Page({{c.pageWords, {c.links}}}));
    }
    const UpdateResult result = Update(page);
    EXPECT_EQ(result.outcome, UpdateOutcome::kFailed) << result.report;
    EXPECT_TRUE(Contains(result.report, c.expected)) << result.report;
    EXPECT_TRUE(Contains(result.report, "es wurde nichts geändert")) << result.report;
    EXPECT_EQ(UserFiles(), before);
  }
}

TEST_F(UpdateTest, AnUntrustedCertificateIsRefused) {
  server_->AddFile("page.html", SamplePage("gültig vom 08.06.2026 bis 06.09.2026"));
  const UpdateResult result = Update("/page.html", year{2026} / July / 1, nullptr, false);
  EXPECT_EQ(result.outcome, UpdateOutcome::kFailed);
  EXPECT_TRUE(Contains(result.report, "Zertifikat")) << result.report;
  EXPECT_FALSE(fs::exists(user_));
}

TEST_F(UpdateTest, AFullDiskStoresNothing) {
  server_->AddFile("page.html", SamplePage("gültig vom 08.06.2026 bis 06.09.2026"));
  // A file size limit below the file's size makes storing it fail
  // half-way, as a full disk would.
  const UpdateResult result = [&] {
    const test_support::ScopedFileSizeLimit limit(100000);
    return Update("/page.html");
  }();
  EXPECT_EQ(result.outcome, UpdateOutcome::kFailed);
  EXPECT_TRUE(Contains(result.report, "Datei zu groß")) << result.report;
  EXPECT_TRUE(test_support::FileNames(user_).empty());
}

TEST_F(UpdateTest, CancellingChangesNothing) {
  server_->AddFile("page.html", SamplePage("gültig vom 08.06.2026 bis 06.09.2026"));
  CountingObserver observer;
  observer.cancel = true;
  const UpdateResult result = Update("/page.html", year{2026} / July / 1, &observer);
  EXPECT_EQ(result.outcome, UpdateOutcome::kCancelled);
  EXPECT_FALSE(observer.steps.empty());
  EXPECT_FALSE(fs::exists(user_ / "blz_2026_06_08.txt"));
}

TEST_F(UpdateTest, OfOneEditionInSeveralFormsTheXmlOneIsInstalledWithItsOwnValidity) {
  // The extended edition as XML: its rule numbers are used, its header
  // states the validity, the page says nothing.
  const std::string extended = testing::BuiltinWithRule("37050198", "000000");
  server_->AddFile("blz-aktuell-xml-zip-data.zip",
                   testing::Zipped("blz-aktuell-xml-data.xml",
                                   testing::XmlOf(extended, "2026-06-08", "2026-09-06")));
  server_->AddFile("page.html",
                   Page({{"Bankleitzahlendateien", {kTxt, "blz-aktuell-xml-zip-data.zip"}}}));
  const UpdateResult result = Update("/page.html");
  ASSERT_EQ(result.outcome, UpdateOutcome::kInstalled) << result.report;
  EXPECT_EQ(test_support::FileNames(user_),
            (std::vector<std::string>{"blz_2026_06_08.xml", "blz_2026_06_08.xml.source"}));
  // Only the preferred form was fetched.
  for (const std::string& path : Fetched()) EXPECT_NE(path, std::string("/") + kTxt);
  std::vector<std::string> warnings;
  const auto edition = Catalogue().LoadInForce(year{2026} / July / 1, warnings);
  EXPECT_EQ(edition->form, FileForm::kXml);
  EXPECT_EQ(edition->validUntil, year{2026} / September / 6);
  EXPECT_EQ(edition->directory.Lookup("37050198")->ibanRule(), 0);
  EXPECT_EQ(edition->directory.ruleOrigin(*edition->directory.Lookup("37050198")),
            RuleOrigin::kEdition);
}

TEST_F(UpdateTest, AnXmlFileWhoseValidityContradictsTheScheduleIsRefused) {
  server_->AddFile(
      "blz-aktuell-xml-data.xml",
      testing::XmlOf(testing::BuiltinWithRule("37050198", "000000"), "2026-06-08", "2026-12-31"));
  server_->AddFile("page.html", Page({{"", {"blz-aktuell-xml-data.xml"}}}));
  const UpdateResult result = Update("/page.html");
  EXPECT_EQ(result.outcome, UpdateOutcome::kFailed);
  EXPECT_TRUE(Contains(result.report, "planmäßig gilt sie bis zum 06.09.2026")) << result.report;
  EXPECT_FALSE(fs::exists(user_));
}

}  // namespace
}  // namespace talvenor::editions
