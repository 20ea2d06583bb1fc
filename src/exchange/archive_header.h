// The header at the start of every volume of a backup archive ("*.SAV"),
// and the header of the older plain archives that are still restored.
//
// Current variant, 226 bytes, little-endian:
//   0  104  the first 104 bytes of the project file (its PROINFO)
//   104  2  volume number, 1 for the first diskette
//   106  2  continuation flag: 1 = the archive goes on in the next volume
//   108  4  project file length in KiB (bytes >> 10)
//   112 14  tag "Z+B-Sicherung" and its zero
//   126 100 folder of the project file, zero-terminated
//   226     literal stream of the run-length scheme
// Plain variant, 118 bytes: the 104-byte copy, 6 bytes not interpreted,
// volume (110), continuation (112), length in bytes (114, u32), then the
// project file's bytes as they stand.
#ifndef ZBDB_EXCHANGE_ARCHIVE_HEADER_H_
#define ZBDB_EXCHANGE_ARCHIVE_HEADER_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace zb::exchange {

constexpr size_t kArchiveHeaderSize = 226;
constexpr size_t kPlainArchiveHeaderSize = 118;
constexpr size_t kProjectHeaderCopySize = 104;
constexpr size_t kArchiveTagOffset = 112;
constexpr size_t kArchiveFolderSize = 100;
extern const char kArchiveTag[];  // "Z+B-Sicherung", 13 characters

enum class ArchiveVariant { kCurrent, kPlain };

struct ArchiveHeader {
  ArchiveVariant variant = ArchiveVariant::kCurrent;
  uint8_t project_header[kProjectHeaderCopySize] = {};
  uint16_t volume = 1;
  uint16_t continuation = 0;
  // Current variant: the project file length in KiB; plain: in bytes.
  uint32_t project_size = 0;
  std::string folder;  // current variant only, at most 99 characters
  // Where the volume's data begins: 226 or 118.
  size_t data_offset() const {
    return variant == ArchiveVariant::kCurrent ? kArchiveHeaderSize
                                               : kPlainArchiveHeaderSize;
  }
};

// The folder text of the header: `project_path` cut to 99 characters,
// trailing blanks removed, then cut behind its last separator (or, without
// one, behind its last ':'); `working_folder`, cut to 99, for a path with
// neither.
std::string ArchiveFolderText(const std::string& project_path,
                              const std::string& working_folder);

// The 226 bytes of a current-variant header (the variant field is not
// looked at; a longer folder is cut to 99 characters). Unused bytes of the
// folder field are zero.
void BuildArchiveHeader(const ArchiveHeader& header,
                        uint8_t out[kArchiveHeaderSize]);

// Reads a header of either variant from the first `length` bytes of a
// volume, telling them apart by the tag at offset 112. Returns kArchiveOk,
// or kArchiveBadHeader when the bytes are too few for the variant.
int ParseArchiveHeader(const uint8_t* bytes, size_t length,
                       ArchiveHeader* header);

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_ARCHIVE_HEADER_H_
