// Converting one IBANHIN record line into its IBANRUECK line.
//
// The line is cut into the layout's fields (fixed widths, or ";"-separated
// with enclosing double quotes removed); the bank code and account number
// are looked up and run through the IBAN rule engine like a single
// conversion; the new BIC, the new IBAN and the two-digit result code go
// into the fields of their roles or behind the record. Records that
// convert badly carry their result code; only a line that does not fit
// the layout is refused.
//
// Buffers are kept from one record to the next, so that converting a
// record allocates nothing of its own once the first records are done.
#ifndef TALVENOR_BATCH_RECORD_CONVERSION_H_
#define TALVENOR_BATCH_RECORD_CONVERSION_H_

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "batch/record_layout.h"
#include "core/account_conversion.h"
#include "core/bank_directory.h"
#include "core/result_code.h"

namespace talvenor::batch {

// Whether a batch run can use `layout`: every position it names (bank
// code, account, roles) lies within its fields.
bool LayoutIsAddressable(const RecordLayout& layout);

class RecordConverter {
 public:
  // `groups` is the number of output files (1, or 10 when grouping).
  // REQUIRES: LayoutIsAddressable(layout); both outlive the converter.
  RecordConverter(const RecordLayout& layout, const BankDirectory& directory, int groups);

  // Converts one record line (without its line end). False when the line
  // does not fit the layout: a fixed-length line shorter than the record,
  // too few fields, or an over-long bank code, account or old-IBAN field in
  // separated values.
  bool Convert(std::string_view line);

  // After a successful Convert: the output line with carriage return and
  // line feed, the output file it belongs to, and its result code.
  std::string_view output() const { return {output_.data(), outputSize_}; }
  int group() const { return group_; }
  int resultCode() const { return ResultNumber(resultCode_); }
  // How many records so far belonged to a bank whose IBAN rule is not
  // known (converted under the standard rule), and how many to a bank whose
  // check-digit method the program does not handle (account not checked).
  std::size_t assumedRuleRecords() const { return assumedRuleRecords_; }
  std::size_t uncheckedRecords() const { return uncheckedRecords_; }

 private:
  // The token and the fixed-line offset of a field position of the layout.
  // REQUIRES: 0 <= position < the number of tokens (offsets: of fields).
  std::string_view Token(int position) const { return tokens_[static_cast<std::size_t>(position)]; }
  std::size_t FieldOffset(int position) const {
    return fieldOffsets_[static_cast<std::size_t>(position)];
  }
  bool Split(std::string_view line);
  bool SplitFixed(std::string_view line);
  bool SplitSeparated(std::string_view line);
  int GroupOf() const;
  void ConvertNumbers();
  bool FitsInPlace() const;
  void BuildFixedInPlace(std::string_view line);
  void BuildFromFields();
  void AppendMissingFields();
  void AppendField(std::size_t position);
  void AppendValue(std::string_view value, bool quoted);
  void AppendResult(bool quoted);
  // Writing the output line: the buffer is sized for the longest line the
  // record can give before building starts, so these only copy.
  void Put(std::string_view text) {
    if (text.empty()) return;  // an empty view may have no data at all
    std::memcpy(cursor_, text.data(), text.size());
    cursor_ += text.size();
  }
  void Put(char c) { *cursor_++ = c; }
  void PutBlanks(std::size_t count) {
    std::memset(cursor_, ' ', count);
    cursor_ += count;
  }

  const RecordLayout& layout_;
  const BankDirectory& directory_;
  const int groups_;
  const int countryField_;
  const int oldIbanField_;
  const int bicField_;
  const int ibanField_;
  const int resultField_;
  const bool separated_;
  std::vector<std::size_t> fieldOffsets_;  // where each field starts in a fixed line
  bool inPlace_ = false;                   // see BuildFixedInPlace

  // Working values of the current record.
  std::vector<std::string_view> tokens_;
  std::string_view remainder_;
  bool hasRemainder_ = false;
  std::string joined_;  // old-IBAN part + bank code + padded account
  AccountResult result_;
  bool writesNumbers_ = false;  // BIC and IBAN go into the output
  ResultCode resultCode_ = ResultCode::kConverted;
  int group_ = 0;
  std::size_t assumedRuleRecords_ = 0;
  std::size_t uncheckedRecords_ = 0;
  std::string output_;  // grows to the longest line seen, never shrinks
  std::size_t outputSize_ = 0;
  char* cursor_ = nullptr;  // write position while building
};

}  // namespace talvenor::batch

#endif  // TALVENOR_BATCH_RECORD_CONVERSION_H_
