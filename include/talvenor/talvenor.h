// The Talvenor library: German bank code and account number to IBAN and
// BIC, IBAN checks, check-digit methods and whole IBANHIN files.
//
//   #include <talvenor/talvenor.h>
//
//   talvenor::Library lib = talvenor::Library::OpenInForce();
//   talvenor::Conversion c = lib.Convert("37050198", "1234567897");
//   if (c.converted()) std::cout << c.iban << " " << c.bic << "\n";
//
// A Library holds one bank-data edition: the one in force today (the
// built-in edition, or a newer one installed into
// $XDG_DATA_HOME/Korvane/Talvenor or a "talvenor" folder below
// $XDG_DATA_DIRS, as the program finds them), or a bank-code file given by
// path. Every result says which edition it was made with and whether that
// edition had expired; the library converts with an expired edition all
// the same.
//
// A Library is safe to use from several threads at once for everything but
// assignment. An edition that cannot be opened and an unknown check-digit
// method are reported as talvenor::Error, with a German message; everything
// else reports its outcome in its result.
//
// IBAN check codes (IbanCheckResult::code):
//   80 every step passed            81 a well-formed foreign IBAN
//   82 the text is no IBAN          83 wrong length or shape for the country
//   84 wrong check digits           85 bank code not in the directory
//   86 the account fails its check  87 the bank's rule forms another IBAN
//   88 the bank's rule refuses the account
#ifndef TALVENOR_TALVENOR_H_
#define TALVENOR_TALVENOR_H_

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "talvenor/types.h"
#include "talvenor/version.h"

namespace talvenor {

// An edition could not be opened; what() is a German sentence.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The editions the library would choose from (built-in, installed,
// system-wide), ascending by start date, each read to tell whether it can
// be used and how many bank codes it has; editions hidden by another of
// the same date follow. `asOf` ("YYYY-MM-DD", empty: today) is the day
// for `inForce` and `expired`. Throws Error for a malformed `asOf`.
std::vector<EditionInfo> Editions(const std::string& asOf = "");

// A fast view of one conversion, for converting columns of accounts. The
// texts point into the converter and hold until its next call.
struct ConversionView {
  bool found = false;     // the bank code is in the directory
  int resultCode = 10;    // 10 when not found, else as Conversion
  std::string_view iban;  // empty when no IBAN is formed
  std::string_view bic;
  std::string_view bankName;
  std::string_view verdict;
};

class Library {
 public:
  // The edition in force today, or on `asOf` ("YYYY-MM-DD": history and
  // preview). Never fails for want of data: the built-in edition is the
  // last resort. `warnings`, when given, receives German lines about
  // editions that had to be passed over. Throws Error only for a malformed
  // `asOf`.
  static Library OpenInForce(std::vector<std::string>* warnings = nullptr,
                             const std::string& asOf = "");
  // The bank-code file `path` (text, XML, CSV or a ZIP package of one),
  // taking effect on `validFrom` ("YYYY-MM-DD"; empty: the validity the
  // file states, or the date of its name "blz_YYYY_MM_DD.txt"). `warnings`
  // receives what there is to say about it. Throws Error when the file
  // cannot be read or is malformed.
  static Library OpenFile(const std::string& path, const std::string& validFrom = "",
                          std::vector<std::string>* warnings = nullptr,
                          const std::string& asOf = "");

  Library(Library&&) noexcept;
  Library& operator=(Library&&) noexcept;
  ~Library();

  // The edition this library converts with.
  EditionInfo edition() const;
  // Whether it had expired today (or on the day the library was opened
  // for).
  bool expired() const;

  // Converts one account as a person types it (bank code: eight digits;
  // account: up to ten digits).
  Conversion Convert(std::string_view bankCode, std::string_view account) const;
  // Checks an IBAN in electronic or paper form.
  IbanCheckResult CheckIban(std::string_view iban) const;
  // Converts an IBANHIN file (plain or gzip) into an IBANRUECK file. An
  // empty `formatIni` takes FORMAT.INI beside the program, when there is
  // one, otherwise the built-in layout; `threads` 0 means every core.
  // `group` writes one file per institution group (the fourth digit of
  // the bank code) instead; the program's own setting for it is not read,
  // so a caller's result never depends on a person's settings.
  FileConversion ConvertFile(const std::string& input, const std::string& output,
                             const std::string& formatIni = "", int threads = 0,
                             bool group = false) const;

  // Converts many accounts quickly: one converter reuses its buffers. Each
  // thread needs its own converter; the library must outlive it.
  class Converter {
   public:
    explicit Converter(const Library& library);
    Converter(Converter&&) noexcept;
    ~Converter();
    const ConversionView& Convert(std::string_view bankCode, std::string_view account);

   private:
    struct State;
    std::unique_ptr<State> state_;
  };

 private:
  struct Impl;
  explicit Library(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Checks `account` with the check-digit method `method` ("00" to "99",
// "A0" to "E4"); some methods need the bank code. Needs no edition.
// Throws Error for a method code that is not handled.
Verification Verify(std::string_view method, std::string_view account,
                    std::string_view bankCode = "");

// Whether `method` is a method code the library handles.
bool IsHandledMethod(std::string_view method);

}  // namespace talvenor

#endif  // TALVENOR_TALVENOR_H_
