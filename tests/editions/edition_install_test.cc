// Installing bank-code files: the report, and every refusal leaving the
// installed editions exactly as they were.
#include "editions/edition_install.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "editions/checksum.h"
#include "editions/edition_provenance.h"
#include "editions/edition_test_support.h"
#include "support/file_size_limit.h"

namespace talvenor::editions {
namespace {

using namespace std::chrono;
using testing::BuiltinWithRule;
using testing::EditionFolderTest;
using testing::PublicEdition2026;
namespace fs = std::filesystem;

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST_F(EditionFolderTest, InstallReportsValidityWidthAndEveryChange) {
  const InstallResult result = Install(PublicEdition2026());  // the name carries the date
  const std::string& report = result.message;
  EXPECT_EQ(result.storedAt, user_ / "blz_2026_06_08.txt");
  EXPECT_EQ(test_support::ReadFile(result.storedAt), test_support::ReadFile(PublicEdition2026()));
  EXPECT_TRUE(result.warnings.empty());
  for (const char* part : {
           "Gültig ab:       08.06.2026",
           "Gültig bis:      06.09.2026",
           "Zeilenbreite:    168 Zeichen (öffentliche Datei ohne IBAN-Regeln; die Regeln stammen "
           "aus der Ausgabe vom 04.03.2024)",
           "Bankleitzahlen:  3503",
           "Diese Ausgabe ist ab sofort in Kraft.",
           "Änderungen gegenüber der bisher geltenden Ausgabe vom 04.03.2024 (eingebaut):",
           // Counted independently with awk over both files' main lines.
           "Neue Bankleitzahlen (10):",
           "    70022424  Scalable Capital Bank\n",
           "Entfallene Bankleitzahlen (51):",
           "    20050000  Hamburg Commercial Bank\n",
           "Geänderte Prüfzifferberechnungsmethode (10):",
           "    33060592  51 → 09\n",
           "Geänderter BIC (4):",
           "    50127700  PAYODE22XXX → PAYODEF2XXX\n",
           "Keine IBAN-Regel bekannt, die Standardregel wird angenommen (10 Bankleitzahlen):",
       }) {
    EXPECT_TRUE(Contains(report, part)) << part << "\n---\n" << report;
  }
  // The built-in edition has rule numbers: nothing to say about rules.
  EXPECT_FALSE(Contains(report, "Geänderte IBAN-Regel"));
}

TEST_F(EditionFolderTest, SameStartDateReplacesAndOffScheduleDatesWarn) {
  Install(PublicEdition2026(), "2026-06-08");
  const InstallResult again =
      Install(Scratch("extended.txt", BuiltinWithRule("37050198", "000000")), "2026-06-08");
  EXPECT_TRUE(
      Contains(again.message, "Sie ersetzt die bisher installierte Ausgabe vom 08.06.2026."));
  // Compared with the public edition it replaces, which took rule 0007.
  EXPECT_TRUE(Contains(again.message, "Geänderte IBAN-Regel (1):\n    37050198  0007 00 → 0000 00"))
      << again.message;
  EXPECT_EQ(test_support::ReadFile(user_ / "blz_2026_06_08.txt"),
            BuiltinWithRule("37050198", "000000"));

  const InstallResult early =
      Install(Scratch("aktuell.txt", test_support::ReadFile(PublicEdition2026())), "2026-06-10");
  ASSERT_EQ(early.warnings.size(), 1u);
  EXPECT_TRUE(Contains(early.warnings[0], "Der 10.06.2026 ist kein planmäßiger Termin"));
  // A date in the name that --valid-from overrides is said to be overridden.
  const InstallResult named = Install(
      Scratch("blz_2026_09_07.txt", test_support::ReadFile(PublicEdition2026())), "2026-12-07");
  EXPECT_TRUE(Contains(named.warnings.at(0), "Der Dateiname nennt den 07.09.2026"));
  EXPECT_TRUE(Contains(named.message, "Diese Ausgabe tritt am 07.12.2026 in Kraft"));
  EXPECT_TRUE(fs::exists(user_ / "blz_2026_12_07.txt"));
  EXPECT_FALSE(fs::exists(user_ / "blz_2026_09_07.txt"));
}

TEST_F(EditionFolderTest, EveryRefusalLeavesTheInstalledEditionsAsTheyWere) {
  Install(PublicEdition2026(), "2026-06-08");
  const auto before = UserFiles();
  const std::string good = test_support::ReadFile(PublicEdition2026());
  const fs::path fifo = root_ / "scratch" / "fifo.txt";
  fs::create_directories(fifo.parent_path());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

  struct Case {
    const char* what;
    fs::path file;
    std::optional<std::string> validFrom;
    const char* expected;
  };
  // clang-format off
  const Case cases[] = {
      {"no date", Scratch("blz-aktuell.txt", good), std::nullopt, "--valid-from JJJJ-MM-TT"},
      {"malformed date", Scratch("a.txt", good), "08.06.2026", "kein gültiges Datum"},
      {"impossible date", Scratch("b.txt", good), "2026-02-30", "kein gültiges Datum"},
      {"empty file", Scratch("c.txt", ""), "2026-09-07", "Die Datei ist leer."},
      {"truncated", Scratch("d.txt", good.substr(0, good.size() - 60)), "2026-09-07",
       "Zeile 13877 hat 110 Zeichen"},
      {"one bad field", Scratch("e.txt", good.substr(0, 150) + "x" + good.substr(151)),
       "2026-09-07", "Zeile 1, Feld „Prüfzifferberechnungsmethode“"},
      {"mixed widths", Scratch("f.txt", good + std::string(BuiltinEditionText().substr(0, 176))),
       "2026-09-07", "Zeile 13878 hat 174 Zeichen, die erste Zeile 168"},
      {"missing", root_ / "nothing.txt", "2026-09-07", "ist nicht vorhanden"},
      {"folder", root_, "2026-09-07", "ist keine gewöhnliche Datei"},
      {"FIFO", fifo, "2026-09-07", "ist keine gewöhnliche Datei"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const InstallResult result = InstallEdition(
        InstallRequest{c.file, c.validFrom, user_, year{2026} / July / 1}, Catalogue());
    EXPECT_FALSE(result.installed);
    EXPECT_TRUE(Contains(result.message, c.expected)) << result.message;
    EXPECT_TRUE(Contains(result.message, "Es wurde nichts installiert."));
    EXPECT_EQ(UserFiles(), before);
  }
}

TEST_F(EditionFolderTest, FailedWriteLeavesNothingBehind) {
  Install(PublicEdition2026(), "2026-06-08");
  const auto before = UserFiles();
  // A file size limit below the file's size makes storing it fail
  // half-way, as a full disk would.
  const InstallResult result = [&] {
    const test_support::ScopedFileSizeLimit limit(100000);
    return InstallEdition(
        InstallRequest{PublicEdition2026(), "2026-09-07", user_, year{2026} / July / 1},
        Catalogue());
  }();
  EXPECT_FALSE(result.installed);
  EXPECT_TRUE(Contains(result.message, "kann nicht in")) << result.message;
  EXPECT_TRUE(Contains(result.message, "Datei zu groß")) << result.message;
  EXPECT_EQ(UserFiles(), before);  // no temporary file either
}

TEST_F(EditionFolderTest, ImplausibleFilesAreRefusedUnlessForced) {
  Install(PublicEdition2026(), "2026-06-08");
  const auto before = UserFiles();
  const std::string good = test_support::ReadFile(PublicEdition2026());
  struct Case {
    const char* what;
    std::string bytes;
    const char* expected;
  };
  const Case cases[] = {
      // The first 3000 of 13877 lines: well-formed, but most banks missing.
      {"cut short", good.substr(0, 170 * 3000), "vermutlich unvollständig"},
      {"unknown rule", BuiltinWithRule("37050198", "999900"),
       "37050198  Regel 9999 00  Sparkasse KölnBonn"},
      {"unknown version of a known rule", BuiltinWithRule("37050198", "000707"), "Regel 0007 07"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InstallRequest request{Scratch("blz_2026_09_07.txt", c.bytes), std::nullopt, user_,
                           year{2026} / July / 1};
    const InstallResult refused = InstallEdition(request, Catalogue());
    EXPECT_FALSE(refused.installed);
    EXPECT_TRUE(Contains(refused.message, c.expected)) << refused.message;
    EXPECT_TRUE(Contains(refused.message, "Mit --force")) << refused.message;
    EXPECT_EQ(UserFiles(), before);
  }
  // Forced, an unknown rule is not run as the standard rule unnoticed: the
  // bank is marked as one whose rule is assumed.
  InstallRequest forced{Scratch("blz_2026_09_07.txt", BuiltinWithRule("37050198", "999900")),
                        std::nullopt, user_, year{2026} / July / 1};
  forced.force = true;
  const InstallResult result = InstallEdition(forced, Catalogue());
  ASSERT_TRUE(result.installed) << result.message;
  std::string error;
  std::vector<std::string> warnings;
  const auto edition =
      Catalogue().Load(*Catalogue().Find(year{2026} / September / 7), error, warnings);
  ASSERT_NE(edition, nullptr) << error;
  const BlzInfoIBAN* cologne = edition->directory.Lookup("37050198");
  EXPECT_EQ(cologne->ibanRule(), 0);
  EXPECT_EQ(edition->directory.ruleOrigin(*cologne), RuleOrigin::kAssumed);
  ASSERT_EQ(edition->unknownRules.size(), 1u);
  EXPECT_EQ(edition->unknownRules[0].rule, 999900);  // rule 9999, version 00
}

TEST_F(EditionFolderTest, AnExpiredEditionIsInstalledWithANoteAndItsOrigin) {
  const InstallResult result =
      Install(PublicEdition2026(), std::nullopt, year{2026} / December / 9);
  EXPECT_TRUE(Contains(result.message,
                       "Diese Ausgabe ist bereits abgelaufen: sie galt nur bis zum 06.09.2026."))
      << result.message;
  const std::string bytes = test_support::ReadFile(result.storedAt);
  const std::optional<Provenance> provenance = ReadProvenance(result.storedAt, Sha256Hex(bytes));
  ASSERT_TRUE(provenance.has_value());
  EXPECT_EQ(provenance->source, fs::absolute(PublicEdition2026()).string());
  EXPECT_EQ(provenance->sourceSha256, Sha256Hex(bytes));
  EXPECT_FALSE(provenance->received.empty());
}

TEST_F(EditionFolderTest, AnEditionForAllUsersIsReadableByAllWhateverTheUmask) {
  const mode_t previous = ::umask(077);
  InstallRequest request{PublicEdition2026(), std::nullopt, system_, year{2026} / July / 1};
  request.origin = EditionOrigin::kSystem;
  const InstallResult result = InstallEdition(request, Catalogue());
  ::umask(previous);
  ASSERT_TRUE(result.installed) << result.message;
  for (const fs::path& file : {result.storedAt, ProvenancePath(result.storedAt)}) {
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read)
        << file;
  }
  EXPECT_EQ(fs::status(system_).permissions() & fs::perms::others_exec, fs::perms::others_exec);
}

}  // namespace
}  // namespace talvenor::editions
