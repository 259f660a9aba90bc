#include "auditor/table/write/json_lines.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One escaped replacement character for each of `n` bytes.
std::string Replacements(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "\\uFFFD";
  return text;
}

// Whatever bytes a report holds, the line is valid JSON (RFC 8259).
TEST(JsonLinesTest, EveryStringIsValidJson) {
  struct Case {
    const char* name;
    std::string text;
    std::string json;
  };
  const Case cases[] = {
      {"quotes and a backslash", "DOMAIN\\PC\"1\"",
       "\"DOMAIN\\\\PC\\\"1\\\"\""},
      {"control characters and a NUL", std::string("a\r\nb\t\x01\x1F\x7F", 9),
       "\"a\\r\\nb\\t\\u0001\\u001F\x7F\\u0000\""},
      {"letters of two to four bytes are kept",
       "\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xEF\xBF\xBD",
       "\"\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\xEF\xBF\xBD\""},
      {"bytes that are no UTF-8: stray, overlong, surrogate, cut",
       "\x80\xC0\xAF\xED\xA0\x80\xE6\x97", "\"" + Replacements(8) + "\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string json;
    AppendJsonString(c.text, json);
    EXPECT_EQ(json, c.json);
  }
}

}  // namespace
