#include "app/bank_data_commands.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "editions/checksum.h"
#include "editions/edition_install.h"
#include "editions/edition_provenance.h"
#include "editions/edition_report.h"
#include "platform/display_text.h"
#include "platform/whole_file.h"

namespace talvenor::app {

using editions::BankDataEdition;
using editions::Date;
using editions::EditionCatalogue;
using editions::EditionSource;
using editions::GermanDate;
using editions::IsoDate;

namespace {

// One edition as the list shows it.
struct ListedEdition {
  EditionSource source;
  std::unique_ptr<BankDataEdition> edition;  // null when it cannot be used
  std::string fault;                         // why it cannot be used
  bool inUse = false;
  bool hidden = false;
  std::optional<editions::Provenance> provenance;
};

bool SameSource(const EditionSource& a, const EditionSource& b) {
  return a.origin == b.origin && a.path == b.path && a.validFrom == b.validFrom;
}

ListedEdition Describe(const EditionCatalogue& catalogue, const EditionSource& source,
                       const EditionSource& inUse, bool hidden) {
  ListedEdition listed;
  listed.source = source;
  listed.hidden = hidden;
  listed.inUse = SameSource(source, inUse);
  std::vector<std::string> warnings;
  listed.edition = catalogue.Load(source, listed.fault, warnings);
  if (!source.path.empty()) {
    const platform::WholeFile read =
        platform::ReadWholeFile(source.path, editions::kMaxBankCodeFileSize);
    if (read.status == platform::WholeFileStatus::kRead) {
      listed.provenance = editions::ReadProvenance(source.path, editions::Sha256Hex(read.contents));
    }
  }
  return listed;
}

std::string FormColumn(const BankDataEdition& edition) {
  if (edition.form == editions::FileForm::kText) {
    return "Text " + std::to_string(edition.lineWidth);
  }
  std::string text(editions::FormText(edition.form));
  if (edition.hasOwnRuleNumbers()) text += "+Regeln";
  return text;
}

// The state of the edition in use on `day`, for the list's last word.
std::string UseState(const BankDataEdition& edition, Date day) {
  if (edition.ExpiredOn(day))
    return "abgelaufen seit " + GermanDate(editions::AddDays(edition.validUntil, 1));
  if (edition.NotStartedOn(day)) return "gilt erst ab " + GermanDate(edition.source.validFrom);
  return "gültig";
}

std::string Row(const ListedEdition& e, Date day) {
  std::string row = e.inUse ? "* " : "  ";
  row += GermanDate(e.source.validFrom) + "  ";
  if (e.edition) {
    char figures[64];
    std::snprintf(figures, sizeof figures, "%s  %-12s  %5zu  ",
                  GermanDate(e.edition->validUntil).c_str(), FormColumn(*e.edition).c_str(),
                  e.edition->directory.size());
    row += figures;
  } else {
    row += "fehlerhaft                         ";
  }
  row += editions::OriginText(e.source.origin);
  if (e.hidden) row += ", verdeckt durch eine Ausgabe gleichen Datums";
  if (!e.source.path.empty()) {
    row += "  " + platform::EscapeControlCharacters(e.source.path.string());
  }
  if (e.inUse && e.edition) row += "  (verwendet, " + UseState(*e.edition, day) + ")";
  return row;
}

nlohmann::json Json(const ListedEdition& e, Date day) {
  nlohmann::json object = {{"validFrom", IsoDate(e.source.validFrom)},
                           {"origin", editions::OriginKey(e.source.origin)},
                           {"file", e.source.path.string()},
                           {"inForce", e.inUse},
                           {"hidden", e.hidden},
                           {"usable", e.edition != nullptr},
                           {"error", e.fault}};
  if (e.edition) {
    object["validUntil"] = IsoDate(e.edition->validUntil);
    object["form"] = editions::FormText(e.edition->form);
    object["lineWidth"] = e.edition->lineWidth;
    object["ownRuleNumbers"] = e.edition->hasOwnRuleNumbers();
    object["bankCodes"] = e.edition->directory.size();
    object["expired"] = e.edition->ExpiredOn(day);
    object["notStarted"] = e.edition->NotStartedOn(day);
  }
  if (e.provenance) {
    object["source"] = {{"address", e.provenance->source},
                        {"sha256", e.provenance->sourceSha256},
                        {"received", e.provenance->received}};
  }
  return object;
}

}  // namespace

int RunInstallBankData(const Command& command, const std::filesystem::path& folder,
                       const EditionCatalogue& catalogue, Date today, std::ostream& out,
                       std::ostream& err) {
  editions::InstallRequest request;
  request.file = command.operands.at(0);
  request.validFrom = command.validFrom;
  request.folder = folder;
  request.today = today;
  request.force = command.force;
  request.origin =
      command.system ? editions::EditionOrigin::kSystem : editions::EditionOrigin::kInstalled;
  const editions::InstallResult result = editions::InstallEdition(request, catalogue);
  for (const std::string& warning : result.warnings)
    err << "talvenor: Warnung: " << warning << "\n";
  if (!result.installed) {
    err << "talvenor: " << result.message << "\n";
    return 2;
  }
  out << result.message;
  return 0;
}

int RunListBankData(const Command& command, const EditionCatalogue& catalogue, Date day,
                    std::ostream& out) {
  std::vector<std::string> ignored;
  const auto inUse = catalogue.LoadInForce(day, ignored);
  std::vector<ListedEdition> listed;
  for (const EditionSource& source : catalogue.editions()) {
    listed.push_back(Describe(catalogue, source, inUse->source, false));
  }
  for (const EditionSource& source : catalogue.hidden()) {
    listed.push_back(Describe(catalogue, source, inUse->source, true));
  }
  if (command.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const ListedEdition& e : listed) list.push_back(Json(e, day));
    out << nlohmann::json{{"today", IsoDate(day)}, {"editions", list}}.dump(2) << "\n";
    return 0;
  }
  out << "Bankleitzahlendateien (Stichtag " << GermanDate(day) << "; * = verwendet):\n"
      << "  gültig ab   gültig bis  Form            BLZ  Herkunft\n";
  for (const ListedEdition& e : listed) {
    out << Row(e, day) << "\n";
    if (!e.fault.empty()) out << "      " << e.fault << "\n";
    if (e.provenance) {
      out << "      Quelle: " << platform::EscapeControlCharacters(e.provenance->source)
          << "\n      SHA-256 " << e.provenance->sourceSha256 << ", erhalten "
          << e.provenance->received << "\n";
    }
  }
  return 0;
}

}  // namespace talvenor::app
