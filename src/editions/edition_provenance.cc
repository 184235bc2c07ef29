#include "editions/edition_provenance.h"

#include "platform/config_file.h"
#include "platform/private_profile.h"

namespace talvenor::editions {
namespace {

constexpr std::string_view kSection = "EDITION";

// Control characters would break the line structure of the record.
std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return line;
}

}  // namespace

std::filesystem::path ProvenancePath(const std::filesystem::path& editionFile) {
  std::filesystem::path path = editionFile;
  path += ".source";
  return path;
}

std::string ProvenanceText(const Provenance& p) {
  std::string text = "[EDITION]\n";
  text += "SOURCE=" + OneLine(p.source) + "\n";
  text += "SOURCE_SHA256=" + OneLine(p.sourceSha256) + "\n";
  text += "FILE_SHA256=" + OneLine(p.fileSha256) + "\n";
  text += "RECEIVED=" + OneLine(p.received) + "\n";
  if (p.statedFrom) text += "STATED_FROM=" + IsoDate(*p.statedFrom) + "\n";
  if (p.statedUntil) text += "STATED_UNTIL=" + IsoDate(*p.statedUntil) + "\n";
  return text;
}

std::optional<Provenance> ParseProvenance(std::string_view text) {
  const platform::PrivateProfile profile = platform::PrivateProfile::Parse(text);
  Provenance p;
  p.source = profile.GetString(kSection, "SOURCE", "");
  p.sourceSha256 = profile.GetString(kSection, "SOURCE_SHA256", "");
  p.fileSha256 = profile.GetString(kSection, "FILE_SHA256", "");
  p.received = profile.GetString(kSection, "RECEIVED", "");
  if (p.source.empty() || p.sourceSha256.empty() || p.fileSha256.empty()) return std::nullopt;
  if (auto from = profile.Find(kSection, "STATED_FROM")) p.statedFrom = ParseIsoDate(*from);
  if (auto until = profile.Find(kSection, "STATED_UNTIL")) p.statedUntil = ParseIsoDate(*until);
  return p;
}

std::optional<Provenance> ReadProvenance(const std::filesystem::path& editionFile,
                                         std::string_view fileSha256) {
  std::string text;
  if (platform::ReadConfigFile(ProvenancePath(editionFile), text) !=
      platform::ConfigFileState::kRead) {
    return std::nullopt;
  }
  std::optional<Provenance> provenance = ParseProvenance(text);
  if (!provenance || provenance->fileSha256 != fileSha256) return std::nullopt;
  return provenance;
}

}  // namespace talvenor::editions
