// Previews: a small picture of a position that its calculation program
// stores and the explorer and the open dialogs show. They live in a
// companion record file of the project ("PRO00017.PRV" beside
// "PRO00017.PRO"; "ProjectPreview.ZBPRV" in a folder project), whose user
// header carries the project's PROINFO:
//   (id, P, 0)   the preview blob of position id of program P (< 32759 B)
//   (P, id, 0)   76-byte descriptor: the long name at offset 2
// A preview file whose header names another project number is neither
// read nor written. Every failure leaves position and project untouched.
#ifndef ZBDB_PROJECTSTORE_PREVIEWS_H_
#define ZBDB_PROJECTSTORE_PREVIEWS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "recordstore/typed_records.h"
#include "zbdb900_types.h"

namespace zb::projectstore {

class Store;

constexpr int32_t kPreviewBufferSize = 32759;  // a blob is smaller
constexpr int16_t kPreviewDescriptorSize = 76;

// The preview file of a project file.
std::string PreviewPathOf(const std::string& project_file);

// What a preview call needs of its request; status 0 when the position was
// found, -2 project missing or unreadable, -5 position missing.
struct PreviewContext {
  std::string project_path;
  std::string preview_path;
  int16_t program = 0;
  recordstore::PosInfoExt info{};
  int32_t status = -2;
};
// Finds project and position; sets the request's long and short names
// from the position.
PreviewContext OpenPreviewContext(Store& store, ZBPROPOS_L* request);

// 1 when the preview file belongs to the project, -2 missing, -4 another
// project's.
int32_t CheckPreviewFile(Store& store, const PreviewContext& context);

// Makes (or takes over) the project's preview file with the project's
// PROINFO in its header and notes it in the project's (30032, 1) record.
// 1, or -2 when it cannot be written.
int32_t CreatePreviewFile(Store& store, const std::string& project_path,
                          const std::string& preview_path);

// Stores the blob as the position's preview: 1 stored, 0 not (a blob of
// kPreviewBufferSize bytes or more stores nothing, after the old one went).
int32_t SavePreview(Store& store, ZBPROPOS_L* request, const void* blob,
                    int32_t size);
// The position's preview into buffer (at most n bytes): the bytes read, 0
// or negative when there is none.
int32_t LoadPreview(Store& store, ZBPROPOS_L* request, void* buffer,
                    int32_t n);
// Deletes the preview of position id of program P; 1 when one went.
int32_t DeletePreview(Store& store, const std::string& preview_file,
                      uint16_t id, int16_t program);
// The source position's blob as the target position's (the descriptor is
// not copied); the target file is made when missing. 1 copied, 0 none.
int32_t CopyPreviewOfPosition(Store& store, const std::string& source_file,
                              uint16_t source_id,
                              const std::string& target_file,
                              uint16_t target_id, int16_t program);

// A blob decoded for display: state 0 with the enhanced metafile's bytes;
// 1 no blob or under 65 bytes, 2 unknown format, 3 the picture does not
// decompress.
struct PreviewPicture {
  int state = 1;
  std::vector<uint8_t> metafile;
  uint32_t extent[8] = {};  // the two rectangles the viewer keeps
};
PreviewPicture DecodePreview(const uint8_t* blob, int32_t size);

}  // namespace zb::projectstore

#endif  // ZBDB_PROJECTSTORE_PREVIEWS_H_
