// The entries of a bank-code file, whatever form it comes in.
//
// Every form lists the same entries: one per bank code and branch, the
// bank's main entry (feature "1") and its branch entries (feature "2").
// One function checks an entry's fields and one groups checked entries
// into directory records, so the text, XML and CSV forms are held to the
// same rules and give the same records; only the way a message names an
// entry (a line and its columns, or an entry number) differs by form.
#ifndef TALVENOR_EDITIONS_BANK_ENTRIES_H_
#define TALVENOR_EDITIONS_BANK_ENTRIES_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/blz_info.h"

namespace talvenor::editions {

// The fields the directory is built from, in the order they are checked.
enum class EntryField : std::uint8_t {
  kBankCode,
  kFeature,
  kBic,
  kMethod,
  kChangeMark,
  kDeletionMark,
  kSuccessor,
  kIbanRule,
  kShortName,
};
inline constexpr std::size_t kEntryFieldCount = 9;

// A field's German name (for messages) and its place in the fixed-width
// text form (1-based first column, width).
struct EntryFieldInfo {
  const char* name;
  std::size_t column;
  std::size_t width;
};
const EntryFieldInfo& InfoOf(EntryField field);

// One entry: the values of its fields as the file holds them (the text
// form's padded columns, or the trimmed values of the other forms; an
// empty view for a field the entry leaves out).
struct BankEntry {
  std::uint32_t number = 0;    // 1-based line or entry number, for messages
  std::uint32_t bankCode = 0;  // set by CheckEntry
  std::array<std::string_view, kEntryFieldCount> values{};

  std::string_view operator[](EntryField field) const {
    return values[static_cast<std::size_t>(field)];
  }
  std::string_view& operator[](EntryField field) { return values[static_cast<std::size_t>(field)]; }
};

// How the entries of one file are written and named.
struct EntryForm {
  // "Zeile" or "Eintrag": what a message calls an entry.
  const char* entryWord = "Zeile";
  // Messages name a field's columns (the text form) instead of the bank
  // code of the entry.
  bool fixedColumns = true;
  // Values are Latin-1 (text, CSV); else UTF-8 (XML), which is checked.
  bool latin1 = true;
  // The file names IBAN rules: every main entry must have one.
  bool ruleNumbers = false;
};

// Checks the fields of `entry` and sets its bank code. Empty when they are
// well-formed; else the German message naming the entry and the first
// faulty field: a bank code that is not eight digits starting 1 to 8, a
// feature other than "1"/"2", a BIC that is neither blank nor eleven
// capital letters and digits, a method code that is not a digit or capital
// letter followed by a digit, a change mark other than A/D/M/U, a deletion
// mark other than 0/1, a successor that is not eight digits, a rule that
// is not six digits (required of main entries when the file names rules),
// and, outside the fixed-width form, control characters or a name that is
// not UTF-8 where UTF-8 is expected.
std::string CheckEntry(BankEntry& entry, const EntryForm& form);

// Groups checked entries by bank code (taken in any order; entries of one
// bank keep their order) and appends one record per bank code whose main
// entry is not marked deleted ("D"): name, method and rule (0 without rule
// numbers) from the main entry, the BICs of all entries in order, and a
// successor mark when the deletion mark is set. False with `error` set
// when a bank code has two main entries or branch entries without one.
bool BuildRecords(std::vector<BankEntry>& entries, const EntryForm& form,
                  std::vector<BlzInfoIBAN>& records, std::string& error);

// CheckEntry for every entry in order, then BuildRecords; false with
// `error` set at the first fault, and at no entries at all.
bool CheckAndBuildRecords(std::vector<BankEntry>& entries, const EntryForm& form,
                          std::vector<BlzInfoIBAN>& records, std::string& error);

// Whether any entry names an IBAN rule (forms where the field may be left
// out).
bool AnyRuleNumber(const std::vector<BankEntry>& entries);

// Collects entries whose values are copied as they are read (the reader
// of the value reuses its buffers): the values live in one buffer, and the
// entries view it once reading is done.
class EntryCollector {
 public:
  // Starts the next entry.
  void Begin(std::uint32_t number);
  // Sets a field of the current entry. False when it was set already.
  bool Set(EntryField field, std::string_view value);
  // The entries collected, viewing this collector's buffer: valid while
  // the collector lives and is not changed.
  std::vector<BankEntry> Entries() const;
  std::size_t size() const { return entries_.size(); }

 private:
  struct Span {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    bool set = false;
  };
  struct Collected {
    std::uint32_t number = 0;
    std::array<Span, kEntryFieldCount> spans{};
  };
  std::string buffer_;
  std::vector<Collected> entries_;
};

}  // namespace talvenor::editions

#endif  // TALVENOR_EDITIONS_BANK_ENTRIES_H_
