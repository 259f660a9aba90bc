#include "auditor/table/write/fleet_outline.h"

#include <algorithm>
#include <iterator>

namespace {

// How many items are in one set and not the other, counted no further than
// past `limit`: most comparisons are with a common set far from the set.
std::size_t Distance(const ItemSet& a, const ItemSet& b, std::size_t limit) {
  std::size_t distance = 0;
  auto x = a.begin();
  auto y = b.begin();
  while (x != a.end() && y != b.end()) {
    if (*x == *y) {
      ++x;
      ++y;
      continue;
    }
    if (++distance > limit) return distance;
    if (*x < *y) {
      ++x;
    } else {
      ++y;
    }
  }
  return distance + static_cast<std::size_t>(a.end() - x) +
         static_cast<std::size_t>(b.end() - y);
}

struct Nearest {
  std::size_t common = kNoCommonSet;
  std::size_t distance = static_cast<std::size_t>(-1);
};

Nearest NearestOf(const ItemSet& set, const std::vector<ItemSet>& commons) {
  Nearest nearest;
  for (std::size_t c = 0; c < commons.size(); ++c) {
    const std::size_t distance = Distance(set, commons[c], nearest.distance);
    if (distance < nearest.distance) nearest = Nearest{c, distance};
  }
  return nearest;
}

// The first sets become the seeds of common sets, each set that is far
// from every seed so far another one, while there is room: a set joins a
// seed whose difference from it is at most an eighth of both together.
// Machines of one image differ from each other in a few hotfixes, machines
// of two images of one Windows in dozens.
std::vector<std::size_t> Seed(const std::vector<ItemSet>& sets,
                              std::vector<ItemSet>& seeds) {
  std::vector<std::size_t> assigned(sets.size(), kNoCommonSet);
  for (std::size_t s = 0; s < sets.size(); ++s) {
    const Nearest nearest = NearestOf(sets[s], seeds);
    const bool near =
        nearest.common != kNoCommonSet &&
        8 * nearest.distance <= sets[s].size() + seeds[nearest.common].size();
    if (near || seeds.size() == kMostCommonSets) {
      assigned[s] = nearest.common;
    } else {
      assigned[s] = seeds.size();
      seeds.push_back(sets[s]);
    }
  }
  return assigned;
}

// Each common set becomes the items that more than half of the sets
// assigned to it have.
std::vector<ItemSet> Majorities(const std::vector<ItemSet>& sets,
                                const std::vector<std::size_t>& assigned,
                                std::size_t commons) {
  std::vector<ItemSet> items(commons);
  std::vector<std::size_t> members(commons, 0);
  for (std::size_t s = 0; s < sets.size(); ++s) {
    if (assigned[s] == kNoCommonSet) continue;
    ItemSet& all = items[assigned[s]];
    all.insert(all.end(), sets[s].begin(), sets[s].end());
    ++members[assigned[s]];
  }
  std::vector<ItemSet> majorities(commons);
  for (std::size_t c = 0; c < commons; ++c) {
    std::sort(items[c].begin(), items[c].end());
    for (auto run = items[c].begin(); run != items[c].end();) {
      const auto end = std::upper_bound(run, items[c].end(), *run);
      if (2 * static_cast<std::size_t>(end - run) > members[c]) {
        majorities[c].push_back(*run);
      }
      run = end;
    }
  }
  return majorities;
}

// Each set to its nearest common set, or to none when telling it whole
// costs no more than its difference.
std::vector<std::size_t> Assign(const std::vector<ItemSet>& sets,
                                const std::vector<ItemSet>& commons) {
  std::vector<std::size_t> assigned(sets.size(), kNoCommonSet);
  for (std::size_t s = 0; s < sets.size(); ++s) {
    const Nearest nearest = NearestOf(sets[s], commons);
    if (nearest.distance < sets[s].size()) assigned[s] = nearest.common;
  }
  return assigned;
}

// Keeps the common sets of two sets or more, renumbered; a set alone with
// its common set is told whole, which is the same text.
std::vector<ItemSet> KeepShared(std::vector<ItemSet> commons,
                                std::vector<std::size_t>& assigned) {
  std::vector<std::size_t> members(commons.size(), 0);
  for (std::size_t c : assigned) {
    if (c != kNoCommonSet) ++members[c];
  }
  std::vector<std::size_t> renumbered(commons.size(), kNoCommonSet);
  std::vector<ItemSet> kept;
  for (std::size_t c = 0; c < commons.size(); ++c) {
    if (members[c] < 2) continue;
    renumbered[c] = kept.size();
    kept.push_back(std::move(commons[c]));
  }
  for (std::size_t& c : assigned) {
    if (c != kNoCommonSet) c = renumbered[c];
  }
  return kept;
}

}  // namespace

SetOutline OutlineSets(const std::vector<ItemSet>& sets) {
  std::vector<ItemSet> commons;
  std::vector<std::size_t> assigned = Seed(sets, commons);
  // Twice: a seed is one set, the majority of its nearest sets is the
  // image they were made from, and the sets nearest to that are found
  // again.
  for (int round = 0; round < 2; ++round) {
    commons = Majorities(sets, assigned, commons.size());
    assigned = Assign(sets, commons);
  }
  SetOutline outline;
  outline.commons = KeepShared(std::move(commons), assigned);
  outline.sets.resize(sets.size());
  for (std::size_t s = 0; s < sets.size(); ++s) {
    OutlinedSet& told = outline.sets[s];
    told.common = assigned[s];
    if (told.common == kNoCommonSet) {
      told.with = sets[s];
      continue;
    }
    const ItemSet& common = outline.commons[told.common];
    std::set_difference(common.begin(), common.end(), sets[s].begin(),
                        sets[s].end(), std::back_inserter(told.without));
    std::set_difference(sets[s].begin(), sets[s].end(), common.begin(),
                        common.end(), std::back_inserter(told.with));
  }
  return outline;
}
