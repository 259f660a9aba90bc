#include "auditor/baseline/read/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "auditor/baseline/read/read_failure.h"
#include "auditor/text/ascii.h"
#include "auditor/text/visible_text.h"

namespace {

const std::size_t kEndRecordSize = 22;
const std::size_t kDirectoryEntrySize = 46;
const std::size_t kLocalHeaderSize = 30;
const std::size_t kPieceSize = std::size_t{64} << 10;

[[noreturn]] void Damaged(const std::string& why) {
  throw ReadFailure{"damaged zip archive: " + why};
}

std::uint32_t Read16(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) |
         (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1]))
          << 8);
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
  return Read16(bytes, at) | (Read16(bytes, at + 2) << 16);
}

bool HasSignature(std::string_view bytes, std::size_t at, char third,
                  char fourth) {
  return at + 4 <= bytes.size() && bytes[at] == 'P' && bytes[at + 1] == 'K' &&
         bytes[at + 2] == third && bytes[at + 3] == fourth;
}

// Where the end-of-central-directory record lies: it ends the archive,
// followed only by a comment of up to 64 KiB.
std::size_t FindEndRecord(std::string_view bytes) {
  const char* const kNone = "no central directory (cut short?)";
  if (bytes.size() < kEndRecordSize) Damaged(kNone);
  const std::size_t last = bytes.size() - kEndRecordSize;
  const std::size_t first = last > 0xFFFF ? last - 0xFFFF : 0;
  for (std::size_t at = last + 1; at-- > first;) {
    if (HasSignature(bytes, at, 5, 6) &&
        at + kEndRecordSize + Read16(bytes, at + 20) == bytes.size()) {
      return at;
    }
  }
  Damaged(kNone);
}

std::string ShownName(const std::string& name) {
  return VisibleExcerpt(name, 80);
}

// Owns zlib's state for inflating one raw deflate stream.
class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&stream_, -MAX_WBITS) != Z_OK) {
      throw ReadFailure{"cannot start inflating: not enough memory"};
    }
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
};

}  // namespace

ZipArchive::ZipArchive(std::string_view bytes, std::uint64_t memberBound)
    : bytes_(bytes), memberBound_(memberBound) {
  const std::size_t end = FindEndRecord(bytes);
  const std::uint32_t count = Read16(bytes, end + 10);
  const std::uint32_t directorySize = Read32(bytes, end + 12);
  const std::uint32_t directoryStart = Read32(bytes, end + 16);
  if (Read16(bytes, end + 4) != 0 || Read16(bytes, end + 6) != 0) {
    Damaged("an archive split over several disks");
  }
  if (count == 0xFFFF || directoryStart == 0xFFFFFFFF) {
    throw ReadFailure{"a ZIP64 archive, which a workbook never needs"};
  }
  if (directoryStart > end || directorySize > end - directoryStart) {
    Damaged("its central directory lies outside the file");
  }
  std::size_t at = directoryStart;
  const std::size_t directoryEnd = directoryStart + directorySize;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (at + kDirectoryEntrySize > directoryEnd ||
        !HasSignature(bytes, at, 1, 2)) {
      Damaged("its central directory is cut short");
    }
    const std::size_t nameSize = Read16(bytes, at + 28);
    const std::size_t skipped =
        nameSize + Read16(bytes, at + 30) + Read16(bytes, at + 32);
    if (at + kDirectoryEntrySize + skipped > directoryEnd) {
      Damaged("its central directory is cut short");
    }
    ZipMember member;
    member.name.assign(bytes.data() + at + kDirectoryEntrySize, nameSize);
    member.flags = static_cast<std::uint16_t>(Read16(bytes, at + 8));
    member.method = static_cast<std::uint16_t>(Read16(bytes, at + 10));
    member.crc = Read32(bytes, at + 16);
    member.compressedSize = Read32(bytes, at + 20);
    member.size = Read32(bytes, at + 24);
    member.localHeaderOffset = Read32(bytes, at + 42);
    members_.push_back(std::move(member));
    at += kDirectoryEntrySize + skipped;
  }
  RefuseNamesGivenTwice();
}

