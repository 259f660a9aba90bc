#include "auditor/baseline/read/zip_archive.h"

#include <gtest/gtest.h>

#include <string>

#include "auditor/baseline/read/read_failure.h"
#include "support/zip_writer.h"

namespace {

// The member's bytes, or what is wrong.
std::string Inflate(const std::string& archive) {
  try {
    const ZipArchive zip(archive, std::uint64_t{1} << 20);
    const ZipMember* member = zip.Find("part.xml");
    if (member == nullptr) return "no member";
    std::string bytes;
    zip.Stream(*member, [&bytes](std::string_view piece) { bytes += piece; });
    return bytes;
  } catch (const ReadFailure& failure) {
    return "error: " + failure.message;
  }
}

TEST(ZipArchiveTest, MembersAndTheirDamage) {
  const std::string text(std::size_t{1} << 20, 'x');
  const std::string stored = MakeZip({{"part.xml", "stored text", false}});
  std::string badCrc = stored;
  badCrc[badCrc.find("stored text")] = 'S';
  // The directory says the deflated bytes end early.
  std::string cutShort = MakeZip({{"part.xml", text}});
  const std::size_t entry = cutShort.find("PK\x01\x02");
  cutShort.replace(entry + 20, 4, std::string("\x02\0\0\0", 4));
  std::string unknownMethod = stored;
  unknownMethod[8] = unknownMethod[stored.find("PK\x01\x02") + 10] = 14;
  struct Case {
    const char* name;
    std::string archive;
    std::string result;
  } cases[] = {
      {"stored", stored, "stored text"},
      {"deflated, at the bound", MakeZip({{"part.xml", text}}), text},
      {"its directory says less than it inflates to",
       MakeZip({{"part.xml", text + "y", true, 10}}),
       "error: part.xml inflates to more than 1 MiB"},
      {"its directory says more than the bound",
       MakeZip({{"part.xml", "small", true, (1 << 20) + 1}}),
       "error: part.xml inflates to more than 1 MiB"},
      {"cut short", cutShort,
       "error: damaged zip archive: part.xml is cut short"},
      {"bad CRC", badCrc, "error: damaged zip archive: part.xml has a bad CRC"},
      {"size differs", MakeZip({{"part.xml", "abc", true, 2}}),
       "error: damaged zip archive: part.xml is not the size its directory "
       "entry says"},
      {"compressed by another method", unknownMethod,
       "error: part.xml is compressed by method 14, not stored or deflated"},
      {"no archive", "PK\x03\x04 and no more",
       "error: damaged zip archive: no central directory (cut short?)"},
      // Readers differ on which one counts: the first, or the last.
      {"a name twice", MakeZip({{"part.xml", "one"}, {"part.xml", "two"}}),
       "error: two members named part.xml: readers of zip archives and "
       "workbooks differ on which one counts"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(Inflate(test.archive), test.result) << test.name;
  }
}

}  // namespace
