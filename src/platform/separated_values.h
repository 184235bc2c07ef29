// ";"-separated lines with double quotes, as tables are read and written
// by the IBAN file check and as the central bank's CSV form is read.
//
// Reading: fields are separated by ";". A field that begins with a double
// quote is quoted: it runs to the next quote that is not doubled, may hold
// ";", and gives two quotes inside as one; after its closing quote the
// line ends or the next ";" follows. A quote elsewhere in a field is an
// ordinary character. So a field in quotes without any ";" or quote inside
// reads as the batch run reads it, and every line that Writing gives reads
// back to its fields.
// Writing: a field holding ";" or a double quote goes in quotes, its quotes
// doubled; every other field is written as it is.
#ifndef TALVENOR_PLATFORM_SEPARATED_VALUES_H_
#define TALVENOR_PLATFORM_SEPARATED_VALUES_H_

#include <string>
#include <string_view>
#include <vector>

namespace talvenor::platform {

inline constexpr char kFieldSeparator = ';';

// Cuts lines into fields, keeping its buffers from one line to the next.
class SeparatedLine {
 public:
  // Cuts `line` (without its line end). False when a quoted field has no
  // closing quote or something other than ";" follows its closing quote.
  // The fields view `line` or the reader's own buffer and stay valid until
  // the next call.
  bool Split(std::string_view line);

  const std::vector<std::string_view>& fields() const { return fields_; }

 private:
  std::vector<std::string_view> fields_;
  std::string unquoted_;  // fields whose doubled quotes were made single
};

// Appends `value` to `out` as a field, quoted where it must be.
void AppendField(std::string& out, std::string_view value);

}  // namespace talvenor::platform

#endif  // TALVENOR_PLATFORM_SEPARATED_VALUES_H_
