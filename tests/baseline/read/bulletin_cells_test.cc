#include "baseline/read/bulletin_cells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BulletinCellsTest, DatePosted) {
  struct Case {
    const char* text;
    int serial;  // 0: no date
  } cases[] = {
      {"39763", 39763},
      {"39763.0", 39763},
      {"39763.75", 39763},
      {"2008-11-11", 39763},
      {"11/11/2008", 39763},
      {"1/13/2009", 39826},
      {"2/29/2012", 40968},
      {"3/1/1900", 61},
      {"1/1/1900", 1},
      {"2/29/2011", 0},
      {"13/1/2009", 0},
      {"11.11.2008", 0},
      {"2008-11", 0},
      {"0", 0},
      {"-5", 0},
      {"39763x", 0},
      {"Nov 11, 2008", 0},
      {"99999999", 0},
  };
  for (const Case& test : cases) {
    int serial = 0;
    EXPECT_EQ(ParseDatePosted(test.text, serial), test.serial != 0)
        << test.text;
    if (test.serial != 0) {
      EXPECT_EQ(serial, test.serial) << test.text;
    }
  }
}

TEST(BulletinCellsTest, KbNumber) {
  struct Case {
    const char* text;
    const char* digits;  // nullptr: none
  } cases[] = {
      {"958687", "958687"},     {"958687.0", "958687"}, {"KB958687", "958687"},
      {"958687.5", nullptr},    {"958 687", nullptr},   {"KB", nullptr},
      {"12345678901", nullptr},
  };
  for (const Case& test : cases) {
    std::string digits;
    EXPECT_EQ(ParseKbNumber(test.text, digits), test.digits != nullptr)
        << test.text;
    if (test.digits != nullptr) {
      EXPECT_EQ(digits, test.digits);
    }
  }
}

std::string Items(const std::vector<ReplacedUpdate>& items) {
  std::string text;
  for (const ReplacedUpdate& item : items) {
    text += item.bulletin + "[" + item.kb + "]";
  }
  return text;
}

TEST(BulletinCellsTest, Supersedes) {
  struct Case {
    const char* text;
    const char* items;    // as Items() writes them
    const char* badItem;  // nullptr: readable
  } cases[] = {
      {"", "", nullptr},
      {"MS08-063[957095]", "MS08-063[957095]", nullptr},
      {"MS14-037[2962872,2963952]", "MS14-037[2962872]MS14-037[2963952]",
       nullptr},
      {"MS03-013[881493;811493], MS00-006",
       "MS03-013[881493]MS03-013[811493]MS00-006[]", nullptr},
      {" MS12-025[2656374],MS13-052[2833947; 2844287], ",
       "MS12-025[2656374]MS13-052[2833947]MS13-052[2844287]", nullptr},
      {"MS08-063[957095],KB1", "", "KB1"},
      {"MS08-063[957095", "", "MS08-063[957095"},
      {"MS08-063[KB957095]", "", "MS08-063[KB957095]"},
      {"MS08-063[]", "", "MS08-063[]"},
      {"[957095]", "", "[957095]"},
      {"MS08 063", "", "MS08 063"},
  };
  for (const Case& test : cases) {
    std::vector<ReplacedUpdate> items;
    std::string badItem;
    EXPECT_EQ(ParseSupersedes(test.text, items, badItem),
              test.badItem == nullptr)
        << test.text;
    if (test.badItem == nullptr) {
      EXPECT_EQ(Items(items), test.items) << test.text;
    } else {
      EXPECT_EQ(badItem, test.badItem) << test.text;
    }
  }
}

}  // namespace
