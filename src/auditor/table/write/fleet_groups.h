// The fleet as a person can read it at ten thousand machines: machines
// cloned from a few images share their patch level with many others.
//
// Machines of one Windows (whatever its service pack) form a section.
// Inside it, machines whose reports are complete and list the same
// hotfixes (names compared by HotfixKey: KB958644 and Q958644 are one
// name, KB958644-v2 another, which satisfies KB958644 but is not satisfied
// by it) at the same service-pack level form one patch level; a machine
// whose report is not complete is a level of its own.
//
// A level's hotfixes that no other level of its section has get columns
// only when they are a few: a report of a hundred thousand invented names
// must not add a hundred thousand columns to every row of its Windows. The
// level then counts them instead.
#ifndef HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_GROUPS_H_
#define HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_GROUPS_H_

#include <cstddef>
#include <vector>

#include "auditor/table/write/fleet.h"

// More hotfixes than this that only one level of a section has are
// folded into its count.
const std::size_t kOwnColumnsDrawn = 16;

struct PatchLevel {
  std::vector<std::size_t> machines;  // into Fleet::machines, table order
  // Its hotfixes that no other level of the section has and that have no
  // column; none unless more than kOwnColumnsDrawn.
  std::size_t folded = 0;
};

struct WindowsSection {
  Windows windows = Windows::kUnknown;
  // The fleet's columns some machine of the section has, or that are
  // required, less those folded: the only ones its matrix shows.
  // Ascending.
  std::vector<std::size_t> columns;
  // By service pack, then the most machines first, then table order.
  std::vector<PatchLevel> levels;
};

// The sections in the order of the Windows releases, an unknown Windows
// last.
std::vector<WindowsSection> GroupFleet(const Fleet& fleet);

// Lower service packs first, then the levels of more machines; the
// order among equals is kept.
void SortLevels(const Fleet& fleet, std::vector<PatchLevel>& levels);

// The machines of the levels from number `first` on.
std::size_t MachinesOf(const std::vector<PatchLevel>& levels,
                       std::size_t first = 0);

#endif  // HOTFIXES_AUDITOR_TABLE_WRITE_FLEET_GROUPS_H_
