// The library facade over the engine: one bank-data edition, opened as the
// program opens it, and the conversions, checks and file runs on it.
#include <talvenor/talvenor.h>

#include <optional>
#include <utility>

#include "batch/convert_file.h"
#include "core/account_conversion.h"
#include "core/iban_check.h"
#include "core/single_conversion.h"
#include "editions/edition_opening.h"
#include "platform/clock.h"

namespace talvenor {

using editions::BankDataEdition;
using editions::Date;
using editions::EditionCatalogue;
using editions::EditionSource;
using editions::IsoDate;
using editions::OriginKey;

namespace {

EditionCatalogue PlatformCatalogue() {
  return EditionCatalogue(editions::PlatformEditionFolders());
}

EditionInfo InfoOf(const EditionSource& source) {
  EditionInfo info;
  info.validFrom = IsoDate(source.validFrom);
  info.origin = std::string(OriginKey(source.origin));
  info.path = source.path.string();
  return info;
}

EditionInfo InfoOf(const BankDataEdition& edition) {
  EditionInfo info = InfoOf(edition.source);
  info.validUntil = IsoDate(edition.validUntil);
  info.bankCodes = static_cast<int>(edition.directory.size());
  info.usable = true;
  return info;
}

// The day a library's data is for: `asOf` ("YYYY-MM-DD"), or today.
Date DayOf(const std::string& asOf) {
  if (asOf.empty()) return platform::LocalToday();
  const std::optional<Date> day = editions::ParseIsoDate(asOf);
  if (!day) {
    throw Error("„" + asOf + "“ ist kein gültiges Datum der Form JJJJ-MM-TT (z. B. 2026-06-08).");
  }
  return *day;
}

}  // namespace

struct Library::Impl {
  std::unique_ptr<BankDataEdition> edition;
  std::optional<Date> asOf;  // the day asked for; nothing: the day of each call

