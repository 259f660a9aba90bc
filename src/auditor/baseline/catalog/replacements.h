// Which later updates replace an update on one product, from the
// Supersedes column: "on XP SP3, 958687 is replaced by 971468, that by
// 982214, that by 2508429" makes any of the four satisfy MS09-001.
#ifndef HOTFIXES_AUDITOR_BASELINE_CATALOG_REPLACEMENTS_H_
#define HOTFIXES_AUDITOR_BASELINE_CATALOG_REPLACEMENTS_H_

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "auditor/baseline/read/bulletin_rows.h"

class Replacements {
 public:
  // The update `kb` of bulletin `bulletinId` on product `product` (an
  // index the caller gives each product) replaces `replaced`. Bulletin
  // IDs compare in upper case; an item without a KB stands for every
  // update of its bulletin on that product.
  void Add(std::size_t product, const std::string& bulletinId,
           const std::string& kb, const std::vector<ReplacedUpdate>& replaced);

  // `kb` of `bulletinId` and every update that replaces it on `product`,
  // as far as the chain goes, each once: the update first, then those
  // that replace it, nearest first; at most `most` of these, and `cut`
  // true when there were more.
  std::vector<std::string> Chain(std::size_t product,
                                 const std::string& bulletinId,
                                 const std::string& kb, std::size_t most,
                                 bool& cut) const;

 private:
  struct Update {
    std::string bulletinId;
    std::string kb;
  };
  // By product and replaced KB, and by product and replaced bulletin for
  // items without a KB.
  std::map<std::pair<std::size_t, std::string>, std::vector<Update>> byKb_;
  std::map<std::pair<std::size_t, std::string>, std::vector<Update>>
      byBulletin_;
};

#endif  // HOTFIXES_AUDITOR_BASELINE_CATALOG_REPLACEMENTS_H_
