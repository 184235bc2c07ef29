// The validity of the bank data in force. The data is valid until the end
// of its DataValidUntil day (the last day of the edition in force); from
// one whole day after that day's start the program urges an update, from
// fifteen whole days it insists. Before either it offers to load the
// current bank data at once.
#ifndef TALVENOR_APP_DATA_VALIDITY_H_
#define TALVENOR_APP_DATA_VALIDITY_H_

#include <optional>
#include <string>

#include "editions/edition_dates.h"
#include "platform/clock.h"

namespace talvenor::app {

// Whole days (fraction cut off towards zero) by which `now` lies after
// midnight at the start of `dataValidUntil`; negative before it.
int DaysAfterDataValidUntil(editions::Date dataValidUntil, const platform::LocalDateTime& now);

// What start-up tells a person about an expired data set.
struct ExpiryNotice {
  std::string text;
  bool askYesNo = false;  // 1 to 14 days: Yes/No; 15 days or more: OK only
};

// The first line of every expiry message: "Die Daten dieser Applikation
// waren nur bis zum 02.06.2024 gültig!".
std::string ExpiredText(editions::Date dataValidUntil);

// The offer put to a person before the expiry notice, whatever the data's
// age: ExpiredText, then whether to update the bank data now.
std::string UpdateOfferText(editions::Date dataValidUntil);

// Said when an update left the data in force still expired.
std::string StillExpiredText(editions::Date dataValidUntil);

// The notice for `days` after `dataValidUntil`, or nothing while the data
// is valid (days < 1).
std::optional<ExpiryNotice> ExpiryNoticeFor(int days, editions::Date dataValidUntil);

}  // namespace talvenor::app

#endif  // TALVENOR_APP_DATA_VALIDITY_H_
