// The documents that travel with the program: the help document and the
// licence terms beside the built executable, and the disclaimer and icon
// built into the application library.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringDecoder>

#include "app/dlghaft.h"

namespace {

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

QByteArray ReadResource(const char* name) {
  talvenor::app::LoadBuiltInResources();
  QFile file(name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Decodes UTF-8 strictly; a byte sequence that is no UTF-8 (a file saved
// in Latin-1, say) fails instead of turning into replacement characters.
bool DecodeUtf8(const QByteArray& bytes, QString* text) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  *text = decoder(bytes);
  return !decoder.hasError();
}

// The folder of the built program, where the build puts the documents the
// program opens from its own folder.
std::filesystem::path ProgramFolder() {
  const char* exe = std::getenv("TALVENOR_EXE");
  return exe != nullptr ? std::filesystem::path(exe).parent_path() : std::filesystem::path();
}

// Counts the page objects of a PDF: "/Type /Page" not followed by "s",
// which would make it the page tree ("/Type /Pages").
int CountPdfPages(const std::string& pdf) {
  int pages = 0;
  for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos;
       at = pdf.find("/Type /Page", at + 1)) {
    const std::size_t next = at + std::string("/Type /Page").size();
    if (next >= pdf.size() || pdf[next] != 's') ++pages;
  }
  return pages;
}

TEST(DocumentsBesideProgram, HelpDocumentIsACompletePdf) {
  if (ProgramFolder().empty()) GTEST_SKIP() << "TALVENOR_EXE not set";
  const std::string pdf = ReadWholeFile(ProgramFolder() / "Talvenor.pdf");
  ASSERT_FALSE(pdf.empty()) << "Talvenor.pdf missing beside " << std::getenv("TALVENOR_EXE");
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_NE(pdf.find("%%EOF", pdf.size() > 64 ? pdf.size() - 64 : 0), std::string::npos)
      << "the file ends before the PDF trailer";
  // The help covers the dialog, the batch run with its tables, FORMAT.INI,
  // the settings and the command line: several pages, never a single one.
  EXPECT_GE(CountPdfPages(pdf), 4);
}

TEST(DocumentsBesideProgram, LicenceTermsAreThereAndReadable) {
  if (ProgramFolder().empty()) GTEST_SKIP() << "TALVENOR_EXE not set";
  // The program looks for its own path with the extension "txt"; the
  // executable has none, so the name is "talvenor.txt".
  const std::string licence = ReadWholeFile(ProgramFolder() / "talvenor.txt");
  ASSERT_FALSE(licence.empty()) << "talvenor.txt missing beside the program";
  QString text;
  EXPECT_TRUE(DecodeUtf8(QByteArray::fromStdString(licence), &text));
  EXPECT_TRUE(text.contains("Korvane"));
  EXPECT_TRUE(text.contains("Deutschen Bundesbank"));
  EXPECT_TRUE(text.contains("02.06.2024")) << "the licence names the data set's validity";
}

TEST(BuiltInDocuments, DisclaimerIsUtf8HtmlWithTheRequiredStatements) {
  const QByteArray bytes = ReadResource(talvenor::app::kDisclaimerResource);
  ASSERT_FALSE(bytes.isEmpty()) << "the disclaimer is not built into the program";
  QString html;
  ASSERT_TRUE(DecodeUtf8(bytes, &html)) << "the disclaimer is not valid UTF-8";
  EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">", Qt::CaseInsensitive));
  EXPECT_TRUE(html.contains("</html>"));

  // What the disclaimer has to say, each by the words that carry it.
  // clang-format off
  const char* const statements[] = {
      "IBAN",                    // what the program computes ...
      "BIC",                     // ... from account number and bank code
      "ISO 13616",               // the standard reserves the IBAN to the bank
      "kontoführenden Instituts",
      "IBAN-Regeln",             // the industry's agreement on conversion
      "Deutschen Bundesbank",    // who maintains those rules
      "Kontoinhaber",            // who alone gives binding information
      "Haftung",                 // the liability disclaimer
      "Haftungsausschluss akzeptieren",
  };
  // clang-format on
  for (const char* statement : statements) {
    EXPECT_TRUE(html.contains(QString::fromUtf8(statement))) << "missing: " << statement;
  }
}

TEST(BuiltInDocuments, IconIsBuiltIn) {
  const QByteArray icon = ReadResource(":/talvenor/talvenor.svg");
  ASSERT_FALSE(icon.isEmpty()) << "the icon is not built into the program";
  EXPECT_TRUE(icon.contains("<svg"));
}

}  // namespace
