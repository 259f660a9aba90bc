// A sheet's rows taken for bulletin data: the first row that holds
// anything is the header, whose words tell the columns; every later row is
// a BulletinRow, or left out and counted when it cannot be read.
#ifndef HOTFIXES_BASELINE_READ_BULLETIN_SHEET_H_
#define HOTFIXES_BASELINE_READ_BULLETIN_SHEET_H_

#include <cstddef>
#include <string>
#include <vector>

#include "baseline/read/bulletin_rows.h"
#include "baseline/read/sheet_rows.h"

class BulletinSheet : public SheetRowSink {
 public:
  BulletinSheet(BulletinRowSink& rows, BulletinFileFacts& facts);

  // Throws ReadFailure when the header lacks a column.
  void Row(std::int64_t number, const std::vector<std::string>& cells) override;
  // Throws ReadFailure when the sheet had no header at all.
  void Finish() const;

 private:
  enum Column {
    kDatePosted,
    kBulletinId,
    kBulletinKb,
    kSeverity,
    kTitle,
    kProduct,
    kComponentKb,
    kComponent,
    kSupersedes,
    kColumnCount,
    kSource = kColumnCount,  // optional: the project's own files have it
    kColumnsRead
  };
  static const std::size_t kNone = static_cast<std::size_t>(-1);

  void ReadHeader(const std::vector<std::string>& cells);
  // Empty when the row was read; else why not.
  std::string ReadRow(const std::vector<std::string>& cells);
  std::string Cell(const std::vector<std::string>& cells, Column column) const;

  BulletinRowSink& rows_;
  BulletinFileFacts& facts_;
  bool headerSeen_ = false;
  std::size_t columns_[kColumnsRead];
  BulletinRow row_;
};

#endif  // HOTFIXES_BASELINE_READ_BULLETIN_SHEET_H_
