#include "app/bank_data_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "editions/edition_install.h"
#include "platform/display_text.h"
#include "platform/error_text.h"

namespace talvenor::app {

using editions::Date;
using editions::EditionCatalogue;
using editions::EditionSource;
using editions::GermanDate;
using editions::InstallEdition;
using editions::InstallRequest;
using editions::InstallResult;
using editions::IsoDate;
using editions::OriginKey;
using editions::OriginText;
namespace {

// One edition as the list shows it.
struct ListedEdition {
  EditionSource source;
  Date validUntil{};
  bool inForce = false;
  bool hidden = false;
  int lineWidth = 0;
  std::size_t bankCodes = 0;
  std::string fault;  // why it cannot be used; empty when it can
};

ListedEdition Describe(const EditionCatalogue& catalogue, const EditionSource& source,
                       const EditionSource& inForce, bool hidden) {
  ListedEdition listed;
  listed.source = source;
  listed.validUntil = catalogue.ValidUntil(source);
  listed.hidden = hidden;
  listed.inForce = !hidden && source.validFrom == inForce.validFrom;
  std::vector<std::string> warnings;
  if (const auto edition = catalogue.Load(source, listed.fault, warnings)) {
    listed.lineWidth = edition->lineWidth;
    listed.bankCodes = edition->directory.size();
  }
  return listed;
}

std::string Row(const ListedEdition& e) {
  char head[96];
  std::snprintf(head, sizeof head, "%s %s  %s  ", e.inForce ? "*" : " ",
                GermanDate(e.source.validFrom).c_str(), GermanDate(e.validUntil).c_str());
  std::string row = head;
  if (e.fault.empty()) {
    char figures[32];
    std::snprintf(figures, sizeof figures, "%6d  %5zu  ", e.lineWidth, e.bankCodes);
    row += figures;
  } else {
    row += "   fehlerhaft  ";
  }
  row += OriginText(e.source.origin);
  if (e.hidden) row += ", verdeckt durch eine Ausgabe gleichen Datums";
  if (!e.source.path.empty())
    row += "  " + platform::EscapeControlCharacters(e.source.path.string());
  return row;
}

}  // namespace

int RunInstallBankData(const Command& command, const std::filesystem::path& folder,
                       const EditionCatalogue& catalogue, Date today, std::ostream& out,
                       std::ostream& err) {
  InstallRequest request;
  request.file = command.operands.at(0);
  request.validFrom = command.validFrom;
  request.folder = folder;
  request.today = today;
  const InstallResult result = InstallEdition(request, catalogue);
  for (const std::string& warning : result.warnings)
    err << "talvenor: Warnung: " << warning << "\n";
  if (!result.installed) {
    err << "talvenor: " << result.message << "\n";
    return 2;
  }
  out << result.message;
  return 0;
}

int RunListBankData(const Command& command, const EditionCatalogue& catalogue, Date today,
                    std::ostream& out) {
  const EditionSource& inForce = catalogue.InForce(today);
  std::vector<ListedEdition> listed;
  for (const EditionSource& source : catalogue.editions()) {
    listed.push_back(Describe(catalogue, source, inForce, false));
  }
  for (const EditionSource& source : catalogue.hidden()) {
    listed.push_back(Describe(catalogue, source, inForce, true));
  }
  if (command.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const ListedEdition& e : listed) {
      list.push_back({{"validFrom", IsoDate(e.source.validFrom)},
                      {"validUntil", IsoDate(e.validUntil)},
                      {"origin", OriginKey(e.source.origin)},
                      {"file", e.source.path.string()},
                      {"inForce", e.inForce},
                      {"hidden", e.hidden},
                      {"usable", e.fault.empty()},
                      {"error", e.fault},
                      {"lineWidth", e.lineWidth},
                      {"bankCodes", e.bankCodes}});
    }
    out << nlohmann::json{{"today", IsoDate(today)}, {"editions", list}}.dump(2) << "\n";
    return 0;
  }
  out << "Bankleitzahlendateien (heute ist der " << GermanDate(today) << "; * = in Kraft):\n"
      << "  gültig ab   gültig bis  Breite    BLZ  Herkunft\n";
  for (const ListedEdition& e : listed) {
    out << Row(e) << "\n";
    if (!e.fault.empty()) out << "      " << e.fault << "\n";
  }
  return 0;
}

}  // namespace talvenor::app
