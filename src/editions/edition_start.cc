#include "editions/edition_start.h"

#include "platform/display_text.h"

namespace talvenor::editions {
namespace {

std::string OffScheduleNote(Date date) {
  return "Der " + GermanDate(date) +
         " ist kein planmäßiger Termin einer neuen Ausgabe (der erste Montag ab dem 3. März, "
         "Juni, September und Dezember); der nächstgelegene frühere ist der " +
         GermanDate(LatestScheduledStart(date)) + ".";
}

}  // namespace

std::optional<Date> EditionStartDate(const std::filesystem::path& file,
                                     const std::optional<std::string>& validFrom,
                                     const StatedValidity& stated, std::string& error,
                                     std::vector<std::string>& warnings) {
  const std::optional<Date> named = DateFromEditionFileName(file.filename().string());
  std::optional<Date> date;
  if (validFrom) {
    date = ParseIsoDate(*validFrom);
    if (!date) {
      error = "„" + platform::EscapeControlCharacters(*validFrom) +
              "“ ist kein gültiges Datum der Form JJJJ-MM-TT (z. B. 2026-06-08).";
      return std::nullopt;
    }
    if (stated.from && *stated.from != *date) {
      error = "Die Ausgabe gibt selbst den " + GermanDate(*stated.from) +
              " als ersten Gültigkeitstag an, mit --valid-from ist der " + GermanDate(*date) +
              " angegeben. Bitte lassen Sie --valid-from weg.";
      return std::nullopt;
    }
  } else if (stated.from) {
    date = stated.from;
  } else {
    date = named;
  }
  if (!date) {
    error = "Der Name der Datei " + platform::EscapeControlCharacters(file.string()) +
            " nennt nicht, ab wann die Ausgabe gilt. Bitte geben Sie das Datum mit "
            "--valid-from JJJJ-MM-TT an (z. B. --valid-from 2026-06-08).";
    return std::nullopt;
  }
  if (named && *named != *date) {
    warnings.push_back("Der Dateiname nennt den " + GermanDate(*named) + "; es gilt der " +
                       std::string(validFrom ? "mit --valid-from angegebene "
                                             : "von der Ausgabe "
                                               "genannte ") +
                       GermanDate(*date) + ".");
  }
  // A stated start is checked against the schedule on its own.
  if (!stated.from && !IsScheduledStart(*date)) warnings.push_back(OffScheduleNote(*date));
  return date;
}

std::string ScheduleContradiction(const StatedValidity& stated) {
  if (stated.from && !IsScheduledStart(*stated.from)) {
    return "Die Ausgabe gibt an, ab dem " + GermanDate(*stated.from) + " zu gelten. " +
           OffScheduleNote(*stated.from);
  }
  if (stated.from && stated.until) {
    const Date scheduledEnd = AddDays(NextScheduledStart(*stated.from), -1);
    if (*stated.until != scheduledEnd) {
      return "Die Ausgabe gibt an, vom " + GermanDate(*stated.from) + " bis zum " +
             GermanDate(*stated.until) + " zu gelten; planmäßig gilt sie bis zum " +
             GermanDate(scheduledEnd) + ".";
    }
  }
  return {};
}

}  // namespace talvenor::editions
