// The baseline's head: comment lines that say what the catalog was made
// from, what it left out, and what each verdict rests on.
#ifndef HOTFIXES_BASELINE_CATALOG_CATALOG_HEAD_H_
#define HOTFIXES_BASELINE_CATALOG_CATALOG_HEAD_H_

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "baseline/read/bulletin_rows.h"

// Why a row is left out, in the order the head lists them.
enum class LeftOut {
  kEarlierFile,    // its bulletin was read from an earlier file
  kBadBulletinId,  // not one word of letters, digits, '-', '_', '.'
  kItanium,
  kEditionNotTold,  // Server Core, Media Center, Tablet PC
  kLaterWindows,    // Vista and later
  kOtherProduct,
  kComponent,  // no --component starts its Affected Component
  kBadKb,      // its update's KB is missing or no number
};
constexpr int kLeftOutReasons = static_cast<int>(LeftOut::kBadKb) + 1;

struct CatalogFigures {
  std::int64_t rowsUsed = 0;
  std::array<std::int64_t, kLeftOutReasons> rowsLeftOut{};
  std::int64_t bulletinsRead = 0;
  std::int64_t bulletinsUsed = 0;
  std::int64_t requirements = 0;
  std::string newestBulletin;  // of all rows read, as the data writes it
  int newestDate = 0;          // serial day; 0: none
  // For each --component, the Affected Components it took, as the data
  // writes them, with their rows; none when it took nothing.
  std::vector<std::vector<std::pair<std::string, std::int64_t>>>
      componentsTaken;
};

// The head's lines, each ending in CR LF; every text from the files or
// the command line made visible.
std::string CatalogHead(const std::vector<BulletinFileFacts>& files,
                        const std::vector<std::string>& components,
                        const CatalogFigures& figures);

#endif  // HOTFIXES_BASELINE_CATALOG_CATALOG_HEAD_H_
