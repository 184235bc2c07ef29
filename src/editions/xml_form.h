// Reading the XML form of the central bank's bank-code file.
//
// The document's header (`FileHdr`) states the edition's validity
// (`ValidFrom`, `ValidTill`); every `BLZEintrag` below the root holds the
// fields of one main or branch entry as elements, empty fields left out.
// The extended edition adds `IBANRegel` (rule and version, six digits).
// Elements are matched by their local names, whatever their namespace. The
// input is untrusted: no network, no DTD, no entities; a document type
// declaration is refused. Entries are checked and built into records as
// every form's are (bank_entries.h).
#ifndef TALVENOR_EDITIONS_XML_FORM_H_
#define TALVENOR_EDITIONS_XML_FORM_H_

#include <string>
#include <string_view>

#include "editions/bank_code_file.h"

namespace talvenor::editions {

// Reads a whole XML document. True with `file` filled (form kXml, stated
// validity, rule numbers when any entry names an IBAN rule); false with a
// German `error` (and `file` untouched) when the document is not
// well-formed, has a document type declaration or entity references, its
// header lacks a valid `ValidFrom`/`ValidTill` (real days, From not after
// Till), it has no entries, only some main entries name an IBAN rule, or
// an entry is faulty (named by its number and bank code).
bool ReadXmlBankCodeFile(std::string_view bytes, BankCodeFile& file, std::string& error);

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_XML_FORM_H_
