// The members of a zip archive held in memory, as an .xlsx workbook is
// one. The project's own reader of the central directory: no packaged zip
// library builds for Linux and both Windows targets alike, and a workbook
// needs only stored and deflated members (zlib inflates those). A member's
// name is only ever compared with the names a workbook's parts have; it is
// never used as a path.
#ifndef HOTFIXES_AUDITOR_BASELINE_READ_ZIP_ARCHIVE_H_
#define HOTFIXES_AUDITOR_BASELINE_READ_ZIP_ARCHIVE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ZipMember {
  std::string name;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;  // 0 stored, 8 deflated
  std::uint32_t crc = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint64_t localHeaderOffset = 0;
};

class ZipArchive {
 public:
  // Beyond this a member is taken for a bomb, not for a worksheet.
  static const std::uint64_t kMemberBound = std::uint64_t{256} << 20;

  // Reads the central directory of `bytes`, which must outlive the
  // archive; throws ReadFailure when it is damaged or cut short, or names
  // a member twice (letter case aside, as a workbook's names compare).
  explicit ZipArchive(std::string_view bytes,
                      std::uint64_t memberBound = kMemberBound);

  // The member of that name; nullptr when there is none.
  const ZipMember* Find(std::string_view name) const;

  // Hands the member's bytes to `consume` piece by piece as they inflate,
  // so that a large part is never held whole; throws ReadFailure when the
  // member is damaged, its CRC is wrong, or it grows past the bound.
  void Stream(const ZipMember& member,
              const std::function<void(std::string_view)>& consume) const;

 private:
  std::string_view MemberData(const ZipMember& member) const;
  void RefuseNamesGivenTwice() const;

  std::string_view bytes_;
  std::uint64_t memberBound_;
  std::vector<ZipMember> members_;
};

#endif  // HOTFIXES_AUDITOR_BASELINE_READ_ZIP_ARCHIVE_H_
