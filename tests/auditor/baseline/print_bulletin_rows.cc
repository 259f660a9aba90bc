// The rows the read stage hands on, one line each, and what it counted:
// the end-to-end tests compare what it reads from a workbook with what it
// reads from the CSV the workbook was made from.
//
//   print_bulletin_rows FILE
#include <cstdio>
#include <string>

#include "auditor/baseline/read/bulletin_file.h"
#include "auditor/text/visible_text.h"
#include "support/bulletin_row_line.h"

namespace {

// Each row's line with its hidden characters shown: the texts are UTF-8
// read whole and the line joins them with ASCII, so this shows each text
// as Visible() does.
class PrintingSink : public BulletinRowSink {
 public:
  void Add(const BulletinRow& row) override {
    std::printf("%s\n", Visible(BulletinRowLine(row)).c_str());
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: print_bulletin_rows FILE\n");
    return 2;
  }
  PrintingSink sink;
  BulletinFileFacts facts;
  std::string error;
  if (!ReadBulletinFile(argv[1], DateOrder::kNotKnown, sink, facts, error)) {
    std::printf("error: %s\n", error.c_str());
    return 1;
  }
  std::printf("rows read: %lld\n", static_cast<long long>(facts.rowsRead));
  for (const auto& bad : facts.badRows) {
    std::printf("row %lld left out: %s\n", static_cast<long long>(bad.first),
                bad.second.c_str());
  }
  return 0;
}
