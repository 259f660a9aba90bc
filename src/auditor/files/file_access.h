// The table program's files and folders, through the platform layer.
#ifndef HOTFIXES_AUDITOR_FILES_FILE_ACCESS_H_
#define HOTFIXES_AUDITOR_FILES_FILE_ACCESS_H_

#include <cstdint>
#include <string>
#include <vector>

// OwnedFile and OwnedSearch, for the files and searches its callers open.
#include "platform/owned_handle.h"
#include "platform/platform.h"

// The file at `path` opened for reading, shared with whoever writes,
// replaces or deletes it meanwhile (the machine whose report it is may);
// none when it cannot be opened, the system's error number then in
// platform::GetLastError().
OwnedFile OpenToRead(const std::string& path);

enum class ReadResult { kRead, kFailed, kTooLarge };

// What the file system says of a file beside its content.
struct FileFacts {
  FILETIME lastWrite{};  // 0 when the system does not say
  std::string owner;     // the owning account, ANSI; empty when not known
};

// Reads the whole file into `bytes` (reusing its memory) with its facts; a
// file larger than `limit` bytes is not read, but its facts are known.
// `error` is the system's error number when the result is kFailed.
ReadResult ReadWholeFile(const std::string& path, std::uint64_t limit,
                         std::string& bytes, FileFacts& facts, DWORD& error);

enum class PathKind { kMissing, kFile, kFolder };
PathKind KindOfPath(const std::string& path, DWORD& error);

struct FolderEntry {
  std::string name;
  // A symbolic link or other reparse point: anyone who may write the
  // folder can point one at any file the reader may read.
  bool link = false;
};

// The files (not folders) directly in `folder`; false, with the system's
// error number, when it cannot be listed.
bool ListFilesIn(const std::string& folder, std::vector<FolderEntry>& entries,
                 DWORD& error);

// Where the name behind a path's last folder separator starts; 0 when it
// has none. On a double-byte code page a byte that looks like one but is
// the second byte of a character is none.
std::size_t NameStartIn(const std::string& path);

// `folder` and `name` joined into one path.
std::string PathInFolder(const std::string& folder, const std::string& name);

// A path as messages show it: in UTF-8, and no character of it may move or
// hide what standard error shows (a file's name is whoever wrote the
// share's).
std::string ShownPath(const std::string& path);

// The system's own words for an error number, in UTF-8, without the
// closing period and line break; "error N" when it has none.
std::string DescribeSystemError(DWORD error);

// The years a file time is taken for a report's: the file systems a share
// lies on date from 1980 (FAT) on; a time outside is a clock or a file
// that is wrong, not a collection's.
const int kFirstReportYear = 1980;
const int kLastReportYear = 2100;

// "YYYY-MM-DDTHH:MM:SSZ" of a time in the system's file-time form (UTC);
// empty for the time 0, which stands for a time not known, and for a time
// outside kFirstReportYear to kLastReportYear.
std::string FormatUtcTime(const FILETIME& time);

#endif  // HOTFIXES_AUDITOR_FILES_FILE_ACCESS_H_
