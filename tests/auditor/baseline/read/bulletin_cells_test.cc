#include "auditor/baseline/read/bulletin_cells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BulletinCellsTest, DatePosted) {
  const DateOrder kAny = DateOrder::kNotKnown, kDay = DateOrder::kDayFirst,
                  kMonth = DateOrder::kMonthFirst;
  struct Case {
    const char* text;
    DateOrder order;
    int serial;  // 0: no date
  } cases[] = {
      {"39763", kAny, 39763},
      {"39763.0", kAny, 39763},
      {"39763.75", kAny, 39763},
      {"2008-11-11", kAny, 39763},
      // n/n/yyyy: in the order given; without one, only when both
      // readings are one day.
      {"11/11/2008", kAny, 39763},
      {"02/08/2010", kDay, 40392},
      {"02/08/2010", kMonth, 40217},
      {"2/8/2010", kAny, 0},
      {"25/08/2010", kDay, 40415},
      {"25/08/2010", kMonth, 0},
      {"25/08/2010", kAny, 0},
      {"1/13/2009", kMonth, 39826},
      {"1/13/2009", kDay, 0},
      {"2/29/2012", kMonth, 40968},
      {"3/1/1900", kMonth, 61},
      {"3/1/1900", kDay, 3},
      {"1/1/1900", kAny, 1},
      {"2/29/2011", kMonth, 0},
      {"13/13/2009", kDay, 0},
      {"11.11.2008", kAny, 0},
      {"2008-11", kAny, 0},
      {"0", kAny, 0},
      {"-5", kAny, 0},
      {"39763x", kAny, 0},
      {"Nov 11, 2008", kAny, 0},
      {"99999999", kAny, 0},
  };
  for (const Case& test : cases) {
    int serial = 0;
    EXPECT_EQ(ParseDatePosted(test.text, test.order, serial), test.serial != 0)
        << test.text << " in order " << static_cast<int>(test.order);
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
