#include "editions/file_form.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "editions/csv_form.h"
#include "editions/xml_form.h"
#include "editions/zip_package.h"
#include "platform/display_text.h"
#include "platform/utf8.h"
#include "platform/whole_file.h"

namespace talvenor::editions {
namespace {

// How much of a file PeekRuleNumbers and the look for binary data see.
constexpr std::size_t kHeadSize = 16 << 10;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
           return p == (t >= 'A' && t <= 'Z' ? static_cast<char>(t | 0x20) : t);
         });
}

// `bytes` after a UTF-8 byte order mark and blanks.
std::string_view Opening(std::string_view bytes) {
  if (bytes.starts_with(platform::kUtf8ByteOrderMark)) {
    bytes.remove_prefix(platform::kUtf8ByteOrderMark.size());
  }
  const std::size_t start = bytes.find_first_not_of(" \t\r\n");
  return start == std::string_view::npos ? std::string_view{} : bytes.substr(start);
}

std::string_view FirstLine(std::string_view bytes) {
  std::string_view line = bytes.substr(0, bytes.find('\n'));
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

bool IsEmpty(std::string_view bytes) { return bytes.empty(); }
bool IsGzip(std::string_view bytes) { return bytes.starts_with("\x1F\x8B"); }
bool IsPdf(std::string_view bytes) { return bytes.starts_with("%PDF"); }
bool IsUtf16(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}
bool IsXml(std::string_view bytes) { return Opening(bytes).starts_with('<'); }
bool HasByteOrderMark(std::string_view bytes) {
  return bytes.starts_with(platform::kUtf8ByteOrderMark);
}
bool IsCsv(std::string_view bytes) { return IsCsvHeaderLine(FirstLine(bytes)); }
bool IsAnything(std::string_view /*bytes*/) { return true; }

// A web page, perhaps after an XML declaration (XHTML).
bool IsWebPage(std::string_view bytes) {
  std::string_view opening = Opening(bytes);
  if (opening.starts_with("<?xml")) {
    const std::size_t end = opening.find("?>");
    opening = end == std::string_view::npos ? std::string_view{} : Opening(opening.substr(end + 2));
  }
  return StartsWithNoCase(opening, "<!doctype html") || StartsWithNoCase(opening, "<html");
}

// NUL bytes near the start: no text file has them.
bool IsBinary(std::string_view bytes) {
  return bytes.substr(0, kHeadSize).find('\0') != std::string_view::npos;
}

// Latin-1 text saved again as UTF-8: the whole file is well-formed UTF-8
// with at least one sequence of several bytes, and every character lies
// within Latin-1 (lead bytes 0xC2 and 0xC3 only), so it would convert back
// without loss.
bool IsLatin1MadeUtf8(std::string_view bytes) {
  const auto high = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
  const auto beyondLatin1 = [](char c) { return static_cast<unsigned char>(c) >= 0xC4; };
  return std::any_of(bytes.begin(), bytes.end(), high) && platform::IsValidUtf8(bytes) &&
         std::none_of(bytes.begin(), bytes.end(), beyondLatin1);
}

enum class Content : std::uint8_t { kRefused, kZip, kXml, kCsv, kText };

// What the bytes show, tried in this order; the first that matches wins.
struct Sniff {
  bool (*matches)(std::string_view bytes);
  Content content;
  const char* refusal;  // kRefused: why
};
// clang-format off
constexpr Sniff kSniffs[] = {
    {IsEmpty, Content::kRefused, "Die Datei ist leer."},
    {IsZipPackage, Content::kZip, nullptr},
    {IsGzip, Content::kRefused,
     "Die Datei ist gzip-komprimiert; bitte entpacken Sie sie zuerst (z. B. mit gunzip)."},
    {IsPdf, Content::kRefused, "Die Datei ist ein PDF-Dokument, keine Bankleitzahlendatei."},
    {IsUtf16, Content::kRefused,
     "Die Datei ist in UTF-16 geschrieben; die Bundesbank veröffentlicht die "
     "Bankleitzahlendatei in Latin-1 (ISO 8859-1) oder als XML in UTF-8."},
    {IsWebPage, Content::kRefused,
     "Die Datei ist eine Webseite (HTML), keine Bankleitzahlendatei; vermutlich wurde eine "
     "Fehlerseite oder die Download-Seite gespeichert statt der Datei selbst."},
    {IsXml, Content::kXml, nullptr},
    {IsBinary, Content::kRefused,
     "Die Datei enthält Binärdaten (Nullbytes); sie ist keine Bankleitzahlendatei."},
    {HasByteOrderMark, Content::kRefused,
     "Die Datei beginnt mit der Kennung für UTF-8 (Byte Order Mark); die Bundesbank "
     "veröffentlicht die Bankleitzahlendatei in Latin-1 (ISO 8859-1). Die Datei wurde nach "
     "dem Herunterladen umgewandelt; bitte verwenden Sie die unveränderte Datei."},
    {IsLatin1MadeUtf8, Content::kRefused,
     "Die Datei ist in UTF-8 geschrieben; die Bundesbank veröffentlicht die "
     "Bankleitzahlendatei in Latin-1 (ISO 8859-1). Die Datei wurde nach dem Herunterladen "
     "umgewandelt; bitte verwenden Sie die unveränderte Datei."},
    {IsCsv, Content::kCsv, nullptr},
    {IsAnything, Content::kText, nullptr},
};
// clang-format on

const Sniff& Recognise(std::string_view bytes) {
  return *std::find_if(std::begin(kSniffs), std::end(kSniffs),
                       [&](const Sniff& sniff) { return sniff.matches(bytes); });
}

// Reads `bytes` as the form `content` names (not kRefused or kZip).
bool ReadForm(Content content, std::string_view bytes, BankCodeFile& file, std::string& error) {
  switch (content) {
    case Content::kXml:
      return ReadXmlBankCodeFile(bytes, file, error);
    case Content::kCsv:
      return ReadCsvBankCodeFile(bytes, file, error);
    default:
      return ReadBankCodeFile(bytes, file, error);
  }
}

FileForm FormOf(Content content) {
  return content == Content::kXml   ? FileForm::kXml
         : content == Content::kCsv ? FileForm::kCsv
                                    : FileForm::kText;
}

// Reads the one file of the ZIP package `bytes`.
bool ReadPacked(std::string_view bytes, BankCodeFile& file, RecognisedForm& recognised,
                std::string& error) {
  PackedFile packed;
  if (!UnpackSingleFile(bytes, packed, error)) return false;
  std::string place("ZIP-Paket, Datei „");
  place.append(platform::EscapeControlCharacters(packed.name)).append("“: ");
  const Sniff& inner = Recognise(packed.bytes);
  if (inner.content == Content::kZip) {
    error = place + "das Paket enthält wiederum ein ZIP-Paket; bitte entpacken Sie es zuerst.";
    return false;
  }
  if (inner.content == Content::kRefused) {
    error = place + inner.refusal;
    return false;
  }
  if (!ReadForm(inner.content, packed.bytes, file, error)) {
    error.insert(0, place);
    return false;
  }
  recognised = RecognisedForm{FormOf(inner.content), true, std::move(packed.name)};
  return true;
}

}  // namespace

