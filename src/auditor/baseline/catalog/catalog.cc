#include "auditor/baseline/catalog/catalog.h"

#include <algorithm>
#include <set>
#include <utility>

#include "auditor/baseline/catalog/level_rules.h"
#include "auditor/baseline/catalog/windows_levels.h"
#include "auditor/text/ascii.h"
#include "auditor/text/visible_text.h"
#include "auditor/vocabulary/baseline_text.h"

namespace {

// Far longer than any bulletin's ID; a longer one is no ID.
const std::size_t kLongestId = 40;
// KB numbers have up to seven digits; more is no KB.
const std::size_t kLongestKb = 9;

// An ID as the table reads one, of a bulletin's length.
bool IsBulletinId(const std::string& id) {
  return id.size() <= kLongestId && IsRequirementId(id);
}

// "958687" (or "KB958687") as its digits; empty for anything else.
std::string KbDigits(const std::string& text) {
  std::string digits = text;
  if (digits.size() > 2 && StartsWithNoCase(digits, "KB")) digits.erase(0, 2);
  if (digits.size() > kLongestKb || !IsDigits(digits)) return std::string();
  return digits;
}

// Whether the --component text `asked` takes the Affected Component
// `component`: it starts the name, and ends where a word of it ends, so
// that "Windows Media Format Runtime 9" is not "... 9.5" and "JScript 5"
// not "JScript 5.6".
bool TakesComponent(const std::string& asked, const std::string& component) {
  if (asked.empty() || !StartsWithNoCase(component, asked)) return false;
  return component.size() == asked.size() || IsBlank(component[asked.size()]) ||
         IsBlank(asked.back());
}

// Names as a person looks them up: letter case aside, then as written.
bool ComponentNameLess(const std::string& a, const std::string& b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return AsciiLower(a[i]) < AsciiLower(b[i]);
    }
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

LeftOut ReasonOf(ProductKind kind) {
  switch (kind) {
    case ProductKind::kItanium: return LeftOut::kItanium;
    case ProductKind::kEditionNotTold: return LeftOut::kEditionNotTold;
    case ProductKind::kLaterWindows: return LeftOut::kLaterWindows;
    case ProductKind::kWindows:
    case ProductKind::kOtherProduct: break;
  }
  return LeftOut::kOtherProduct;
}

// The supersedes items whose KB, if any, is a number.
std::vector<ReplacedUpdate> ReadableItems(
    const std::vector<ReplacedUpdate>& items) {
  std::vector<ReplacedUpdate> readable;
  for (const ReplacedUpdate& item : items) {
    if (item.bulletin.empty() && item.kb.empty()) continue;
    if (item.kb.empty()) {
      readable.push_back(item);
      continue;
    }
    const std::string kb = KbDigits(item.kb);
    if (!kb.empty()) readable.push_back({item.bulletin, kb});
  }
  return readable;
}

// "MS13-081-KB2862330": how a bulletin's requirement of one update is
// called (letter case aside, as the table compares IDs).
bool EndsLikeOneUpdate(const std::string& upperId) {
  const std::size_t kb = upperId.rfind("-KB");
  return kb != std::string::npos && kb + 3 < upperId.size() &&
         std::all_of(upperId.begin() + static_cast<std::ptrdiff_t>(kb) + 3,
                     upperId.end(), IsDigit);
}

}  // namespace

Catalog::Catalog(std::vector<std::string> components)
    : components_(std::move(components)) {}

void Catalog::BeginFile() { ++file_; }

void Catalog::Count(LeftOut reason) {
  ++figures_.rowsLeftOut[static_cast<std::size_t>(reason)];
}

bool Catalog::ComponentAsked(const std::string& component) const {
  for (const std::string& asked : components_) {
    if (TakesComponent(asked, component)) return true;
  }
  return false;
}

