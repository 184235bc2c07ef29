// Reading and writing ";"-separated fields with quotes.
#include "platform/separated_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvenor::platform {
namespace {

using V = std::vector<std::string>;

V Fields(const SeparatedLine& line) { return V(line.fields().begin(), line.fields().end()); }

TEST(SeparatedValues, SplitsQuotedAndPlainFields) {
  struct Case {
    std::string line;
    V fields;
  };
  // clang-format off
  const Case cases[] = {
      {"", {""}},
      {"a", {"a"}},
      {"a;;b;", {"a", "", "b", ""}},
      {"\"a\";b", {"a", "b"}},
      {"\"a;b\";\"\"", {"a;b", ""}},
      {"\"say \"\"hi\"\"\";x", {"say \"hi\"", "x"}},
      {"\"\"\"\"", {"\""}},
      {"ab\"c;d\"", {"ab\"c", "d\""}},  // a quote inside a field is a character
  };
  // clang-format on
  SeparatedLine split;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_TRUE(split.Split(c.line));
    EXPECT_EQ(Fields(split), c.fields);
  }
  for (const char* line : {"\"a", "\"a\"b", "x;\"a\"\"", "\"a\" ;b"}) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(split.Split(line));
  }
}

TEST(SeparatedValues, WrittenFieldsReadBackAsThemselves) {
  const V values = {"plain", "", "a;b", "\"", "say \"hi\"", "x\"", "\";\"", "Müller"};
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line += kFieldSeparator;
    AppendField(line, values[i]);
  }
  EXPECT_EQ(line, "plain;;\"a;b\";\"\"\"\";\"say \"\"hi\"\"\";\"x\"\"\";\"\"\";\"\"\";Müller");
  SeparatedLine split;
  ASSERT_TRUE(split.Split(line));
  EXPECT_EQ(Fields(split), values);
}

}  // namespace
}  // namespace talvenor::platform
