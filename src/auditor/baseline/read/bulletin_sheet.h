// A sheet's rows taken for bulletin data: the first row that holds
// anything is the header, whose words tell the columns; every later row is
// a BulletinRow, or left out and counted when it cannot be read.
//
// A date written n/n/yyyy is read in the order --date-order gives, or else
// in the one the file's own rows show: the rows whose dates need it are
// held back while the sheet is read, their order is decided at its end,
// and the sheet is read once more for them alone.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_SHEET_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_SHEET_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "auditor/baseline/read/bulletin_rows.h"
#include "auditor/baseline/read/sheet_rows.h"

class BulletinSheet : public SheetRowSink {
 public:
  // `order`: the --date-order given, or kNotKnown.
  BulletinSheet(BulletinRowSink& rows, BulletinFileFacts& facts,
                DateOrder order);

  // Throws ReadFailure when the header lacks a column.
  void Row(std::int64_t number,
           const std::vector<std::string_view>& cells) override;
  // After each reading of the whole sheet: true when it is to be read once
  // more, for the rows held back. Throws ReadFailure when the sheet had no
  // header at all, or when its rows do not tell the order of their dates.
  bool EndOfSheet();

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
  enum class Pass {
    kEveryRow,      // the order is known
    kHoldingBack,   // the rows whose dates need the order are counted
    kRowsHeldBack,  // and now read, in the order their dates showed
  };
  // A date of the rows held back, and where it is.
  struct DateSeen {
    std::int64_t row = 0;
    std::string text;
  };
  // A row's Date Posted, with its readings as n/n/yyyy (ReadSlashDate),
  // taken once for every stage of the row.
  struct DateCell {
    std::string text;
    bool slashed = false;  // written n/n/yyyy
    int dayFirst = 0, monthFirst = 0;
    // n/n/yyyy and another day in the other order.
    bool NeedsOrder() const { return slashed && dayFirst != monthFirst; }
  };
  static const std::size_t kNone = static_cast<std::size_t>(-1);

  void ReadHeader(const std::vector<std::string_view>& cells);
  DateCell DateOf(const std::vector<std::string_view>& cells) const;
  void HoldBack(std::int64_t number, const DateCell& date);
  void DecideDateOrder();
  void ReadDataRow(std::int64_t number,
                   const std::vector<std::string_view>& cells,
                   const DateCell& date);
  // Empty when the row was read; else why not.
  std::string ReadRow(const std::vector<std::string_view>& cells,
                      const DateCell& date);
  std::string ReadDate(const DateCell& date);
  std::string Cell(const std::vector<std::string_view>& cells,
                   Column column) const;

  BulletinRowSink& rows_;
  BulletinFileFacts& facts_;
  DateOrder order_;
  Pass pass_;
  bool headerSeen_ = false;
  std::size_t columns_[kColumnsRead];
  BulletinRow row_;
  std::int64_t showDayFirst_ = 0, showMonthFirst_ = 0;
  DateSeen firstHeldBack_, firstDayFirst_, firstMonthFirst_;
};

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_BULLETIN_SHEET_H_