std::vector<std::vector<std::pair<std::string, std::int64_t>>>
Catalog::ComponentsTaken() const {
  std::vector<std::vector<std::pair<std::string, std::int64_t>>> taken(
      components_.size());
  for (const auto& component : componentRows_) {
    // The first --component that takes it, as ComponentAsked tells.
    for (std::size_t i = 0; i < components_.size(); ++i) {
      if (!TakesComponent(components_[i], component.first)) continue;
      taken[i].push_back(component);
      break;
    }
  }
  for (auto& names : taken) {
    std::sort(names.begin(), names.end(),
              [](const std::pair<std::string, std::int64_t>& a,
                 const std::pair<std::string, std::int64_t>& b) {
                return ComponentNameLess(a.first, b.first);
              });
  }
  return taken;
}

std::vector<std::string> Catalog::ComponentsTakingNothing() const {
  const auto taken = ComponentsTaken();
  std::vector<std::string> nothing;
  for (std::size_t i = 0; i < components_.size(); ++i) {
    if (taken[i].empty()) nothing.push_back(components_[i]);
  }
  return nothing;
}

Catalog::Bulletin& Catalog::BulletinOf(const BulletinRow& row,
                                       const std::string& upperId) {
  const auto found = bulletinIndex_.find(upperId);
  if (found != bulletinIndex_.end()) return bulletins_[found->second];
  bulletinIndex_.emplace(upperId, bulletins_.size());
  Bulletin bulletin;
  bulletin.id = row.bulletinId;
  bulletin.severity = row.severity;
  bulletin.title = row.title;
  bulletin.file = file_;
  bulletins_.push_back(std::move(bulletin));
  ++figures_.bulletinsRead;
  return bulletins_.back();
}

std::size_t Catalog::ProductIndex(const std::string& affectedProduct,
                                  const Product& product) {
  const auto found =
      productIndex_.emplace(ProductKey(affectedProduct), products_.size());
  if (found.second) products_.push_back(product);
  return found.first->second;
}

void Catalog::Add(const BulletinRow& row) {
  const std::string upperId = UpperAscii(row.bulletinId);
  const auto earlier = bulletinIndex_.find(upperId);
  if (earlier != bulletinIndex_.end() &&
      bulletins_[earlier->second].file < file_) {
    Count(LeftOut::kEarlierFile);
    return;
  }
  if (!IsBulletinId(row.bulletinId)) {
    Count(LeftOut::kBadBulletinId);
    return;
  }
  // Such an ID could be another bulletin's requirement of one of its
  // updates, and the table refuses an ID given twice.
  if (EndsLikeOneUpdate(upperId)) {
    Count(LeftOut::kIdOfOneUpdate);
    return;
  }
  Bulletin& bulletin = BulletinOf(row, upperId);
  NoteDate(row, bulletin);
  AddUpdate(row, bulletin);
}

void Catalog::NoteDate(const BulletinRow& row, Bulletin& bulletin) {
  if (row.datePosted <= 0) return;
  if (bulletin.date == 0 || row.datePosted < bulletin.date) {
    bulletin.date = row.datePosted;
  }
  if (row.datePosted > figures_.newestDate) {
    figures_.newestDate = row.datePosted;
    figures_.newestBulletin = row.bulletinId;
  }
}

void Catalog::AddUpdate(const BulletinRow& row, Bulletin& bulletin) {
  const Product product = ProductOf(row.product);
  const Levels levels{product.windows, product.lowest, product.highest};
  bulletin.levelsNamed = bulletin.levelsNamed || product.servicePackNamed;
  if (product.kind != ProductKind::kWindows) {
    if (product.windows != Windows::kUnknown) {
      bulletin.unjudged.push_back(levels);
    }
    Count(ReasonOf(product.kind));
    return;
  }
  // "Windows XP Service Pack 7": a level no report can show, which would
  // give the bulletin a requirement without rules.
  if (product.lowest > product.highest ||
      product.lowest > HighestLevel(product.windows)) {
    Count(LeftOut::kNoSuchLevel);
    return;
  }
  const std::size_t productIndex = ProductIndex(row.product, product);
  const std::string kb = KbDigits(row.componentKb);
  // A component's update replaces others on the product whether or not
  // its own rows are used.
  if (!kb.empty()) {
    replacements_.Add(productIndex, row.bulletinId, kb,
                      ReadableItems(row.supersedes));
  }
  if (!row.component.empty()) ++componentRows_[row.component];
  if (!row.component.empty() && !ComponentAsked(row.component)) {
    bulletin.unjudged.push_back(levels);
    Count(LeftOut::kComponent);
    return;
  }
  if (kb.empty()) {
    Count(LeftOut::kBadKb);
    return;
  }
  bulletin.updates.push_back({productIndex, kb, row.source});
  ++figures_.rowsUsed;
}

