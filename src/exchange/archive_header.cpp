#include "exchange/archive_header.h"

#include <algorithm>
#include <cstring>

#include "exchange/archive_result.h"
#include "fsutil/path_text.h"

namespace zb::exchange {

const char kArchiveTag[] = "Z+B-Sicherung";

namespace {

constexpr size_t kTagLength = sizeof kArchiveTag - 1;
constexpr size_t kFolderOffset = 126;
constexpr size_t kMaxFolderText = kArchiveFolderSize - 1;

void PutU16(uint8_t* at, uint16_t v) {
  at[0] = uint8_t(v);
  at[1] = uint8_t(v >> 8);
}
void PutU32(uint8_t* at, uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i));
}
uint16_t GetU16(const uint8_t* at) { return uint16_t(at[0] | (at[1] << 8)); }
uint32_t GetU32(const uint8_t* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 |
         uint32_t(at[3]) << 24;
}

}  // namespace

std::string ArchiveFolderText(const std::string& project_path,
                              const std::string& working_folder) {
  std::string path = project_path.substr(0, kMaxFolderText);
  while (!path.empty() && path.back() == ' ') path.pop_back();
  size_t cut = std::string::npos;
  for (size_t i = path.size(); i-- > 0;) {
    if (fsutil::IsSeparator(path[i])) {
      cut = i;
      break;
    }
  }
  if (cut == std::string::npos) cut = path.rfind(':');
  if (cut == std::string::npos) return working_folder.substr(0, kMaxFolderText);
  return path.substr(0, cut + 1);
}

void BuildArchiveHeader(const ArchiveHeader& header,
                        uint8_t out[kArchiveHeaderSize]) {
  std::memset(out, 0, kArchiveHeaderSize);
  std::memcpy(out, header.project_header, kProjectHeaderCopySize);
  PutU16(out + 104, header.volume);
  PutU16(out + 106, header.continuation);
  PutU32(out + 108, header.project_size);
  std::memcpy(out + kArchiveTagOffset, kArchiveTag, kTagLength);
  const size_t folder = std::min(header.folder.size(), kMaxFolderText);
  std::memcpy(out + kFolderOffset, header.folder.data(), folder);
}

int ParseArchiveHeader(const uint8_t* bytes, size_t length,
                       ArchiveHeader* header) {
  if (bytes == nullptr || header == nullptr) return kArchiveBadArgument;
  const bool tagged =
      length >= kArchiveTagOffset + kTagLength &&
      std::memcmp(bytes + kArchiveTagOffset, kArchiveTag, kTagLength) == 0;
  ArchiveHeader h;
  if (tagged) {
    if (length < kArchiveHeaderSize) return kArchiveBadHeader;
    h.variant = ArchiveVariant::kCurrent;
    h.volume = GetU16(bytes + 104);
    h.continuation = GetU16(bytes + 106);
    h.project_size = GetU32(bytes + 108);
    const char* folder = reinterpret_cast<const char*>(bytes + kFolderOffset);
    h.folder.assign(folder,
                    std::find(folder, folder + kArchiveFolderSize, '\0'));
  } else {
    if (length < kPlainArchiveHeaderSize) return kArchiveBadHeader;
    h.variant = ArchiveVariant::kPlain;
    h.volume = GetU16(bytes + 110);
    h.continuation = GetU16(bytes + 112);
    h.project_size = GetU32(bytes + 114);
  }
  std::memcpy(h.project_header, bytes, kProjectHeaderCopySize);
  *header = h;
  return kArchiveOk;
}

}  // namespace zb::exchange
