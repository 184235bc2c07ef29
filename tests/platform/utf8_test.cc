// Telling well-formed UTF-8 from other bytes.
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace talvenor::platform {
namespace {

TEST(Utf8, WellFormedAndMalformedSequences) {
  for (const std::string& text :
       {std::string(), std::string("plain ASCII, longer than eight bytes"),
        std::string("K\xC3\xB6ln"), std::string("\xE2\x82\xAC 12"), std::string("\xF0\x9F\x98\x80"),
        std::string("\xED\x9F\xBF"),  // U+D7FF
        std::string("\xF4\x8F\xBF\xBF"), std::string("a\0b", 3)}) {
    EXPECT_TRUE(IsValidUtf8(text)) << text;
  }
  for (const std::string& text : {
           std::string("M\xFCller"),                      // Latin-1
           std::string("\xC3"),                           // cut short
           std::string("0123456789\xC3"),                 // cut short after the fast path
           std::string("\xC0\xAF"),                       // overlong
           std::string("\xE0\x80\xAF"),                   // overlong
           std::string("\xED\xA0\x80"),                   // a surrogate
           std::string("\xF4\x90\x80\x80"),               // beyond U+10FFFF
           std::string("\xE2\x82"), std::string("\x80"),  // no lead
           std::string("abcdefgh\xE2\x28\xA1"),           // a bad continuation
       }) {
    EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace talvenor::platform