std::vector<LevelListing> Catalog::ListingsOf(const Bulletin& bulletin,
                                              Windows windows) const {
  const int highest = HighestLevel(windows);
  std::vector<LevelListing> listings(static_cast<std::size_t>(highest) + 1);
  for (const Update& update : bulletin.updates) {
    const Product& product = products_[update.product];
    if (product.windows != windows) continue;
    for (int level = product.lowest;
         level <= std::min(product.highest, highest); ++level) {
      listings[static_cast<std::size_t>(level)].named = true;
    }
  }
  for (const Levels& levels : bulletin.unjudged) {
    if (levels.windows != windows) continue;
    for (int level = levels.lowest; level <= std::min(levels.highest, highest);
         ++level) {
      listings[static_cast<std::size_t>(level)].unjudged = true;
    }
  }
  return listings;
}

std::string Catalog::SourceLines(const std::vector<const Update*>& updates) {
  std::vector<std::string> sources;
  for (const Update* update : updates) {
    if (update->source.empty() || std::find(sources.begin(), sources.end(),
                                            update->source) != sources.end()) {
      continue;
    }
    sources.push_back(update->source);
  }
  std::string lines;
  for (const std::string& source : sources) {
    lines += "# Source: " + Visible(source) + "\r\n";
  }
  return lines;
}

void Catalog::AddFixes(const Bulletin& bulletin,
                       const std::vector<const Update*>& updates,
                       Windows windows, std::vector<LevelListing>& listings,
                       std::int64_t& chainsCut) const {
  const int highest = HighestLevel(windows);
  // Each level's fixes once, in the order they come.
  std::vector<std::set<std::string>> listed(listings.size());
  for (const Update* update : updates) {
    const Product& product = products_[update->product];
    if (product.windows != windows) continue;
    bool cut = false;
    const std::vector<std::string> chain = replacements_.Chain(
        update->product, bulletin.id, update->kb, kMostReplacements, cut);
    for (int level = product.lowest;
         level <= std::min(product.highest, highest); ++level) {
      const auto at = static_cast<std::size_t>(level);
      for (const std::string& kb : chain) {
        if (listed[at].insert(kb).second) listings[at].fixes.push_back(kb);
      }
      if (cut) ++chainsCut;
    }
  }
}

std::string Catalog::RequirementText(
    const Bulletin& bulletin, const std::string* onlyKb,
    const std::vector<const Update*>& updates,
    const std::vector<std::vector<LevelListing>>& named,
    std::int64_t& chainsCut) const {
  std::string id = bulletin.id;
  if (onlyKb) id += "-KB" + *onlyKb;
  // "Critical: Vulnerability in ...", or the severity alone where the
  // data gives no title.
  const std::string severity = Visible(bulletin.severity);
  std::string title = Visible(bulletin.title);
  if (!severity.empty() && !title.empty()) title.insert(0, ": ");
  std::string text =
      SourceLines(updates) + RequirementLine(id, severity + title) + "\r\n";
  const std::vector<Windows>& windowsList = CatalogWindows();
  for (std::size_t i = 0; i < windowsList.size(); ++i) {
    std::vector<LevelListing> listings = named[i];
    AddFixes(bulletin, updates, windowsList[i], listings, chainsCut);
    const std::vector<LevelRule> rules = DecideLevels(
        windowsList[i], listings, bulletin.date, bulletin.levelsNamed);
    for (const std::string& line : RuleLines(windowsList[i], rules)) {
      text += line + "\r\n";
    }
  }
  return text + "\r\n";
}

