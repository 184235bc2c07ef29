#include "editions/xml_form.h"

#include <libxml/parser.h>
#include <libxml/xmlreader.h>

#include <climits>
#include <memory>
#include <optional>

#include "editions/bank_entries.h"
#include "platform/display_text.h"
#include "platform/number_text.h"

namespace talvenor::editions {
namespace {

// The elements of an entry the directory is built from; the others
// (`Bezeichnung`, `PLZ`, `Ort`, `PAN`, `DsNr`) are passed over.
struct XmlField {
  std::string_view element;
  EntryField field;
};
// clang-format off
constexpr XmlField kXmlFields[] = {
    {"BLZ", EntryField::kBankCode},
    {"Merkmal", EntryField::kFeature},
    {"Kurzbez", EntryField::kShortName},
    {"BIC", EntryField::kBic},
    {"PruefZiffMeth", EntryField::kMethod},
    {"Aenderungskennz", EntryField::kChangeMark},
    {"BLZLoesch", EntryField::kDeletionMark},
    {"NachfolgeBLZ", EntryField::kSuccessor},
    {"IBANRegel", EntryField::kIbanRule},
};
// clang-format on

constexpr EntryForm kXmlForm{.entryWord = "Eintrag", .fixedColumns = false, .latin1 = false};

// Untrusted input: no network, no DTD loading, no entity substitution (none
// of XML_PARSE_NOENT, XML_PARSE_DTDLOAD, XML_PARSE_DTDATTR), and libxml2's
// limits on the size of names and texts stay in force.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_COMPACT;

// What the text of the element being read belongs to.
enum class Leaf : std::uint8_t { kNone, kIgnored, kField, kValidFrom, kValidTill };

// The state of one read: where the reader is and what it has collected.
struct XmlRead {
  EntryCollector entries;
  std::uint32_t entryCount = 0;
  bool inHeader = false;
  bool inEntry = false;
  Leaf leaf = Leaf::kNone;
  EntryField field = EntryField::kBankCode;
  std::string leafName;
  std::string text;
  std::optional<std::string> validFrom;
  std::optional<std::string> validTill;
  std::string parseError;  // libxml2's first error
};

// Keeps libxml2's first error; libxml2 prints nothing itself then. The
// type of the error pointer differs between libxml2 versions.
template <typename ErrorPointer>
void KeepFirstError(void* context, ErrorPointer error) {
  auto* read = static_cast<XmlRead*>(context);
  if (error == nullptr || error->level < XML_ERR_ERROR || !read->parseError.empty()) return;
  std::string message = error->message != nullptr ? error->message : "unbekannter Fehler";
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  read->parseError = platform::EscapeControlCharacters(message);
  if (error->line > 0) read->parseError += " (Zeile " + std::to_string(error->line) + ")";
}

std::string_view LocalName(xmlTextReaderPtr reader) {
  const xmlChar* name = xmlTextReaderConstLocalName(reader);
  return name == nullptr ? std::string_view{} : reinterpret_cast<const char*>(name);
}

std::string EntryText(std::uint32_t number) { return "Eintrag " + std::to_string(number); }

// Opens the element the reader stands on. False with `error` set when it
// is out of place.
bool OpenElement(xmlTextReaderPtr reader, XmlRead& read, std::string& error) {
  const std::string_view name = LocalName(reader);
  const int depth = xmlTextReaderDepth(reader);
  if (read.leaf != Leaf::kNone && read.leaf != Leaf::kIgnored) {
    error = (read.inEntry ? EntryText(read.entryCount) + ": das Feld „" : "Im Dateikopf: „") +
            read.leafName + "“ enthält ein Element statt eines Werts.";
    return false;
  }
  if (read.leaf == Leaf::kIgnored) return true;
  read.text.clear();
  read.leafName = name;
  if (depth == 1 && name == "FileHdr") {
    read.inHeader = true;
  } else if (depth == 1 && name == "BLZEintrag") {
    read.inEntry = true;
    read.entries.Begin(++read.entryCount);
  } else if (depth == 2 && read.inHeader && name == "ValidFrom") {
    read.leaf = Leaf::kValidFrom;
  } else if (depth == 2 && read.inHeader && name == "ValidTill") {
    read.leaf = Leaf::kValidTill;
  } else if (depth == 2 && read.inEntry) {
    read.leaf = Leaf::kIgnored;
    for (const XmlField& known : kXmlFields) {
      if (known.element == name) {
        read.leaf = Leaf::kField;
        read.field = known.field;
      }
    }
  } else if (depth >= 2) {
    read.leaf = Leaf::kIgnored;
  }
  return true;
}

// Takes the text of the element that ends at `depth`. False with `error`
// set when a value is given twice.
bool CloseElement(int depth, XmlRead& read, std::string& error) {
  if (depth == 1) {
    read.inHeader = false;
    read.inEntry = false;
    return true;
  }
  if (depth != 2) return true;
  const std::string_view value = platform::TrimBlanks(read.text);
  const Leaf leaf = read.leaf;
  read.leaf = Leaf::kNone;
  std::optional<std::string>* date = leaf == Leaf::kValidFrom   ? &read.validFrom
                                     : leaf == Leaf::kValidTill ? &read.validTill
                                                                : nullptr;
  if (date != nullptr) {
    if (date->has_value()) {
      error = "Der Dateikopf (FileHdr) nennt „" + read.leafName + "“ zweimal.";
      return false;
    }
    *date = std::string(value);
  } else if (leaf == Leaf::kField && !read.entries.Set(read.field, value)) {
    error = EntryText(read.entryCount) + ": das Feld „" + read.leafName + "“ steht zweimal darin.";
    return false;
  }
  return true;
}

// Walks the document, collecting the header's dates and the entries.
// False with `error` set at the first fault.
bool Walk(xmlTextReaderPtr reader, XmlRead& read, std::string& error) {
  int status = 0;
  while ((status = xmlTextReaderRead(reader)) == 1) {
    switch (xmlTextReaderNodeType(reader)) {
      case XML_READER_TYPE_DOCUMENT_TYPE:
      case XML_READER_TYPE_ENTITY_REFERENCE:
        error =
            "Die XML-Datei enthält eine Dokumenttypdeklaration oder Entitäten; eine "
            "Bankleitzahlendatei hat keine, und solche Dateien werden nicht gelesen.";
        return false;
      case XML_READER_TYPE_ELEMENT:
        if (!OpenElement(reader, read, error)) return false;
        if (xmlTextReaderIsEmptyElement(reader) == 1 &&
            !CloseElement(xmlTextReaderDepth(reader), read, error)) {
          return false;
        }
        break;
      case XML_READER_TYPE_TEXT:
      case XML_READER_TYPE_CDATA:
      case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
        if (read.leaf == Leaf::kField || read.leaf == Leaf::kValidFrom ||
            read.leaf == Leaf::kValidTill) {
          const xmlChar* value = xmlTextReaderConstValue(reader);
          if (value != nullptr) read.text += reinterpret_cast<const char*>(value);
        }
        break;
      case XML_READER_TYPE_END_ELEMENT:
        if (!CloseElement(xmlTextReaderDepth(reader), read, error)) return false;
        break;
      default:
        break;
    }
  }
  if (status != 0) {
    error = "Die XML-Datei ist nicht wohlgeformt";
    error += read.parseError.empty() ? std::string(".") : ": " + read.parseError + ".";
    return false;
  }
  return true;
}

// The date the header states under `name`, or nothing with `error` set.
std::optional<Date> StatedDate(const std::optional<std::string>& text, const char* name,
                               std::string& error) {
  if (!text) {
    error = std::string("Der Dateikopf (FileHdr) der XML-Datei nennt kein „") + name +
            "“; eine Bankleitzahlendatei der Bundesbank nennt dort ihre Gültigkeit.";
    return std::nullopt;
  }
  const std::optional<Date> date = ParseIsoDate(*text);
  if (!date) {
    error = std::string("Der Dateikopf (FileHdr) nennt als „") + name + "“ „" +
            platform::EscapeControlCharacters(*text) +
            "“; das ist kein gültiges Datum der Form JJJJ-MM-TT.";
  }
  return date;
}

// Checks the header's dates into `file`. False with `error` set.
bool TakeValidity(const XmlRead& read, BankCodeFile& file, std::string& error) {
  const std::optional<Date> from = StatedDate(read.validFrom, "ValidFrom", error);
  if (!from) return false;
  const std::optional<Date> till = StatedDate(read.validTill, "ValidTill", error);
  if (!till) return false;
  if (std::chrono::sys_days(*from) > std::chrono::sys_days(*till)) {
    error = "Der Dateikopf (FileHdr) nennt einen Gültigkeitsbeginn (ValidFrom " + IsoDate(*from) +
            ") nach dem Gültigkeitsende (ValidTill " + IsoDate(*till) + ").";
    return false;
  }
  file.statedFrom = from;
  file.statedUntil = till;
  return true;
}

struct ReaderDeleter {
  void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

}  // namespace

bool ReadXmlBankCodeFile(std::string_view bytes, BankCodeFile& file, std::string& error) {
  // Refused before libxml2 sees it: a bank-code file never declares a
  // document type, and a declaration is where entity tricks live.
  if (bytes.find("<!DOCTYPE") != std::string_view::npos) {
    error =
        "Die XML-Datei enthält eine Dokumenttypdeklaration (DOCTYPE); eine "
        "Bankleitzahlendatei hat keine, und solche Dateien werden nicht gelesen.";
    return false;
  }
  if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    error = "Die XML-Datei ist zu groß.";
    return false;
  }
  static const bool initialised = [] {
    xmlInitParser();
    return true;
  }();
  (void)initialised;
  const std::unique_ptr<xmlTextReader, ReaderDeleter> reader(xmlReaderForMemory(
      bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr, kParseOptions));
  if (!reader) {
    error = "Die XML-Datei kann nicht gelesen werden (zu wenig Speicher).";
    return false;
  }
  XmlRead read;
  xmlStructuredErrorFunc onError = KeepFirstError;
  xmlTextReaderSetStructuredErrorHandler(reader.get(), onError, &read);
  if (!Walk(reader.get(), read, error)) return false;

  BankCodeFile result;
  if (!TakeValidity(read, result, error)) return false;
  std::vector<BankEntry> entries = read.entries.Entries();
  if (entries.empty()) {
    error = "Die XML-Datei enthält keine Einträge (BLZEintrag).";
    return false;
  }
  EntryForm form = kXmlForm;
  form.ruleNumbers = AnyRuleNumber(entries);
  if (!CheckAndBuildRecords(entries, form, result.records, error)) return false;
  result.form = FileForm::kXml;
  result.ruleNumbers = form.ruleNumbers;
  file = std::move(result);
  return true;
}

}  // namespace talvenor::editions
