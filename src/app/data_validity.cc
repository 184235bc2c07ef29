#include "app/data_validity.h"

#include <chrono>

namespace talvenor::app {

using editions::Date;
using editions::GermanDate;

int DaysAfterDataValidUntil(Date dataValidUntil, const platform::LocalDateTime& now) {
  using std::chrono::sys_days;
  const auto wholeDays = (sys_days(now.date) - sys_days(dataValidUntil)).count();
  const long long seconds = wholeDays * 86400LL + std::chrono::seconds(now.hour).count() +
                            std::chrono::seconds(now.minute).count() + now.second.count();
  return static_cast<int>(seconds / 86400);  // integer division cuts towards zero
}

std::string ExpiredText(Date dataValidUntil) {
  return "Die Daten dieser Applikation waren nur bis zum " + GermanDate(dataValidUntil) +
         " gültig!";
}

std::string UpdateOfferText(Date dataValidUntil) {
  return ExpiredText(dataValidUntil) +
         "\n\nDie aktuelle Bankleitzahlendatei kann jetzt von der Deutschen Bundesbank geladen "
         "werden.\nWollen Sie die Bankleitzahlendatei jetzt aktualisieren?";
}

std::string StillExpiredText(Date dataValidUntil) {
  return "Auch nach der Aktualisierung gibt es keine Bankleitzahlendatei, die heute gilt:\n"
         "die verwendete gilt nur bis zum " +
         GermanDate(dataValidUntil) + ".";
}

std::optional<ExpiryNotice> ExpiryNoticeFor(int days, Date dataValidUntil) {
  if (days < 1) return std::nullopt;
  ExpiryNotice notice;
  notice.text = ExpiredText(dataValidUntil) + "\n";
  if (days >= 15) {
    notice.text +=
        "\nUm das Update zu installieren, führen Sie bitte die Anweisungen aus,\n"
        "die auf der folgenden Internetseite angegeben sind!";
    notice.askYesNo = false;
  } else {
    notice.text +=
        "\nSie sollten ein Update durchführen, bevor Sie die Applikation weiter verwenden.\n"
        "Wählen Sie \"Ja\", um ein Update zu installieren und folgen Sie den Anweisungen\n"
        "der nachfolgenden Internetseite.\n\nWollen Sie jetzt das Update installieren?";
    notice.askYesNo = true;
  }
  return notice;
}

}  // namespace talvenor::app