  Date Day() const { return asOf ? *asOf : platform::LocalToday(); }
  EditionUse Use() const {
    EditionUse use;
    use.edition = IsoDate(edition->source.validFrom);
    use.expired = edition->ExpiredOn(Day());
    return use;
  }
};

std::vector<EditionInfo> Editions(const std::string& asOf) {
  const Date day = DayOf(asOf);
  const EditionCatalogue catalogue = PlatformCatalogue();
  std::vector<std::string> ignored;
  const auto inForce = catalogue.LoadInForce(day, ignored);
  std::vector<EditionInfo> editions;
  const auto add = [&](const EditionSource& source, bool hidden) {
    std::string error;
    std::vector<std::string> warnings;
    const auto edition = catalogue.Load(source, error, warnings);
    EditionInfo info = edition ? InfoOf(*edition) : InfoOf(source);
    info.error = error;
    info.hidden = hidden;
    info.inForce = inForce->source.path == source.path && inForce->source.origin == source.origin &&
                   inForce->source.validFrom == source.validFrom;
    if (edition) info.expired = edition->ExpiredOn(day);
    editions.push_back(std::move(info));
  };
  for (const EditionSource& source : catalogue.editions()) add(source, false);
  for (const EditionSource& source : catalogue.hidden()) add(source, true);
  return editions;
}

Library::Library(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Library::Library(Library&&) noexcept = default;
Library& Library::operator=(Library&&) noexcept = default;
Library::~Library() = default;

Library Library::OpenInForce(std::vector<std::string>* warnings, const std::string& asOf) {
  editions::EditionRequest request;
  request.day = DayOf(asOf);
  editions::OpenedEdition opened;
  std::string error;
  editions::OpenEdition(PlatformCatalogue(), request, opened, error);  // cannot fail without a file
  if (warnings != nullptr) *warnings = std::move(opened.warnings);
  auto impl = std::make_unique<Impl>();
  impl->edition = std::move(opened.edition);
  if (!asOf.empty()) impl->asOf = request.day;
  return Library(std::move(impl));
}

Library Library::OpenFile(const std::string& path, const std::string& validFrom,
                          std::vector<std::string>* warnings, const std::string& asOf) {
  editions::EditionRequest request;
  request.file = path;
  if (!validFrom.empty()) request.validFrom = validFrom;
  request.day = DayOf(asOf);
  editions::OpenedEdition opened;
  std::string error;
  if (!editions::OpenEdition(PlatformCatalogue(), request, opened, error)) throw Error(error);
  if (warnings != nullptr) *warnings = std::move(opened.warnings);
  auto impl = std::make_unique<Impl>();
  impl->edition = std::move(opened.edition);
  if (!asOf.empty()) impl->asOf = request.day;
  return Library(std::move(impl));
}

EditionInfo Library::edition() const {
  EditionInfo info = InfoOf(*impl_->edition);
  info.inForce = impl_->edition->source.origin != editions::EditionOrigin::kGiven;
  info.expired = impl_->edition->ExpiredOn(impl_->Day());
  return info;
}

bool Library::expired() const { return impl_->edition->ExpiredOn(impl_->Day()); }

Conversion Library::Convert(std::string_view bankCode, std::string_view account) const {
  const SingleConversionOutcome o =
      ConvertSingle(impl_->edition->directory, bankCode, account, std::filesystem::path());
  Conversion c;
  static_cast<EditionUse&>(c) = impl_->Use();
  switch (o.status) {
    case SingleConversionStatus::Converted:
      c.status = ConversionStatus::kConverted;
      break;
    case SingleConversionStatus::InvalidBankCode:
      c.status = ConversionStatus::kInvalidBankCode;
      c.message = std::string(kMessageInvalidBankCode);
      return c;
    case SingleConversionStatus::MissingAccount:
      c.status = ConversionStatus::kMissingAccount;
      c.message = std::string(kMessageMissingAccount);
      return c;
  }
  c.bankName = o.bankName;
  c.iban = o.iban;
  c.bic = o.bic;
  c.verdict = o.verdict;
  c.resultCode = ResultNumber(o.resultCode);
  c.deletionNotice = o.deletionNotice;
  c.account = o.accountText;
  c.ruleNumber = o.ruleNumber;
  c.checkMethod = o.checkMethod;
  c.notReleased = o.notReleased;
  c.accountUnchecked = o.accountUnchecked;
  return c;
}

IbanCheckResult Library::CheckIban(std::string_view iban) const {
  const IbanCheck check = talvenor::CheckIban(impl_->edition->directory, iban);
  IbanCheckResult r;
  static_cast<EditionUse&>(r) = impl_->Use();
  r.code = IbanCheckNumber(check.code);
  r.verdict = check.verdict;
  r.iban = check.iban;
  r.paperIban = check.paperIban;
  r.country = check.country;
  r.checksumValid = check.checksumValid;
  r.bankCode = check.bankCode;
  r.account = check.account;
  r.bankName = check.bankName;
  r.bic = check.bic;
  r.checkMethod = check.checkMethod;
  r.accountValid = check.accountValid;
  r.ruleIban = check.ruleIban;
  r.ruleResult = ResultNumber(check.ruleResult);
  r.ruleNumber = check.ruleNumber;
  return r;
}

FileConversion Library::ConvertFile(const std::string& input, const std::string& output,
                                    const std::string& formatIni, int threads, bool group) const {
  batch::BatchOptions options = batch::DefaultBatchOptions(impl_->edition->directory);
  if (!formatIni.empty()) options.formatIni = formatIni;
  options.group = group;
  if (threads > 0) options.threads = threads;
  FileConversion result;
  static_cast<EditionUse&>(result) = impl_->Use();
  if (output.empty()) {
    // The library asks nobody for a file name.
    result.message = "Bitte geben Sie eine Ausgabedatei an.";
    return result;
  }
  batch::RecordNotes notes;
  const int status = batch::ConvertFile(input, output, result.message, options, &notes);
  result.succeeded = status == batch::kConvertSucceeded;
  result.assumedRuleRecords = static_cast<long long>(notes.assumedRule);
  result.uncheckedRecords = static_cast<long long>(notes.unchecked);
  return result;
}

struct Library::Converter::State {
  const BankDirectory* directory = nullptr;
  AccountResult result;
  ConversionView view;
};

Library::Converter::Converter(const Library& library) : state_(std::make_unique<State>()) {
  state_->directory = &library.impl_->edition->directory;
}
Library::Converter::Converter(Converter&&) noexcept = default;
Library::Converter::~Converter() = default;

const ConversionView& Library::Converter::Convert(std::string_view bankCode,
                                                  std::string_view account) {
  ConversionView& view = state_->view;
  view = ConversionView{};
  const std::optional<BankCode> code = BankCode::Parse(bankCode);
  if (!code) return view;
  AccountRequest request;
  request.bankCode = *code;
  request.account = account;
  AccountResult& r = state_->result;
  // The engine appends to the verdict; every other text it sets anew.
  r.texts.verdict.clear();
  ConvertAccount(*state_->directory, request, r);
  if (r.record == nullptr) return view;
  view.found = true;
  view.resultCode = ResultNumber(r.resultCode);
  view.iban = r.texts.iban;
  view.bic = r.texts.bic;
  view.bankName = r.record->name();
  view.verdict = r.texts.verdict;
  return view;
}

}  // namespace talvenor