std::string DescribeForm(const RecognisedForm& form) {
  std::string text = form.packed ? "ZIP-Paket mit " : "";
  switch (form.form) {
    case FileForm::kText:
      text += "Textdatei fester Breite";
      break;
    case FileForm::kXml:
      text += "XML-Datei";
      break;
    case FileForm::kCsv:
      text += "CSV-Datei";
      break;
  }
  if (form.packed) {
    text.append(" „").append(platform::EscapeControlCharacters(form.packedName)).append("“");
  }
  return text;
}

bool ReadAnyBankCodeFile(std::string_view bytes, BankCodeFile& file, RecognisedForm& recognised,
                         std::string& error) {
  const Sniff& sniff = Recognise(bytes);
  switch (sniff.content) {
    case Content::kRefused:
      error = sniff.refusal;
      return false;
    case Content::kZip:
      return ReadPacked(bytes, file, recognised, error);
    default:
      if (!ReadForm(sniff.content, bytes, file, error)) return false;
      recognised = RecognisedForm{FormOf(sniff.content), false, {}};
      return true;
  }
}

bool ReadAnyBankCodeFile(std::string_view bytes, BankCodeFile& file, std::string& error) {
  RecognisedForm ignored;
  return ReadAnyBankCodeFile(bytes, file, ignored, error);
}

bool HeadNamesRuleNumbers(std::string_view head) {
  switch (Recognise(head).content) {
    case Content::kXml:
      // "<IBANRegel>" or, with a namespace prefix, "<x:IBANRegel>".
      for (std::size_t at = head.find("IBANRegel"); at != std::string_view::npos;
           at = head.find("IBANRegel", at + 1)) {
        if (at > 0 && (head[at - 1] == '<' || head[at - 1] == ':')) return true;
      }
      return false;
    case Content::kCsv:
      return CsvHeaderNamesRules(FirstLine(head));
    case Content::kText:
      return head.find('\n') != std::string_view::npos &&
             FirstLine(head).size() == static_cast<std::size_t>(kExtendedLineWidth);
    default:
      return false;
  }
}

bool PeekRuleNumbers(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  std::string head(kHeadSize, '\0');
  const ssize_t n = ::read(fd, head.data(), head.size());
  ::close(fd);
  if (n <= 0) return false;
  head.resize(static_cast<std::size_t>(n));
  if (!IsZipPackage(head)) return HeadNamesRuleNumbers(head);
  const platform::WholeFile whole = platform::ReadWholeFile(path, kMaxUnpackedSize);
  PackedFile packed;
  std::string ignored;
  return whole.status == platform::WholeFileStatus::kRead &&
         UnpackSingleFile(whole.contents, packed, ignored) &&
         HeadNamesRuleNumbers(std::string_view(packed.bytes).substr(0, kHeadSize));
}

}  // namespace talvenor::editions
