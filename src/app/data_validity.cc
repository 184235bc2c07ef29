#include "app/data_validity.h"

#include <chrono>
#include <cstdio>

#include "core/builtin_directory.h"

namespace talvenor::app {

int DaysAfterDataValidUntil(const platform::LocalDateTime& now) {
  using std::chrono::sys_days;
  const auto wholeDays = (sys_days(now.date) - sys_days(DataValidUntil)).count();
  const long long seconds = wholeDays * 86400LL + std::chrono::seconds(now.hour).count() +
                            std::chrono::seconds(now.minute).count() + now.second.count();
  return static_cast<int>(seconds / 86400);  // integer division cuts towards zero
}

int DaysAfterDataValidUntil() { return DaysAfterDataValidUntil(platform::LocalNow()); }

std::string DataValidUntilText() {
  char text[16];
  std::snprintf(text, sizeof text, "%02u.%02u.%04d", static_cast<unsigned>(DataValidUntil.day()),
                static_cast<unsigned>(DataValidUntil.month()), static_cast<int>(DataValidUntil.year()));
  return text;
}

std::optional<ExpiryNotice> ExpiryNoticeFor(int days) {
  if (days < 1) return std::nullopt;
  ExpiryNotice notice;
  notice.text = "Die Daten dieser Applikation waren nur bis zum " + DataValidUntilText() + " gültig!\n";
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
