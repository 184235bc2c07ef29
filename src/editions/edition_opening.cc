#include "editions/edition_opening.h"

#include "editions/edition_start.h"
#include "platform/data_folders.h"

namespace talvenor::editions {

EditionFolders PlatformEditionFolders() {
  return EditionFolders{platform::UserDataFolder(), platform::SystemDataFolders()};
}

bool OpenEdition(EditionCatalogue catalogue, const EditionRequest& request, OpenedEdition& opened,
                 std::string& error) {
  opened.warnings.clear();
  if (!request.file) {
    opened.edition = catalogue.LoadInForce(request.day, opened.warnings);
    opened.catalogue = std::move(catalogue);
    return true;
  }
  // The given file is read first: its start may be what it states itself.
  const EditionSource probe{EditionOrigin::kGiven, *request.file, request.day};
  BankCodeFile file;
  if (!ReadEditionFile(probe, file, error)) return false;
  const std::optional<Date> start =
      EditionStartDate(*request.file, request.validFrom,
                       StatedValidity{file.statedFrom, file.statedUntil}, error, opened.warnings);
  if (!start) return false;
  // It joins the known editions, so that it takes its rule numbers and the
  // end of its validity from them as an installed one does.
  const EditionSource source{EditionOrigin::kGiven, *request.file, *start};
  catalogue.Put(source);
  auto edition = catalogue.Build(source, std::move(file), opened.warnings);
  if (edition->NotStartedOn(request.day)) {
    opened.warnings.push_back("Die angegebene Ausgabe gilt erst ab dem " + GermanDate(*start) +
                              "; sie wird auf Wunsch schon jetzt verwendet.");
  }
  opened.edition = std::move(edition);
  opened.catalogue = std::move(catalogue);
  return true;
}

}  // namespace talvenor::editions
