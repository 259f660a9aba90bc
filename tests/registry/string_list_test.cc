#include "registry/string_list.h"

#include <string>
#include <vector>

#include "test_support.h"

namespace {

class StringListTest : public FakePlatformTest {};

std::vector<std::string> Entries(const TStrings& list) {
  std::vector<std::string> entries;
  for (int i = 0; i < list.Count(); ++i) entries.push_back(list[i]);
  return entries;
}

TEST_F(StringListTest, KeepsAppendOrderDuplicatesAndCase) {
  TStringList list;
  TStrings& strings = list;
  EXPECT_EQ(strings.Add("KB2"), 0);
  EXPECT_EQ(strings.Add("kb1"), 1);
  EXPECT_EQ(strings.Add("KB2"), 2);
  EXPECT_EQ(strings.Add(""), 3);
  EXPECT_EQ(strings.Add(std::string("a\0b", 3)), 4);
  EXPECT_EQ(Entries(strings),
            (std::vector<std::string>{"KB2", "kb1", "KB2", "",
                                      std::string("a\0b", 3)}));
  EXPECT_EQ(strings.Strings(1), "kb1");
}

TEST_F(StringListTest, ClearEmptiesAndManyAppendsKeepTheirPlaces) {
  TStringList list;
  list.Add("one");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  const int kCount = 100000;
  for (int i = 0; i < kCount; ++i) list.Add(std::to_string(i));
  ASSERT_EQ(list.Count(), kCount);
  EXPECT_EQ(list[0], "0");
  EXPECT_EQ(list[kCount - 1], std::to_string(kCount - 1));
}

TEST_F(StringListTest, IndexOutsideTheListRaises) {
  struct Case {
    int entries;
    int index;
    const char* message;
  };
  const Case cases[] = {
      {0, 0, "リストのインデックスが範囲を超えています (0)"},
      {3, 3, "リストのインデックスが範囲を超えています (3)"},
      {3, -1, "リストのインデックスが範囲を超えています (-1)"},
      {1, -2147483647 - 1,
       "リストのインデックスが範囲を超えています (-2147483648)"},
      {2, 2147483647, "リストのインデックスが範囲を超えています (2147483647)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TStringList list;
    for (int i = 0; i < c.entries; ++i) list.Add("x");
    try {
      (void)list.Strings(c.index);
      ADD_FAILURE() << "no EStringListError";
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_STREQ(e.ClassName(), "EStringListError");
      EXPECT_EQ(e.Address(), Platform().currentCodeAddress);
    }
    EXPECT_EQ(list.Count(), c.entries);
  }
}

}  // namespace
