#include "support/zip_writer.h"

#include <zlib.h>

namespace {

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::string RawDeflate(const std::string& bytes) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
               Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, bytes.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// The fields a local header and a directory entry share.
void PutCommon(std::string& out, const ZipWriterMember& member,
               std::uint32_t crc, std::size_t compressedSize) {
  Put16(out, 20);  // version needed
  Put16(out, 0);   // flags
  Put16(out, member.deflate ? 8 : 0);
  Put32(out, 0);  // time and date
  Put32(out, crc);
  Put32(out, static_cast<std::uint32_t>(compressedSize));
  Put32(out, static_cast<std::uint32_t>(
                 member.statedSize >= 0
                     ? member.statedSize
                     : static_cast<std::int64_t>(member.bytes.size())));
  Put16(out, static_cast<std::uint32_t>(member.name.size()));
  Put16(out, 0);  // extra field
}

}  // namespace

std::string MakeZip(const std::vector<ZipWriterMember>& members) {
  std::string archive, directory;
  for (const ZipWriterMember& member : members) {
    const std::string data =
        member.deflate ? RawDeflate(member.bytes) : member.bytes;
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(member.bytes.data()),
              static_cast<uInt>(member.bytes.size())));
    const std::uint32_t offset = static_cast<std::uint32_t>(archive.size());
    archive += "PK\x03\x04";
    PutCommon(archive, member, crc, data.size());
    archive += member.name + data;
    directory += "PK\x01\x02";
    Put16(directory, 20);  // made by
    PutCommon(directory, member, crc, data.size());
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, offset);
    directory += member.name;
  }
  const std::uint32_t directoryStart =
      static_cast<std::uint32_t>(archive.size());
  archive += directory;
  archive += "PK\x05\x06";
  Put32(archive, 0);  // disks
  Put16(archive, static_cast<std::uint32_t>(members.size()));
  Put16(archive, static_cast<std::uint32_t>(members.size()));
  Put32(archive, static_cast<std::uint32_t>(directory.size()));
  Put32(archive, directoryStart);
  Put16(archive, 0);  // comment
  return archive;
}
