// The baseline's head: comment lines that say what the catalog was made
// from, what it left out, and what each verdict rests on.
#ifndef HOTFIXES_AUDITOR_BASELINE_CATALOG_CATALOG_HEAD_H_
#define HOTFIXES_AUDITOR_BASELINE_CATALOG_CATALOG_HEAD_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "auditor/baseline/read/bulletin_rows.h"

// Why a row is left out, in the order the head lists them.
enum class LeftOut {
  kEarlierFile,    // its bulletin was read from an earlier file
  kBadBulletinId,  // not one word of letters, digits, '-', '_', '.'
  kItanium,
  kEditionNotTold,  // Server Core, Media Center, Tablet PC
  kLaterWindows,    // Vista and later
  kOtherProduct,
  kNoSuchLevel,    // a service pack its Windows never had
  kComponent,      // no --component starts its Affected Component
  kBadKb,          // its update's KB is missing or no number
  kIdOfOneUpdate,  // "MS13-081-KB2862330": what another bulletin's may be
};
constexpr int kLeftOutReasons = static_cast<int>(LeftOut::kIdOfOneUpdate) + 1;

struct CatalogFigures {
  std::int64_t rowsUsed = 0;
  std::array<std::int64_t, kLeftOutReasons> rowsLeftOut{};
  std::int64_t bulletinsRead = 0;
  std::int64_t bulletinsUsed = 0;
  std::int64_t requirements = 0;
  // Levels of requirements whose chain of replacements was cut at
  // kMostReplacements.
  std::int64_t chainsCut = 0;
  std::string newestBulletin;  // of all rows read, as the data writes it
  int newestDate = 0;          // serial day; 0: none
  // For each --component, the Affected Components it took, as the data
  // writes them, with their rows; none when it took nothing.
  std::vector<std::vector<std::pair<std::string, std::int64_t>>>
      componentsTaken;
};

// A rule lists an update and at most this many that replace it, the
// nearest first: the longest chain of Microsoft's data has some forty, and
// a file whose every bulletin replaces the one before would otherwise give
// a baseline of its square.
const std::size_t kMostReplacements = 256;

// The head's lines, each ending in CR LF; every text from the files or
// the command line made visible.
std::string CatalogHead(const std::vector<BulletinFileFacts>& files,
                        const std::vector<std::string>& components,
                        const CatalogFigures& figures);

#endif  // HOTFIXES_AUDITOR_BASELINE_CATALOG_CATALOG_HEAD_H_
