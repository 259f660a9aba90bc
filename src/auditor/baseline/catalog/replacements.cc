#include "auditor/baseline/catalog/replacements.h"

#include <set>

#include "auditor/text/ascii.h"

void Replacements::Add(std::size_t product, const std::string& bulletinId,
                       const std::string& kb,
                       const std::vector<ReplacedUpdate>& replaced) {
  const Update update{UpperAscii(bulletinId), kb};
  for (const ReplacedUpdate& item : replaced) {
    if (item.kb.empty()) {
      byBulletin_[{product, UpperAscii(item.bulletin)}].push_back(update);
    } else {
      byKb_[{product, item.kb}].push_back(update);
    }
  }
}

std::vector<std::string> Replacements::Chain(std::size_t product,
                                             const std::string& bulletinId,
                                             const std::string& kb,
                                             std::size_t most,
                                             bool& cut) const {
  std::vector<std::string> chain;
  std::set<std::string> seen;
  cut = false;
  // Breadth first, so that the nearest replacements come first; the data
  // may well hold a cycle, which `seen` ends.
  std::vector<Update> queue;
  const auto visit = [&](const Update& update) {
    if (cut || seen.count(update.kb) != 0) return;
    if (chain.size() == most + 1) {
      cut = true;
      return;
    }
    seen.insert(update.kb);
    chain.push_back(update.kb);
    queue.push_back(update);
  };
  const auto visitAll = [&](const auto& index, const std::string& key) {
    const auto found = index.find({product, key});
    if (found == index.end()) return;
    for (const Update& later : found->second) {
      visit(later);
      if (cut) return;
    }
  };
  visit({UpperAscii(bulletinId), kb});
  std::set<std::string> bulletinsDone;
  for (std::size_t next = 0; next < queue.size() && !cut; ++next) {
    const Update update = queue[next];
    visitAll(byKb_, update.kb);
    if (bulletinsDone.insert(update.bulletinId).second) {
      visitAll(byBulletin_, update.bulletinId);
    }
  }
  return chain;
}
