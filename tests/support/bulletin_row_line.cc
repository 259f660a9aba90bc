#include "support/bulletin_row_line.h"

std::string BulletinRowLine(const BulletinRow& row) {
  std::string line =
      std::to_string(row.rowNumber) + "|" + std::to_string(row.datePosted);
  for (const std::string* text :
       {&row.bulletinId, &row.bulletinKb, &row.severity, &row.title,
        &row.product, &row.componentKb, &row.component}) {
    line += "|" + *text;
  }
  line += "|";
  for (const ReplacedUpdate& replaced : row.supersedes) {
    line += replaced.bulletin + "[" + replaced.kb + "]";
  }
  return line;
}
