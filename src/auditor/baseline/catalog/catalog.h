// The catalog: bulletin rows turned into a baseline of requirements, one
// per bulletin (or per update where a Windows level needs several), with a
// rule for each Windows and service-pack level.
#ifndef HOTFIXES_AUDITOR_BASELINE_CATALOG_CATALOG_H_
#define HOTFIXES_AUDITOR_BASELINE_CATALOG_CATALOG_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "auditor/baseline/catalog/catalog_head.h"
#include "auditor/baseline/catalog/level_rules.h"
#include "auditor/baseline/catalog/replacements.h"
#include "auditor/baseline/catalog/windows_products.h"
#include "auditor/baseline/read/bulletin_rows.h"
#include "auditor/files/text_output.h"

class Catalog : public BulletinRowSink {
 public:
  // `components`: the --component texts; a component's rows are used
  // only when one of them starts its Affected Component up to a word's end
  // (letter case ignored): "Windows Media Format Runtime 9" takes "Windows
  // Media Format Runtime 9", not "... 9.5".
  explicit Catalog(std::vector<std::string> components);

  // Rows from here on come from the next file given; a bulletin that an
  // earlier file had is taken from that file only.
  void BeginFile();
  void Add(const BulletinRow& row) override;

  // The baseline, its head first, as UTF-8 lines ending in CR LF. False,
  // with nothing written and `error` saying why in one line, when it is
  // none that hotfixes-table reads: no requirement, or larger than the
  // table's bound for a baseline.
  bool Write(const std::vector<BulletinFileFacts>& files, TextOutput& out,
             std::string& error) const;
  // Every Affected Component of the rows for a Windows the catalog judges,
  // with its rows, for choosing a --component: lines ending in CR LF.
  void WriteComponents(TextOutput& out) const;
  // The --component texts that took no row.
  std::vector<std::string> ComponentsTakingNothing() const;

 private:
  // One update a bulletin's rows in use name for one product.
  struct Update {
    std::size_t product;  // into products_
    std::string kb;       // digits
    std::string source;   // the row's Source; may be empty
  };
  // The levels of one Windows a row left out names.
  struct Levels {
    Windows windows;
    int lowest;
    int highest;
  };
  struct Bulletin {
    std::string id;  // as its first row writes it
    std::string severity;
    std::string title;
    int date = 0;  // the earliest of its rows
    int file = 0;
    std::vector<Update> updates;
    std::vector<Levels> unjudged;
    bool levelsNamed = false;  // a row names a Windows' service pack
  };

  bool ComponentAsked(const std::string& component) const;
  // For each --component, the Affected Components it took and their rows.
  std::vector<std::vector<std::pair<std::string, std::int64_t>>>
  ComponentsTaken() const;
  Bulletin& BulletinOf(const BulletinRow& row, const std::string& upperId);
  std::size_t ProductIndex(const std::string& affectedProduct,
                           const Product& product);
  void Count(LeftOut reason);
  void NoteDate(const BulletinRow& row, Bulletin& bulletin);
  // The row's update for its product, or why it is left out.
  void AddUpdate(const BulletinRow& row, Bulletin& bulletin);
  // The requirements of one bulletin, as baseline text; counts them.
  std::string RequirementsOf(const Bulletin& bulletin,
                             CatalogFigures& figures) const;
  // `onlyKb`: the one update the requirement is for, `updates` its rows;
  // null: all of the bulletin's. `named`: ListingsOf() of each
  // CatalogWindows().
  std::string RequirementText(
      const Bulletin& bulletin, const std::string* onlyKb,
      const std::vector<const Update*>& updates,
      const std::vector<std::vector<LevelListing>>& named,
      std::int64_t& chainsCut) const;
  // Comment lines naming the sources of a requirement's rows.
  static std::string SourceLines(const std::vector<const Update*>& updates);
  // Which levels of `windows` the bulletin's rows name, without fixes.
  std::vector<LevelListing> ListingsOf(const Bulletin& bulletin,
                                       Windows windows) const;
  // The fixes of `updates` and those that replace them, added to the
  // levels of `windows` each names.
  void AddFixes(const Bulletin& bulletin,
                const std::vector<const Update*>& updates, Windows windows,
                std::vector<LevelListing>& listings,
                std::int64_t& chainsCut) const;

  std::vector<std::string> components_;
  int file_ = 0;
  std::vector<Bulletin> bulletins_;
  std::map<std::string, std::size_t> bulletinIndex_;  // by upper-case ID
  std::vector<Product> products_;
  std::map<std::string, std::size_t> productIndex_;  // by ProductKey()
  Replacements replacements_;
  CatalogFigures figures_;
  // The rows of each Affected Component of a Windows the catalog judges,
  // asked for or not.
  std::map<std::string, std::int64_t> componentRows_;
};

#endif  // HOTFIXES_AUDITOR_BASELINE_CATALOG_CATALOG_H_
