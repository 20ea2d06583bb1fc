// Previews of positions: stored by the calculation programs, read back
// through the library context's preview buffer, shown in the viewer.
#include <cstring>
#include <string>
#include <vector>

#include "api/frame.h"
#include "api/library.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/ui.h"
#include "projectstore/previews.h"
#include "zbdb900.h"

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::api::Library;

constexpr int32_t kLargestPlainPreview = 32759;  // the plain form's limit

}  // namespace

int32_t ZBAPI ZB_SavePreview_L(ZBPROPOS_L* request, void* blob,
                               int32_t* size) {
  Library& lib = zb::api::TheLibrary();
  if (!request || !size) return 0;
  env::EnsureLoggedIn(lib.session());
  lib.context().help_path = env::HelpFilePath(lib.context());
  const int32_t result = ps::SavePreview(lib.store(), request, blob, *size);
  lib.log().Printf("Preview: return : %d", static_cast<int>(result));
  return result;
}

int32_t ZBAPI ZB_SavePreview(ZBPROPOS* request, void* blob, int32_t* size) {
  if (size && *size > kLargestPlainPreview) return -1;
  return zb::api::PlainFrame(zb::api::FrameOptions{}, request,
                             &ZB_SavePreview_L, blob, size);
}

int32_t ZBAPI ZB_SavePreviewB(ZBPROPOS* request, void* blob, int32_t* size) {
  return zb::api::BasicFrame(request, &ZB_SavePreview, blob, size);
}

int32_t ZBAPI ZB_SavePreview_LB(ZBPROPOS_L* request, void* blob,
                                int32_t* size) {
  return zb::api::BasicLongFrame(request, &ZB_SavePreview_L, blob, size);
}

int32_t ZBAPI ZB_GetPreview_Init(ZBPROPOS_L* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return 0;
  env::EnsureLoggedIn(lib.session());
  lib.log().Append("\n*** ZB_GetPreview_Init");
  env::LibraryContext& context = lib.context();
  context.preview_buffer.assign(ps::kPreviewBufferSize, 0);
  const int32_t size =
      ps::LoadPreview(lib.store(), request, context.preview_buffer.data(),
                      ps::kPreviewBufferSize);
  context.preview_size = size > 0 ? size : 0;
  return size;
}

int32_t ZBAPI ZB_GetPreview_InitB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_GetPreview_Init);
}

int32_t ZBAPI ZB_GetPreview_Buffer(void* buffer, int32_t size) {
  Library& lib = zb::api::TheLibrary();
  lib.log().Append("\n*** ZB_GetPreview_Buffer");
  env::LibraryContext& context = lib.context();
  // Too small a buffer gets nothing and keeps the preview for a next try.
  if (context.preview_size <= 0 || context.preview_size > size || !buffer)
    return size;
  std::memcpy(buffer, context.preview_buffer.data(), context.preview_size);
  const int32_t copied = context.preview_size;
  context.preview_size = 0;
  return copied;
}

int32_t ZBAPI ZB_GetPreview_BufferB(void* buffer, int32_t size) {
  return ZB_GetPreview_Buffer(buffer, size);
}

int32_t ZBAPI ZB_GetPreview(ZBPROPOS_L* request) {
  Library& lib = zb::api::TheLibrary();
  if (!request) return 0;
  env::EnsureLoggedIn(lib.session());
  std::vector<uint8_t> blob(ps::kPreviewBufferSize, 0);
  const int32_t size = ps::LoadPreview(lib.store(), request, blob.data(),
                                       ps::kPreviewBufferSize);
  ps::PreviewPicture picture = ps::DecodePreview(blob.data(), size);
  env::Ui::PreviewView view;
  view.title = zb::recordstore::FieldText(request->szPosNameLong);
  view.state = picture.state;
  view.metafile = std::move(picture.metafile);
  return lib.ui().ShowPreview(view);
}
