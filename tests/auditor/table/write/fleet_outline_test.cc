#include "auditor/table/write/fleet_outline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

// `images` images of `size` items each, drawn from items that no two
// images share; each set one of them less `dropped` of its items.
std::vector<ItemSet> FromImages(std::size_t sets, std::size_t images,
                                std::size_t size, std::size_t dropped) {
  std::mt19937 random(7);
  std::vector<ItemSet> result;
  for (std::size_t s = 0; s < sets; ++s) {
    const std::size_t image = s % images;
    ItemSet set;
    for (std::size_t i = 0; i < size; ++i) set.push_back(image * 1000 + i);
    for (std::size_t d = 0; d < dropped && !set.empty(); ++d) {
      set.erase(set.begin() + static_cast<long>(random() % set.size()));
    }
    result.push_back(set);
  }
  return result;
}

// Sets without any likeness: each `size` items of 1,000.
std::vector<ItemSet> AtRandom(std::size_t sets, std::size_t size) {
  std::mt19937 random(11);
  std::vector<ItemSet> result;
  for (std::size_t s = 0; s < sets; ++s) {
    ItemSet set;
    while (set.size() < size) {
      const std::uint64_t item = random() % 1000;
      if (std::find(set.begin(), set.end(), item) == set.end()) {
        set.push_back(item);
      }
    }
    std::sort(set.begin(), set.end());
    result.push_back(set);
  }
  return result;
}

ItemSet Told(const SetOutline& outline, const OutlinedSet& told) {
  ItemSet set;
  if (told.common != kNoCommonSet) {
    const ItemSet& common = outline.commons[told.common];
    std::set_difference(common.begin(), common.end(), told.without.begin(),
                        told.without.end(), std::back_inserter(set));
  }
  set.insert(set.end(), told.with.begin(), told.with.end());
  std::sort(set.begin(), set.end());
  return set;
}

// Every set is told exactly, never at more cost than whole, by common sets
// that each stand for two sets or more; and where the sets come from a few
// images, each is told in about the items it lacks of its image.
TEST(FleetOutlineTest, TellsEverySetExactlyAndShortly) {
  const struct {
    const char* name;
    std::vector<ItemSet> sets;
    // The most items told per set, on average; 0: no bound but whole.
    double itemsPerSet;
  } cases[] = {
      {"none", {}, 0},
      {"empty sets", {{}, {}, {}}, 0},
      {"one set", {{1, 2, 3}}, 0},
      {"the same set twice", {{4, 5, 6}, {4, 5, 6}}, 0},
      {"three images, two of 100 items dropped", FromImages(600, 3, 100, 2),
       2.5},
      // More images than common sets: the rest are told some way exactly.
      {"forty images", FromImages(400, 40, 60, 1), 0},
      {"no likeness", AtRandom(300, 80), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const SetOutline outline = OutlineSets(c.sets);
    ASSERT_EQ(outline.sets.size(), c.sets.size());
    EXPECT_LE(outline.commons.size(), kMostCommonSets);
    std::vector<std::size_t> users(outline.commons.size(), 0);
    std::size_t items = 0;
    for (std::size_t s = 0; s < c.sets.size(); ++s) {
      const OutlinedSet& told = outline.sets[s];
      EXPECT_EQ(Told(outline, told), c.sets[s]) << "set " << s;
      EXPECT_LE(told.without.size() + told.with.size(), c.sets[s].size())
          << "set " << s;
      if (told.common != kNoCommonSet) ++users[told.common];
      items += told.without.size() + told.with.size();
    }
    for (std::size_t used : users) EXPECT_GE(used, 2u);
    if (c.itemsPerSet > 0) {
      EXPECT_LE(static_cast<double>(items), c.itemsPerSet * c.sets.size());
    }
  }
}

}  // namespace