std::string Catalog::RequirementsOf(const Bulletin& bulletin,
                                    CatalogFigures& figures) const {
  // Which levels the bulletin's rows name, for each Windows: the same for
  // each of its requirements.
  std::vector<std::vector<LevelListing>> named;
  for (Windows windows : CatalogWindows()) {
    named.push_back(ListingsOf(bulletin, windows));
  }
  // Several updates for one product: each is a requirement of its own,
  // so that a machine with some of them still misses the others.
  std::map<std::size_t, std::set<std::string>> kbsByProduct;
  std::map<std::string, std::vector<const Update*>> updatesByKb;
  std::vector<const Update*> all;
  bool several = false;
  for (const Update& update : bulletin.updates) {
    std::set<std::string>& ofProduct = kbsByProduct[update.product];
    ofProduct.insert(update.kb);
    several = several || ofProduct.size() > 1;
    updatesByKb[update.kb].push_back(&update);
    all.push_back(&update);
  }
  if (!several) {
    ++figures.requirements;
    return RequirementText(bulletin, nullptr, all, named, figures.chainsCut);
  }
  std::vector<std::string> ordered;
  ordered.reserve(updatesByKb.size());
  for (const auto& kb : updatesByKb) ordered.push_back(kb.first);
  std::sort(ordered.begin(), ordered.end(),
            [](const std::string& a, const std::string& b) {
              return a.size() != b.size() ? a.size() < b.size() : a < b;
            });
  std::string text;
  for (const std::string& kb : ordered) {
    ++figures.requirements;
    text += RequirementText(bulletin, &kb, updatesByKb[kb], named,
                            figures.chainsCut);
  }
  return text;
}

bool Catalog::Write(const std::vector<BulletinFileFacts>& files,
                    TextOutput& out, std::string& error) const {
  // Newest first, as Microsoft lists them.
  std::vector<const Bulletin*> used;
  for (const Bulletin& bulletin : bulletins_) {
    if (!bulletin.updates.empty()) used.push_back(&bulletin);
  }
  std::stable_sort(used.begin(), used.end(),
                   [](const Bulletin* a, const Bulletin* b) {
                     if (a->date != b->date) return a->date > b->date;
                     return UpperAscii(a->id) > UpperAscii(b->id);
                   });
  CatalogFigures figures = figures_;
  figures.bulletinsUsed = static_cast<std::int64_t>(used.size());
  figures.componentsTaken = ComponentsTaken();
  if (used.empty()) {
    std::int64_t rowsRead = 0;
    for (const BulletinFileFacts& file : files) rowsRead += file.rowsRead;
    error = "no row for Windows NT 4.0 to Server 2003 (rows read: " +
            std::to_string(rowsRead) + "): no requirement to write";
    return false;
  }
  std::string body;
  for (const Bulletin* bulletin : used) {
    body += RequirementsOf(*bulletin, figures);
    if (body.size() > kLargestBaseline) {
      error = "the baseline would be larger than " +
              std::to_string(kLargestBaseline >> 20) +
              " MiB, the most hotfixes-table reads";
      return false;
    }
  }
  out << CatalogHead(files, components_, figures) << body;
  return true;
}

void Catalog::WriteComponents(TextOutput& out) const {
  std::vector<std::pair<std::string, std::int64_t>> names(
      componentRows_.begin(), componentRows_.end());
  std::sort(names.begin(), names.end(),
            [](const std::pair<std::string, std::int64_t>& a,
               const std::pair<std::string, std::int64_t>& b) {
              return ComponentNameLess(a.first, b.first);
            });
  out << "# The Affected Components of the rows for Windows NT 4.0 to Server "
         "2003,\r\n# with their rows: give one to --component as written "
         "here.\r\n";
  std::string line;
  for (const auto& name : names) {
    line = std::to_string(name.second);
    if (line.size() < 6) line.insert(0, 6 - line.size(), ' ');
    line += "  " + Visible(name.first) + "\r\n";
    out << line;
  }
}
