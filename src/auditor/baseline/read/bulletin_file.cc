#include "auditor/baseline/read/bulletin_file.h"

#include <cstdint>

#include "auditor/baseline/read/bulletin_sheet.h"
#include "auditor/baseline/read/csv_sheet.h"
#include "auditor/baseline/read/read_failure.h"
#include "auditor/baseline/read/sha256.h"
#include "auditor/baseline/read/xlsx_workbook.h"
#include "auditor/files/file_access.h"

namespace {

// Microsoft's files are 2 MB (2017) and less; the bound keeps a wrong file
// from filling the memory.
const std::uint64_t kFileBound = std::uint64_t{256} << 20;

}  // namespace

bool ReadBulletinFile(const std::string& path, DateOrder dateOrder,
                      BulletinRowSink& sink, BulletinFileFacts& facts,
                      std::string& error) {
  std::string bytes;
  FileFacts fileFacts;
  DWORD systemError = 0;
  switch (ReadWholeFile(path, kFileBound, bytes, fileFacts, systemError)) {
    case ReadResult::kRead: break;
    case ReadResult::kFailed:
      error = "cannot be read: " + DescribeSystemError(systemError);
      return false;
    case ReadResult::kTooLarge:
      error = "larger than 256 MiB: no bulletin data";
      return false;
  }
  facts.sha256 = Sha256Hex(bytes);
  if (bytes.empty()) {
    error = "empty file: neither an .xlsx workbook nor a CSV";
    return false;
  }
  try {
    BulletinSheet sheet(sink, facts, dateOrder);
    const bool workbook = bytes.compare(0, 4, "PK\x03\x04", 4) == 0;
    do {
      if (workbook) {
        ReadFirstWorksheet(bytes, sheet);
      } else {
        ReadCsvSheet(bytes, sheet);
      }
    } while (sheet.EndOfSheet());
  } catch (const ReadFailure& failure) {
    error = failure.message;
    return false;
  }
  return true;
}