void ZipArchive::RefuseNamesGivenTwice() const {
  // A workbook's part names compare without regard to letter case.
  std::vector<std::pair<std::string, std::size_t>> names;  // and the index
  names.reserve(members_.size());
  for (std::size_t i = 0; i < members_.size(); ++i) {
    names.emplace_back(LowerAscii(members_[i].name), i);
  }
  std::sort(names.begin(), names.end());
  for (std::size_t i = 1; i < names.size(); ++i) {
    if (names[i].first != names[i - 1].first) continue;
    const std::string& first = members_[names[i - 1].second].name;
    const std::string& second = members_[names[i].second].name;
    throw ReadFailure{
        "two members named " + ShownName(first) +
        (first == second ? std::string() : " and " + ShownName(second)) +
        ": readers of zip archives and workbooks differ on which one counts"};
  }
}

const ZipMember* ZipArchive::Find(std::string_view name) const {
  for (const ZipMember& member : members_) {
    if (member.name == name) return &member;
  }
  return nullptr;
}

std::string_view ZipArchive::MemberData(const ZipMember& member) const {
  const std::uint64_t at = member.localHeaderOffset;
  if (at > bytes_.size() || bytes_.size() - at < kLocalHeaderSize ||
      !HasSignature(bytes_, static_cast<std::size_t>(at), 3, 4)) {
    Damaged(ShownName(member.name) + " has no local header");
  }
  const std::size_t start = static_cast<std::size_t>(at) + kLocalHeaderSize +
                            Read16(bytes_, static_cast<std::size_t>(at) + 26) +
                            Read16(bytes_, static_cast<std::size_t>(at) + 28);
  if (start > bytes_.size() || bytes_.size() - start < member.compressedSize) {
    Damaged(ShownName(member.name) + " is cut short");
  }
  return bytes_.substr(start, static_cast<std::size_t>(member.compressedSize));
}

void ZipArchive::Stream(
    const ZipMember& member,
    const std::function<void(std::string_view)>& consume) const {
  const std::string shown = ShownName(member.name);
  if ((member.flags & 1) != 0) {
    throw ReadFailure{shown + " is encrypted"};
  }
  if (member.method != 0 && member.method != 8) {
    throw ReadFailure{shown + " is compressed by method " +
                      std::to_string(member.method) +
                      ", not stored or deflated"};
  }
  const std::string tooLarge = shown + " inflates to more than " +
                               std::to_string(memberBound_ >> 20) + " MiB";
  if (member.size > memberBound_) throw ReadFailure{tooLarge};
  const std::string_view data = MemberData(member);
  uLong crc = crc32(0, nullptr, 0);
  std::uint64_t total = 0;
  const auto hand = [&](const char* piece, std::size_t size) {
    total += size;
    if (total > memberBound_) throw ReadFailure{tooLarge};
    crc = crc32(crc, reinterpret_cast<const Bytef*>(piece),
                static_cast<uInt>(size));
    consume(std::string_view(piece, size));
  };
  if (member.method == 0) {
    for (std::size_t at = 0; at < data.size(); at += kPieceSize) {
      hand(data.data() + at, std::min(kPieceSize, data.size() - at));
    }
  } else {
    Inflater inflater;
    z_stream& stream = inflater.stream();
    // The archive's 32-bit sizes fit zlib's counts.
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    std::string piece(kPieceSize, '\0');
    int result = Z_OK;
    while (result != Z_STREAM_END) {
      stream.next_out = reinterpret_cast<Bytef*>(&piece[0]);
      stream.avail_out = static_cast<uInt>(piece.size());
      result = inflate(&stream, Z_NO_FLUSH);
      if (result != Z_OK && result != Z_STREAM_END) {
        Damaged(shown + (result == Z_BUF_ERROR ? " is cut short"
                                               : " holds damaged data"));
      }
      hand(piece.data(), piece.size() - stream.avail_out);
    }
  }
  if (total != member.size) {
    Damaged(shown + " is not the size its directory entry says");
  }
  if (crc != member.crc) Damaged(shown + " has a bad CRC");
}
