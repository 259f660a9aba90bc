// The fleet as a person can read it at ten thousand machines: machines
// cloned from a few images share their patch level with many others.
//
// Machines of one Windows (whatever its service pack) form a section.
// Inside it, machines whose reports are complete and list the same
// hotfixes (names compared as RequiredHotfixes compares them) at the same
// service-pack level form one patch level; a machine whose report is not
// complete is a level of its own.
#ifndef HOTFIXES_TABLE_WRITE_FLEET_GROUPS_H_
#define HOTFIXES_TABLE_WRITE_FLEET_GROUPS_H_

#include <cstddef>
#include <vector>

#include "table/write/fleet.h"

struct PatchLevel {
  std::vector<std::size_t> machines;  // into Fleet::machines, table order
};

struct WindowsSection {
  Windows windows = Windows::kUnknown;
  // The fleet's columns some machine of the section has, or that are
  // required: the only ones its matrix shows. Ascending.
  std::vector<std::size_t> columns;
  // By service pack, then the most machines first, then table order.
  std::vector<PatchLevel> levels;
};

// The sections in the order of the Windows releases, an unknown Windows
// last.
std::vector<WindowsSection> GroupFleet(const Fleet& fleet);

#endif  // HOTFIXES_TABLE_WRITE_FLEET_GROUPS_H_
