#include "versioninfo/version_info.h"

#include <cstring>
#include <vector>

#include "common/format.h"
#include "platform/platform.h"

namespace {

typedef std::vector<BYTE> VersionBlock;

// The file's whole version block; empty when the file has none or it could
// not be read. A block that was not filled is never handed on: its queries
// would answer from whatever the buffer happened to hold.
VersionBlock ReadVersionBlock(const std::string& filePath) {
  DWORD unused = 0;
  const DWORD size =
      platform::GetFileVersionInfoSizeA(filePath.c_str(), &unused);
  if (size == 0) return VersionBlock();
  VersionBlock block(size);
  if (!platform::GetFileVersionInfoA(filePath.c_str(), 0, size, block.data())) {
    return VersionBlock();
  }
  return block;
}

struct BlockItem {
  const char* data;
  UINT length;
};

// The item at `subBlock`; false when there is none or it is empty.
bool QueryItem(const VersionBlock& block, const std::string& subBlock,
               BlockItem& item) {
  LPVOID data = nullptr;
  UINT length = 0;
  if (!platform::VerQueryValueA(block.data(), subBlock.c_str(), &data,
                                &length) ||
      data == nullptr || length == 0) {
    return false;
  }
  item.data = static_cast<const char*>(data);
  item.length = length;
  return true;
}

std::string FourHexDigits(WORD number) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string digits(4, '0');
  for (int i = 3; i >= 0; --i, number = static_cast<WORD>(number >> 4)) {
    digits[static_cast<std::size_t>(i)] = kDigits[number & 0xF];
  }
  return digits;
}

// The key of the first translation, language then code page, such as
// "040904E4"; false when the block declares none. An item too short to
// hold one whole entry is taken as none rather than read past its end.
bool FirstTranslation(const VersionBlock& block, std::string& language,
                      std::string& codePage) {
  BlockItem item;
  if (!QueryItem(block, "\\VarFileInfo\\Translation", item) ||
      item.length < sizeof(DWORD)) {
    return false;
  }
  DWORD entry = 0;
  std::memcpy(&entry, item.data, sizeof entry);
  language = FourHexDigits(static_cast<WORD>(entry & 0xFFFF));
  codePage = FourHexDigits(static_cast<WORD>(entry >> 16));
  return true;
}

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// The text of a string item: up to its first NUL but never beyond the
// length it reports, without leading and trailing blanks and controls.
std::string TrimmedText(const BlockItem& item) {
  std::size_t end = 0;
  while (end < item.length && item.data[end] != '\0') ++end;
  std::size_t begin = 0;
  while (begin < end && IsBlankOrControl(item.data[begin])) ++begin;
  while (end > begin && IsBlankOrControl(item.data[end - 1])) --end;
  return std::string(item.data + begin, end - begin);
}

}  // namespace

void ReadVersionInfoString(const std::string& valueName,
                           const std::string& filePath, std::string& text) {
  const VersionBlock block = ReadVersionBlock(filePath);
  if (block.empty()) return;

  std::string language;
  std::string codePage;
  if (!FirstTranslation(block, language, codePage)) return;

  // The value name becomes part of the format: the names asked for carry
  // no percent sign.
  const std::string path = Format("\\StringFileInfo\\%0.4s%0.4s\\" + valueName,
                                  {language, codePage});
  BlockItem item;
  if (!QueryItem(block, path, item)) return;
  text = TrimmedText(item);
}
