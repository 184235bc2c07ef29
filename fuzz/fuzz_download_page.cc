// Feeds arbitrary bytes as the central bank's download page to the page
// reader and checks what every file it finds promises: an http or https
// address, a file name that is safe as a local name and has the form of a
// bank-code file, and dates that are real days.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editions/download_page.h"

namespace {

using talvenor::editions::OfferedFile;

bool SafeName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

void CheckFile(const OfferedFile& file) {
  const std::string_view url = file.url;
  if (url.rfind("https://", 0) != 0 && url.rfind("http://", 0) != 0) std::abort();
  if (!SafeName(file.fileName)) std::abort();
  const auto form = talvenor::editions::BankCodeFileForm(file.fileName);
  if (!form || form->kind != file.kind || form->zipped != file.zipped) std::abort();
  if (file.validFrom && !file.validFrom->ok()) std::abort();
  if (file.validUntil && !file.validUntil->ok()) std::abort();
  if (file.group == 0 && file.validUntil) std::abort();  // only the page states an end
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view html(reinterpret_cast<const char*>(data), size);
  int lastGroup = 0;
  for (const OfferedFile& file :
       talvenor::editions::FindOfferedFiles(html, "https://www.bank.example/de/download")) {
    CheckFile(file);
    // Groups are numbered in page order without gaps.
    if (file.group < lastGroup || file.group > lastGroup + 1) std::abort();
    lastGroup = file.group;
  }
  return 0;
}
