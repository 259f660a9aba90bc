// The catalog: bulletin rows turned into a baseline of requirements, one
// per bulletin (or per update where a Windows level needs several), with a
// rule for each Windows and service-pack level.
#ifndef HOTFIXES_BASELINE_CATALOG_CATALOG_H_
#define HOTFIXES_BASELINE_CATALOG_CATALOG_H_

#include <string>
#include <vector>

#include "baseline/read/bulletin_rows.h"
#include "files/text_output.h"

class Catalog : public BulletinRowSink {
 public:
  // `components`: the --component texts; a component's rows are used
  // only when one of them starts its Affected Component (letter case
  // ignored).
  explicit Catalog(std::vector<std::string> components);

  // Rows from here on come from the next file given; a bulletin that an
  // earlier file had is taken from that file only.
  void BeginFile();
  void Add(const BulletinRow& row) override;

  // The baseline, its head first, as UTF-8 lines ending in CR LF.
  void Write(const std::vector<BulletinFileFacts>& files,
             TextOutput& out) const;

 private:
  std::vector<std::string> components_;
};

#endif  // HOTFIXES_BASELINE_CATALOG_CATALOG_H_
