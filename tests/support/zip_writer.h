// Zip archives made in memory for the readers' tests: members stored or
// deflated, with what their central directory says left to the test.
#ifndef HOTFIXES_TESTS_SUPPORT_ZIP_WRITER_H_
#define HOTFIXES_TESTS_SUPPORT_ZIP_WRITER_H_

#include <cstdint>
#include <string>
#include <vector>

struct ZipWriterMember {
  std::string name;
  std::string bytes;
  bool deflate = true;
  // What the directory says the member inflates to; -1: its true size.
  std::int64_t statedSize = -1;
};

std::string MakeZip(const std::vector<ZipWriterMember>& members);

#endif  // HOTFIXES_TESTS_SUPPORT_ZIP_WRITER_H_
