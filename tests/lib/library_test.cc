// The public library, linked as libtalvenor.so: only what its headers and
// its export list offer is used here.
#include <gtest/gtest.h>
#include <talvenor/talvenor.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kData = TALVENOR_TEST_DATA;
const std::string kSample = kData + "/../../examples/IBANHIN.txt";

fs::path FreshFolder(const std::string& name) {
  const fs::path folder =
      fs::temp_directory_path() / ("talvenor_lib_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

TEST(Library, OpensTheBuiltInEditionAndConvertsThoughItHasExpired) {
  const talvenor::Library lib = talvenor::Library::OpenInForce();
  const talvenor::EditionInfo edition = lib.edition();
  EXPECT_EQ(edition.validFrom, "2024-03-04");
  EXPECT_EQ(edition.validUntil, "2024-06-02");
  EXPECT_EQ(edition.origin, "builtin");
  EXPECT_EQ(edition.bankCodes, 3544);
  EXPECT_TRUE(lib.expired());

  const talvenor::Conversion c = lib.Convert("37050198", "1234567897");
  ASSERT_TRUE(c.converted()) << c.message;
  EXPECT_EQ(c.iban, "DE98370501981234567897");
  EXPECT_EQ(c.bic, "COLSDE33XXX");
  EXPECT_EQ(c.resultCode, 0);
  EXPECT_FALSE(c.bankName.empty());
  EXPECT_EQ(c.edition, "2024-03-04");
  EXPECT_TRUE(c.expired);

  const auto editions = talvenor::Editions();
  ASSERT_EQ(editions.size(), 1u);
  EXPECT_EQ(editions[0].origin, "builtin");
  EXPECT_EQ(editions[0].bankCodes, 3544);
  EXPECT_TRUE(editions[0].usable && editions[0].inForce && editions[0].expired);
  // On a day of its validity it has not expired.
  EXPECT_FALSE(talvenor::Editions("2024-04-01")[0].expired);
  EXPECT_FALSE(talvenor::Library::OpenInForce(nullptr, "2024-04-01").expired());
  EXPECT_THROW(talvenor::Library::OpenInForce(nullptr, "01.04.2024"), talvenor::Error);
}

TEST(Library, RefusesBadInputWithTheGermanMessages) {
  const talvenor::Library lib = talvenor::Library::OpenInForce();
  for (const char* code : {"", "3705019", "370501988", "3705019x", "00000000"}) {
    const talvenor::Conversion c = lib.Convert(code, "1234567897");
    EXPECT_EQ(c.status, talvenor::ConversionStatus::kInvalidBankCode) << code;
    EXPECT_EQ(c.message, "Bitte geben Sie eine gültige Bankleitzahl ein!") << code;
    EXPECT_TRUE(c.iban.empty()) << code;
  }
  const talvenor::Conversion missing = lib.Convert("37050198", "");
  EXPECT_EQ(missing.status, talvenor::ConversionStatus::kMissingAccount);
  EXPECT_EQ(missing.message, "Bitte geben Sie eine Kontonummer ein!");
}

TEST(Library, TheFastConverterAgreesWithTheSingleConversion) {
  const talvenor::Library lib = talvenor::Library::OpenInForce();
  talvenor::Library::Converter converter(lib);
  const std::pair<const char*, const char*> accounts[] = {
      {"37050198", "1234567897"}, {"37050198", "1234567890"}, {"10020500", "4711"},
      {"50010517", "648479930"},  {"20041111", "9290701"},    {"70090100", "1234567"}};
  for (const auto& [code, account] : accounts) {
    const talvenor::Conversion single = lib.Convert(code, account);
    ASSERT_TRUE(single.converted()) << code;
    const talvenor::ConversionView& fast = converter.Convert(code, account);
    EXPECT_TRUE(fast.found);
    EXPECT_EQ(fast.iban, single.iban) << code << " " << account;
    EXPECT_EQ(fast.bic, single.bic) << code << " " << account;
    EXPECT_EQ(fast.resultCode, single.resultCode) << code << " " << account;
    EXPECT_EQ(fast.verdict, single.verdict) << code << " " << account;
  }
  // A bank code the directory lacks, then a good one: nothing of the first
  // lingers, nothing of the good one is lost.
  EXPECT_FALSE(converter.Convert("99999999", "1234567897").found);
  EXPECT_EQ(converter.Convert("99999999", "1234567897").resultCode, 10);
  EXPECT_TRUE(converter.Convert("99999999", "1234567897").iban.empty());
  EXPECT_FALSE(converter.Convert("abc", "1").found);
  EXPECT_EQ(converter.Convert("37050198", "1234567897").iban, "DE98370501981234567897");
}

TEST(Library, ChecksIbans) {
  const talvenor::Library lib = talvenor::Library::OpenInForce();
  const talvenor::IbanCheckResult good = lib.CheckIban("de98 3705 0198 1234 5678 97");
  EXPECT_TRUE(good.plausible()) << good.verdict;
  EXPECT_EQ(good.iban, "DE98370501981234567897");
  EXPECT_EQ(good.bic, "COLSDE33XXX");
  EXPECT_EQ(good.edition, "2024-03-04");
  EXPECT_EQ(lib.CheckIban("DE03370501981234567897").code, 84);
  EXPECT_EQ(lib.CheckIban("kein IBAN").code, 82);
  EXPECT_FALSE(lib.CheckIban("").verdict.empty());
}

TEST(Verify, ChecksOneMethodAndRefusesUnknownOnes) {
  EXPECT_TRUE(talvenor::Verify("00", "1234567897").valid());
  EXPECT_EQ(talvenor::Verify("00", "1234567890").result, 0);
  EXPECT_EQ(talvenor::Verify("00", "0000000000").result, -1);
  // Unknown codes would otherwise pass every account as "no method".
  for (const char* method : {"", "0", "E5", "F0", "a0", "000", "0A"}) {
    EXPECT_FALSE(talvenor::IsHandledMethod(method)) << method;
    EXPECT_THROW(talvenor::Verify(method, "1234567897"), talvenor::Error) << method;
  }
  EXPECT_TRUE(talvenor::IsHandledMethod("E4"));
  EXPECT_TRUE(talvenor::IsHandledMethod("A0"));
}

TEST(Library, OpensAGivenFileOrSaysWhyNot) {
  const talvenor::Library lib = talvenor::Library::OpenFile(kData + "/blz_2026_06_08.txt");
  EXPECT_EQ(lib.edition().validFrom, "2026-06-08");
  EXPECT_EQ(lib.edition().origin, "file");
  EXPECT_EQ(lib.Convert("37050198", "1234567897").edition, "2026-06-08");

  EXPECT_THROW(talvenor::Library::OpenFile(kData + "/missing_2026_06_08.txt"), talvenor::Error);
  const fs::path folder = FreshFolder("open");
  fs::copy_file(kData + "/blz_2026_06_08.txt", folder / "blz.txt");
  try {
    talvenor::Library::OpenFile((folder / "blz.txt").string());
    ADD_FAILURE() << "a file without a start date was opened";
  } catch (const talvenor::Error& e) {
    EXPECT_NE(std::string(e.what()).find("--valid-from"), std::string::npos) << e.what();
  }
  EXPECT_EQ(
      talvenor::Library::OpenFile((folder / "blz.txt").string(), "2026-06-08").edition().validFrom,
      "2026-06-08");
  EXPECT_THROW(talvenor::Library::OpenFile((folder / "blz.txt").string(), "2026-13-01"),
               talvenor::Error);
  fs::remove_all(folder);
}

TEST(Library, ConvertsAFileAllOrNothing) {
  const talvenor::Library lib = talvenor::Library::OpenInForce();
  const fs::path folder = FreshFolder("file");
  const std::string output = (folder / "IBANRUECK.txt").string();
  const talvenor::FileConversion done = lib.ConvertFile(kSample, output, "", 1);
  EXPECT_TRUE(done.succeeded) << done.message;
  EXPECT_TRUE(done.expired);
  EXPECT_GT(fs::file_size(output), 0u);

  const std::string untouched = (folder / "kept.txt").string();
  std::ofstream(untouched) << "old";
  const talvenor::FileConversion failed =
      lib.ConvertFile((folder / "missing.txt").string(), untouched);
  EXPECT_FALSE(failed.succeeded);
  EXPECT_FALSE(failed.message.empty());
  EXPECT_EQ(fs::file_size(untouched), 3u);
  EXPECT_FALSE(lib.ConvertFile(kSample, "").succeeded);
  fs::remove_all(folder);
}

TEST(Library, AFileRunIgnoresThePersonsGroupSetting) {
  const fs::path folder = FreshFolder("group");
  fs::create_directories(folder / "config" / "Korvane");
  std::ofstream(folder / "config" / "Korvane" / "Talvenor.ini") << "[SETTINGS]\nGROUP=1\n";
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string previous = saved != nullptr ? saved : "";
  ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  const talvenor::Library lib = talvenor::Library::OpenInForce();
  const fs::path output = folder / "out" / "IBANRUECK.txt";
  fs::create_directories(output.parent_path());
  const talvenor::FileConversion single = lib.ConvertFile(kSample, output.string(), "", 1);
  EXPECT_TRUE(single.succeeded) << single.message;
  EXPECT_TRUE(fs::exists(output));
  EXPECT_EQ(std::distance(fs::directory_iterator(output.parent_path()), {}), 1);
  fs::remove(output);
  const talvenor::FileConversion grouped =
      lib.ConvertFile(kSample, output.string(), "", 1, /*group=*/true);
  EXPECT_TRUE(grouped.succeeded) << grouped.message;
  EXPECT_FALSE(fs::exists(output));
  EXPECT_GE(std::distance(fs::directory_iterator(output.parent_path()), {}), 1);
  if (saved != nullptr) {
    ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  fs::remove_all(folder);
}

}  // namespace
