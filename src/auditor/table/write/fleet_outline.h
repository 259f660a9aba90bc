// Many sets of items told in few words: a handful of common sets, and each
// set as the common set nearest to it, with what it lacks of that set and
// what it has besides.
//
// Machines installed from a few images and then left to drift are each a
// patch level of their own, but each differs from its image in a few
// hotfixes (and so in a few requirements it is exposed to). Told this way,
// the text of ten thousand such levels grows with those differences, not
// with levels x hotfixes, as a matrix does.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_OUTLINE_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_OUTLINE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

typedef std::vector<std::uint64_t> ItemSet;  // ascending, each item once

// More common sets than this cost more to read than they save: a set far
// from every one of them is told whole.
const std::size_t kMostCommonSets = 26;
const std::size_t kNoCommonSet = static_cast<std::size_t>(-1);

struct OutlinedSet {
  std::size_t common = kNoCommonSet;  // into SetOutline::commons
  ItemSet without;                    // the common set's items this set lacks
  ItemSet with;  // its items the common set lacks; all of them without one
};

struct SetOutline {
  std::vector<ItemSet> commons;   // each the nearest of two sets or more
  std::vector<OutlinedSet> sets;  // in the order given
};

// Sets given earlier are taken first as the seeds of common sets: give the
// levels of most machines first. The time grows with the items of all sets
// times kMostCommonSets.
SetOutline OutlineSets(const std::vector<ItemSet>& sets);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_OUTLINE_H_
