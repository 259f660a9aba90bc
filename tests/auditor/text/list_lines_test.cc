#include "auditor/text/list_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// Every line counts towards the numbers, the skipped ones too; CR LF and
// LF alike end a line, and the last needs no end.
TEST(ListLinesTest, NumbersEveryLineAndHandsOnTheOthersTrimmed) {
  std::vector<std::string> seen;
  EXPECT_TRUE(ForEachListLine(
      "# head\r\n\r\n  KB1 \r\n\t\n#KB2\nKB3 # x\n  # indented\nKB4",
      [&](std::string_view line, int number) {
        seen.push_back(std::to_string(number) + ":" + std::string(line));
        return true;
      }));
  EXPECT_EQ(seen, (std::vector<std::string>{"3:KB1", "6:KB3 # x", "8:KB4"}));
}

TEST(ListLinesTest, StopsAtTheFirstLineRefused) {
  int calls = 0;
  EXPECT_FALSE(ForEachListLine("a\nb\nc\n", [&](std::string_view line, int) {
    ++calls;
    return line != "b";
  }));
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(ForEachListLine("", [](std::string_view, int) { return false; }));
  EXPECT_EQ(ListFault("list.txt", 7, "what"), "list.txt:7: what");
}

}  // namespace
