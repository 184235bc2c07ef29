// The validity of the built-in data set. The data is valid until the start
// of DataValidUntil (core/builtin_directory.h); from one whole day after it
// the program urges an update, from fifteen whole days it insists.
#ifndef TALVENOR_APP_DATA_VALIDITY_H_
#define TALVENOR_APP_DATA_VALIDITY_H_

#include <optional>
#include <string>

#include "platform/clock.h"

namespace talvenor::app {

// Whole days (fraction cut off towards zero) by which `now` lies after
// midnight at the start of DataValidUntil; negative before it.
int DaysAfterDataValidUntil(const platform::LocalDateTime& now);
// The same for the current local time (platform::LocalNow()).
int DaysAfterDataValidUntil();

// DataValidUntil as "%d.%m.%Y" with two-digit day and month: "02.06.2024".
std::string DataValidUntilText();

// What start-up tells a person about an expired data set.
struct ExpiryNotice {
  std::string text;
  bool askYesNo = false;  // 1 to 14 days: Yes/No; 15 days or more: OK only
};

// The notice for `days` after DataValidUntil, or nothing while the data is
// valid (days < 1).
std::optional<ExpiryNotice> ExpiryNoticeFor(int days);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_DATA_VALIDITY_H_
