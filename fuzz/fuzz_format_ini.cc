// Feeds arbitrary bytes as FORMAT.INI text to the layout loader, for both
// detected formats, and checks what a usable layout promises the batch run.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "batch/record_layout.h"
#include "platform/private_profile.h"

namespace {

using talvenor::batch::RecordLayout;

bool ValidPosition(const RecordLayout& layout, int position) {
  return position >= 0 && static_cast<std::size_t>(position) < layout.fields.size();
}

void CheckUsableLayout(const RecordLayout& layout) {
  if (!ValidPosition(layout, layout.bankCodePosition) ||
      !ValidPosition(layout, layout.accountPosition) ||
      layout.bankCodePosition == layout.accountPosition) {
    std::abort();
  }
  for (const int field : layout.roles) {
    if (field != -1 && !ValidPosition(layout, field)) std::abort();
  }
  for (std::size_t i = 0; i < layout.fields.size(); ++i) {
    if (layout.fields[i].length < 1) std::abort();
    if (layout.fields[i].index != static_cast<int>(i)) std::abort();
    if (layout.fields[i].quoted != 0 && layout.fields[i].quoted != 1) std::abort();
  }
  if (layout.RecordLength() < static_cast<int>(layout.fields.size())) std::abort();
  if (layout.format != talvenor::batch::kFormatFixed &&
      layout.format != talvenor::batch::kFormatSeparated) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto formatIni = talvenor::platform::PrivateProfile::Parse(text);
  for (const int detected : {talvenor::batch::kFormatFixed, talvenor::batch::kFormatSeparated}) {
    RecordLayout layout;
    layout.format = detected;
    const int result = talvenor::batch::LoadRecordLayout(layout, formatIni);
    if (result == talvenor::batch::kLayoutUsable) {
      CheckUsableLayout(layout);
    } else if (result == talvenor::batch::kLayoutInsufficient ||
               result == talvenor::batch::kLayoutFormatUnspecified) {
      if (talvenor::batch::LayoutFailureMessage(result).empty()) std::abort();
    } else {
      std::abort();
    }
  }
  return 0;
}
