#include "app/bank_data_update_ui.h"

#include "app/bank_data_install.h"

namespace talvenor::app {

using editions::UpdateOutcome;
using editions::UpdateResult;
namespace {

// The update's observer, speaking to the progress window: its steps and
// bytes are shown there, and the window's "Abbrechen" stops the transfer
// under way.
class ObserverOnSink final : public editions::UpdateObserver {
 public:
  explicit ObserverOnSink(ProgressSink& sink) : sink_(sink) {}
  void Step(const std::string& text) override { sink_.Step(text); }
  bool Report(std::uint64_t received, std::uint64_t expected) override {
    sink_.Bytes(received, expected);
    return !sink_.Cancelled();
  }

 private:
  ProgressSink& sink_;
};

// A report for a message box, without the blank line its final line feed
// would leave.
std::string WithoutFinalLineFeeds(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

}  // namespace

UpdateResult UpdateBankDataInteractively(UserInterface& ui, BankData& data,
                                         const std::filesystem::path& folder,
                                         const BankDataUpdateFunction& update) {
  const editions::Date today = data.Day();
  UpdateResult result;
  ui.RunWithProgress(kUpdateBankDataMenuText, [&](ProgressSink& sink) {
    ObserverOnSink observer(sink);
    result = update(folder, today, observer);
  });
  switch (result.outcome) {
    case UpdateOutcome::kInstalled:
      data.Refresh();
      ui.ShowReport("Bankleitzahlendatei aktualisiert",
                    WithWarnings(result.warnings, result.report));
      break;
    case UpdateOutcome::kCurrent:
      ui.ShowReport("Bankleitzahlendatei aktuell", WithWarnings(result.warnings, result.report));
      break;
    case UpdateOutcome::kFailed:
      ui.ShowMessage(WithoutFinalLineFeeds(WithWarnings(result.warnings, result.report)));
      break;
    case UpdateOutcome::kCancelled:
      ui.ShowMessage(kUpdateCancelledText);
      break;
  }
  return result;
}

}  // namespace talvenor::app
