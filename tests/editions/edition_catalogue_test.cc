// Choosing the edition in force among the built-in and installed editions,
// and reading editions of both widths.
#include "editions/edition_catalogue.h"

#include <gtest/gtest.h>

#include "editions/bank_lines.h"
#include "editions/checksum.h"
#include "editions/edition_provenance.h"
#include "editions/edition_test_support.h"
#include "editions/zip_packer.h"

namespace talvenor::editions {
namespace {

using namespace std::chrono;
using testing::BuiltinWithRule;
using testing::EditionFolderTest;
using testing::PublicEdition2026;
using testing::XmlOf;
using testing::Zipped;
namespace fs = std::filesystem;

std::unique_ptr<BankDataEdition> LoadOrFail(const EditionCatalogue& catalogue,
                                            const EditionSource& source) {
  std::string error;
  std::vector<std::string> warnings;
  auto edition = catalogue.Load(source, error, warnings);
  EXPECT_NE(edition, nullptr) << error;
  EXPECT_TRUE(warnings.empty());
  return edition;
}

TEST(EditionCatalogue, BuiltInAloneIsValidUntilSecondOfJune2024) {
  const EditionCatalogue catalogue;
  const EditionSource& inForce = catalogue.InForce(year{2026} / December / 9);
  EXPECT_EQ(inForce.origin, EditionOrigin::kBuiltIn);
  EXPECT_EQ(catalogue.ValidUntil(inForce, std::nullopt), BuiltinDataValidUntil);
  const auto edition = LoadOrFail(catalogue, inForce);
  EXPECT_EQ(edition->directory.size(), 3544u);
  EXPECT_TRUE(edition->hasOwnRuleNumbers());
  EXPECT_TRUE(edition->assumedRuleBankCodes.empty());
  // Every method of the built-in edition is one the program handles.
  EXPECT_TRUE(edition->unhandledMethodBankCodes.empty());
  EXPECT_TRUE(edition->ExpiredOn(year{2024} / June / 3));
  EXPECT_FALSE(edition->ExpiredOn(year{2024} / June / 2));
}

TEST_F(EditionFolderTest, PublicEditionTakesRulesFromTheBuiltInOneAndReportsNewBanks) {
  Install(PublicEdition2026(), "2026-06-08");
  const EditionCatalogue catalogue = Catalogue();
  const EditionSource& inForce = catalogue.InForce(year{2026} / July / 1);
  ASSERT_EQ(inForce.origin, EditionOrigin::kInstalled);
  EXPECT_EQ(inForce.validFrom, year{2026} / June / 8);
  const auto edition = LoadOrFail(catalogue, inForce);
  EXPECT_EQ(edition->validUntil, year{2026} / September / 6);
  EXPECT_EQ(edition->lineWidth, kPublicLineWidth);
  EXPECT_EQ(edition->rulesFrom, BuiltinDataValidFrom);
  // 3506 main lines, three of them marked as removed in this edition.
  EXPECT_EQ(edition->directory.size(), 3503u);

  const BankDirectory& directory = edition->directory;
  const BlzInfoIBAN* scalable = directory.Lookup("70022424");
  ASSERT_NE(scalable, nullptr);
  EXPECT_EQ(scalable->name(), "Scalable Capital Bank");
  EXPECT_EQ(scalable->firstBic(), "SCABDEMMXXX");
  EXPECT_EQ(scalable->ibanRule(), 0);
  EXPECT_EQ(directory.ruleOrigin(*scalable), RuleOrigin::kAssumed);
  EXPECT_EQ(edition->assumedRuleBankCodes.size(), 10u);
  EXPECT_EQ(directory.Lookup("20050000"), nullptr);
  EXPECT_EQ(directory.Lookup("33060592")->checkMethod(), "09");
  const BlzInfoIBAN* cologne = directory.Lookup("37050198");
  EXPECT_EQ(cologne->ibanRule(), 700);
  EXPECT_EQ(directory.ruleOrigin(*cologne), RuleOrigin::kInherited);

  // Before it starts, the built-in edition is in force, but its validity
  // is not stretched up to the later edition: it ended long before.
  const EditionSource& before = catalogue.InForce(year{2026} / June / 7);
  EXPECT_EQ(before.origin, EditionOrigin::kBuiltIn);
  EXPECT_EQ(catalogue.ValidUntil(before, std::nullopt), BuiltinDataValidUntil);
}

TEST_F(EditionFolderTest, ExtendedEditionUsesItsOwnRulesAndLendsThemToLaterPublicOnes) {
  // The built-in file with one rule changed, installed as an edition of
  // December 2025: 37050198 moves from rule 0007 to rule 0000.
  Install(Scratch("extended.txt", BuiltinWithRule("37050198", "000000")), "2025-12-08");
  EditionCatalogue catalogue = Catalogue();
  auto extended = LoadOrFail(catalogue, catalogue.InForce(year{2026} / January / 1));
  EXPECT_EQ(extended->lineWidth, kExtendedLineWidth);
  EXPECT_EQ(extended->directory.Lookup("37050198")->ibanRule(), 0);
  EXPECT_EQ(extended->directory.ruleOrigin(*extended->directory.Lookup("37050198")),
            RuleOrigin::kEdition);

  Install(PublicEdition2026(), "2026-06-08");
  catalogue = Catalogue();
  auto later = LoadOrFail(catalogue, catalogue.InForce(year{2026} / July / 1));
  EXPECT_EQ(later->rulesFrom, year{2025} / December / 8);
  EXPECT_EQ(later->directory.Lookup("37050198")->ibanRule(), 0);
  // The extended edition ends with its quarter, not where the public one
  // begins: the quarter of March 2026 is missing.
  EXPECT_EQ(catalogue.ValidUntil(extended->source, std::nullopt), year{2026} / March / 8);
}

// The same for an extended edition installed as a ZIP package of the XML
// form: the catalogue finds its rules by looking into the package.
TEST_F(EditionFolderTest, PackedXmlExtendedEditionLendsItsRulesToLaterPublicOnes) {
  const std::string xml = XmlOf(BuiltinWithRule("37050198", "000000"), "2025-12-08", "2026-03-08");
  Install(Scratch("blz-xml.zip", Zipped("blz_2025_12_08.xml", xml)), "2025-12-08");
  Install(PublicEdition2026(), "2026-06-08");
  const EditionCatalogue catalogue = Catalogue();
  auto later = LoadOrFail(catalogue, catalogue.InForce(year{2026} / July / 1));
  EXPECT_EQ(later->rulesFrom, year{2025} / December / 8);
  EXPECT_EQ(later->directory.Lookup("37050198")->ibanRule(), 0);
}

TEST_F(EditionFolderTest, UserEditionsHideSystemOnesOfTheSameDateAndOtherFilesAreIgnored) {
  fs::create_directories(system_);
  fs::copy_file(PublicEdition2026(), system_ / "blz_2026_06_08.txt");
  fs::copy_file(PublicEdition2026(), system_ / "blz_2026_03_09.txt");
  EXPECT_EQ(Catalogue().InForce(year{2026} / July / 1).origin, EditionOrigin::kSystem);

  Install(Scratch("blz_2026_06_08.txt", BuiltinWithRule("37050198", "000000")));
  // Names the program does not store editions under are not editions.
  test_support::WriteFile(user_ / ".blz_2026_09_07.txt.talvenor-install-a1b2c3", "x");
  test_support::WriteFile(user_ / "blz_2026_09_07.txt.orig", "x");
  fs::create_directories(user_ / "blz_2026_12_07.txt");  // a folder
  const EditionCatalogue catalogue = Catalogue();
  ASSERT_EQ(catalogue.editions().size(), 3u);
  EXPECT_EQ(catalogue.editions()[1].origin, EditionOrigin::kSystem);
  EXPECT_EQ(catalogue.editions()[2].origin, EditionOrigin::kInstalled);
  ASSERT_EQ(catalogue.hidden().size(), 1u);
  EXPECT_EQ(catalogue.hidden()[0].origin, EditionOrigin::kSystem);
  EXPECT_EQ(catalogue.ValidUntil(catalogue.editions()[1], std::nullopt), year{2026} / June / 7);
}

TEST_F(EditionFolderTest, DamagedInstalledEditionGivesWayToTheOneBefore) {
  Install(PublicEdition2026(), "2026-06-08");
  // Damaged after the install: the last line cut short.
  const fs::path stored = user_ / "blz_2026_06_08.txt";
  fs::resize_file(stored, fs::file_size(stored) - 50);
  std::vector<std::string> warnings;
  const auto edition = Catalogue().LoadInForce(year{2026} / July / 1, warnings);
  ASSERT_NE(edition, nullptr);
  EXPECT_EQ(edition->source.origin, EditionOrigin::kBuiltIn);
  // Valid only until its own end: the damaged edition counts for nothing.
  EXPECT_EQ(edition->validUntil, BuiltinDataValidUntil);
  EXPECT_TRUE(edition->ExpiredOn(year{2026} / July / 1));
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find("ist fehlerhaft und wird nicht verwendet"), std::string::npos);
  EXPECT_NE(warnings[0].find("Zeile 13877 hat 120 Zeichen"), std::string::npos) << warnings[0];
  EXPECT_NE(warnings[1].find("Stattdessen wird die Ausgabe vom 04.03.2024"), std::string::npos);
}

// The edition in force on `day` and its last valid day, read from the
// test's folders.
struct InForceOn {
  EditionOrigin origin;
  Date validFrom;
  Date validUntil;
  std::vector<std::string> warnings;
};

class ValidityTest : public EditionFolderTest {
 protected:
  InForceOn At(Date day) const {
    std::vector<std::string> warnings;
    const auto edition = Catalogue().LoadInForce(day, warnings);
    return {edition->source.origin, edition->source.validFrom, edition->validUntil, warnings};
  }
  void Put(const std::string& name, std::string_view bytes) {
    fs::create_directories(user_);
    test_support::WriteFile(user_ / name, bytes);
  }
  std::string public2026_ = test_support::ReadFile(PublicEdition2026());
};

TEST_F(ValidityTest, AnEarlyInstallLeavesOldDataExpired) {
  Install(PublicEdition2026(), "2026-06-08", year{2026} / May / 20);
  const InForceOn may = At(year{2026} / May / 20);
  EXPECT_EQ(may.origin, EditionOrigin::kBuiltIn);
  EXPECT_EQ(may.validUntil, BuiltinDataValidUntil);
  // From its start the new edition is in force, to the end of its quarter.
  const InForceOn june = At(year{2026} / June / 8);
  EXPECT_EQ(june.validFrom, year{2026} / June / 8);
  EXPECT_EQ(june.validUntil, year{2026} / September / 6);
}

TEST_F(ValidityTest, AnUnreadableLaterFileCountsForNothing) {
  Put("blz_2026_06_08.txt", "kaputt\r\n");
  EXPECT_EQ(At(year{2026} / May / 20).validUntil, BuiltinDataValidUntil);
  const InForceOn july = At(year{2026} / July / 1);
  EXPECT_EQ(july.origin, EditionOrigin::kBuiltIn);
  EXPECT_EQ(july.validUntil, BuiltinDataValidUntil);
  EXPECT_FALSE(july.warnings.empty());
}

TEST_F(ValidityTest, ASkippedQuarterIsExpiredTime) {
  Put("blz_2026_03_09.txt", BuiltinWithRule("37050198", "000000"));
  Put("blz_2026_09_07.txt", public2026_);
  const InForceOn july = At(year{2026} / July / 1);
  EXPECT_EQ(july.validFrom, year{2026} / March / 9);
  EXPECT_EQ(july.validUntil, year{2026} / June / 7);
  EXPECT_EQ(At(year{2026} / September / 7).validFrom, year{2026} / September / 7);
}

TEST_F(ValidityTest, OnlyAReadableEditionOffTheScheduleEndsTheOneBeforeEarly) {
  Put("blz_2026_06_08.txt", public2026_);
  Put("blz_2026_07_01.txt", "kaputt\r\n");
  EXPECT_EQ(At(year{2026} / June / 30).validUntil, year{2026} / September / 6);
  Put("blz_2026_07_01.txt", public2026_);
  EXPECT_EQ(At(year{2026} / June / 30).validUntil, year{2026} / June / 30);
  // The off-schedule edition ends with the scheduled quarter.
  EXPECT_EQ(At(year{2026} / July / 1).validUntil, year{2026} / September / 6);
}

TEST_F(ValidityTest, AHiddenEditionStandsInForAnUnreadableOneOfItsDate) {
  fs::create_directories(system_);
  test_support::WriteFile(system_ / "blz_2026_06_08.txt", public2026_);
  Put("blz_2026_06_08.txt", "kaputt\r\n");
  const InForceOn july = At(year{2026} / July / 1);
  EXPECT_EQ(july.origin, EditionOrigin::kSystem);
  EXPECT_EQ(july.validUntil, year{2026} / September / 6);
  ASSERT_EQ(july.warnings.size(), 2u);
  EXPECT_NE(july.warnings[1].find("Stattdessen wird die Ausgabe vom 08.06.2026 (systemweit"),
            std::string::npos);
}

TEST_F(ValidityTest, AnEndStatedByTheDownloadPageCountsWhileItDescribesTheFile) {
  Put("blz_2026_06_08.txt", public2026_);
  Provenance provenance{
      "https://example.invalid/blz.txt", "0", Sha256Hex(public2026_), "now", year{2026} / June / 8,
      year{2026} / August / 31};
  test_support::WriteFile(ProvenancePath(user_ / "blz_2026_06_08.txt"), ProvenanceText(provenance));
  EXPECT_EQ(At(year{2026} / July / 1).validUntil, year{2026} / August / 31);
  // A record of another file (this one was replaced by hand) says nothing.
  provenance.fileSha256 = Sha256Hex("anders");
  test_support::WriteFile(ProvenancePath(user_ / "blz_2026_06_08.txt"), ProvenanceText(provenance));
  EXPECT_EQ(At(year{2026} / July / 1).validUntil, year{2026} / September / 6);
}

}  // namespace
}  // namespace talvenor::editions
