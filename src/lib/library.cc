// The library facade over the engine: one bank-data edition, opened as the
// program opens it, and the conversions, checks and file runs on it.
#include <talvenor/talvenor.h>

#include <optional>
#include <utility>

#include "batch/convert_file.h"
#include "core/account_conversion.h"
#include "core/iban_check.h"
#include "core/single_conversion.h"
#include "editions/edition_catalogue.h"
#include "editions/edition_install.h"
#include "platform/clock.h"
#include "platform/data_folders.h"

namespace talvenor {

using editions::BankDataEdition;
using editions::Date;
using editions::EditionCatalogue;
using editions::EditionOrigin;
using editions::EditionSource;
using editions::EditionStartDate;
using editions::IsoDate;
using editions::OriginKey;

namespace {

EditionCatalogue PlatformCatalogue() {
  return EditionCatalogue(platform::UserDataFolder(), platform::SystemDataFolders());
}

EditionInfo InfoOf(const EditionSource& source, Date validUntil, int bankCodes) {
  EditionInfo info;
  info.validFrom = IsoDate(source.validFrom);
  info.validUntil = IsoDate(validUntil);
  info.origin = std::string(OriginKey(source.origin));
  info.path = source.path.string();
  info.bankCodes = bankCodes;
  return info;
}

}  // namespace

struct Library::Impl {
  std::unique_ptr<BankDataEdition> edition;

  EditionUse Use() const {
    EditionUse use;
    use.edition = IsoDate(edition->source.validFrom);
    use.expired = edition->ExpiredOn(platform::LocalToday());
    return use;
  }
};

std::vector<EditionInfo> Editions() {
  const EditionCatalogue catalogue = PlatformCatalogue();
  std::vector<EditionInfo> editions;
  for (const EditionSource& source : catalogue.editions()) {
    // Reading every file only to count its banks would be slow; the count
    // is known for the edition opened (Library::edition()).
    editions.push_back(InfoOf(source, catalogue.ValidUntil(source), 0));
  }
  return editions;
}

Library::Library(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Library::Library(Library&&) noexcept = default;
Library& Library::operator=(Library&&) noexcept = default;
Library::~Library() = default;

Library Library::OpenInForce(std::vector<std::string>* warnings) {
  auto impl = std::make_unique<Impl>();
  std::vector<std::string> seen;
  impl->edition = PlatformCatalogue().LoadInForce(platform::LocalToday(), seen);
  if (warnings != nullptr) *warnings = std::move(seen);
  return Library(std::move(impl));
}

Library Library::OpenFile(const std::string& path, const std::string& validFrom) {
  std::string error;
  std::vector<std::string> warnings;
  const std::optional<std::string> from =
      validFrom.empty() ? std::nullopt : std::optional<std::string>(validFrom);
  const std::optional<Date> start = EditionStartDate(path, from, error, warnings);
  if (!start) throw Error(error);
  // The given file joins the known editions, so that it takes its rule
  // numbers and its end of validity from them as the program's does.
  EditionCatalogue catalogue = PlatformCatalogue();
  const EditionSource source{EditionOrigin::kGiven, path, *start};
  catalogue.Put(source);
  auto impl = std::make_unique<Impl>();
  impl->edition = catalogue.Load(source, error, warnings);
  if (!impl->edition) throw Error(error);
  return Library(std::move(impl));
}

EditionInfo Library::edition() const {
  const BankDataEdition& e = *impl_->edition;
  return InfoOf(e.source, e.validUntil, static_cast<int>(e.directory.size()));
}

bool Library::expired() const { return impl_->edition->ExpiredOn(platform::LocalToday()); }

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
