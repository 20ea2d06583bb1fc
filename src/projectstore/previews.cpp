#include "projectstore/previews.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "environment/config_file.h"
#include "environment/library_context.h"
#include "platform/platform.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/project_names.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/engine.h"
#include "recordstore/record_format.h"

namespace zb::projectstore {
namespace {

using recordstore::Engine;
using recordstore::FieldText;

constexpr char kFolderPreviewFile[] = "ProjectPreview.ZBPRV";
constexpr int16_t kPreviewNoteKey1 = 30032;
constexpr int16_t kPreviewNoteKey2 = 1;
constexpr int16_t kPreviewNoteSize = 660;
constexpr size_t kNoteFolderAt = 4;
constexpr size_t kNotePathAt = 264;
constexpr size_t kNotePathWidth = 260;
constexpr uint16_t kHasPreviewsBit = 2;  // PROINFO u16 at offset 2
constexpr int32_t kBlobHeaderSize = 64;

bool ReadHeader(Engine& engine, int h, PROINFO* out) {
  return engine.ReadBin(h, 0, sizeof *out, out) >= 0;
}

std::string FolderOf(const std::string& path) {
  const size_t sep = path.find_last_of("\\/");
  return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

// The project's (30032, 1) record names its preview file: folder and path.
void NotePreviewFile(Store& store, const std::string& project_path,
                     const std::string& preview_path) {
  Engine& engine = store.engine();
  RecordFile project = RecordFile::OpenExclusive(engine, project_path);
  if (!project.is_open()) return;
  uint8_t note[kPreviewNoteSize] = {};
  engine.Read(project.handle(), kPreviewNoteKey1, kPreviewNoteKey2, 0,
              sizeof note, note);
  std::memset(note + kNoteFolderAt, 0, kNotePathWidth);
  std::memset(note + kNotePathAt, 0, kNotePathWidth);
  const std::string folder = FolderOf(preview_path);
  std::memcpy(note + kNoteFolderAt, folder.data(),
              std::min(folder.size(), kNotePathWidth - 1));
  std::memcpy(note + kNotePathAt, preview_path.data(),
              std::min(preview_path.size(), kNotePathWidth - 1));
  engine.WriteFar(project.handle(), kPreviewNoteKey1, kPreviewNoteKey2, 0,
                  sizeof note, note, true);
}

// The project file's header, with the has-previews bit set in the file
// when it was not.
bool MarkProjectHasPreviews(Store& store, const std::string& project_path,
                            PROINFO* header) {
  Engine& engine = store.engine();
  RecordFile project = RecordFile::OpenExclusive(engine, project_path);
  if (!project.is_open() || !ReadHeader(engine, project.handle(), header))
    return false;
  if ((header->number2 & kHasPreviewsBit) == 0) {
    header->number2 |= kHasPreviewsBit;
    engine.WriteBin(project.handle(), 0, sizeof *header, header);
  }
  return true;
}

// The project file a preview file belongs to.
std::string ProjectPathOfPreview(const std::string& preview_file) {
  const std::string folder = FolderOf(preview_file);
  if (preview_file.size() >= sizeof kFolderPreviewFile - 1 &&
      preview_file.compare(folder.size(), std::string::npos,
                           kFolderPreviewFile) == 0)
    return folder + kFolderProjectFile;
  return CompanionPath(preview_file, ".PRO");
}

}  // namespace

std::string PreviewPathOf(const std::string& project_file) {
  if (IsFolderProjectPath(project_file))
    return FolderOf(project_file) + kFolderPreviewFile;
  return CompanionPath(project_file,
                       environment::ConfigSettings::kPreviewExtension);
}

PreviewContext OpenPreviewContext(Store& store, ZBPROPOS_L* request) {
  PreviewContext context;
  const std::string project = FieldText(request->szProName);
  if (project.empty() ||
      FindProject(store, FieldText(request->szDataPfad), project, nullptr,
                  &context.project_path) < 0)
    return context;
  context.preview_path = PreviewPathOf(context.project_path);
  context.program = store.catalogue().NumberByKey(FieldText(request->szPrgName));
  RecordFile file = RecordFile::OpenReadOnly(store.engine(),
                                             context.project_path);
  if (!file.is_open()) return context;
  if (FindPosition(store, file.handle(), FieldText(request->szPosNameLong),
                   context.program, &context.info) < 0) {
    context.status = -5;
    return context;
  }
  context.status = 0;
  std::memcpy(request->szPosNameLong, context.info.PosNameLong,
              sizeof request->szPosNameLong);
  std::memcpy(request->szPosName, context.info.PosName,
              sizeof request->szPosName);
  return context;
}

int32_t CheckPreviewFile(Store& store, const PreviewContext& context) {
  if (!store.os().FileExists(context.preview_path)) return -2;
  Engine& engine = store.engine();
  PROINFO project{};
  PROINFO preview{};
  {
    RecordFile file = RecordFile::OpenReadOnly(engine, context.project_path);
    if (!file.is_open() || !ReadHeader(engine, file.handle(), &project))
      return -4;
  }
  RecordFile file = RecordFile::OpenReadOnly(engine, context.preview_path);
  if (!file.is_open() || !ReadHeader(engine, file.handle(), &preview))
    return -4;
  return project.number == preview.number ? 1 : -4;
}

int32_t CreatePreviewFile(Store& store, const std::string& project_path,
                          const std::string& preview_path) {
  Engine& engine = store.engine();
  environment::Log& log = store.log();
  log.Append("\n\t Preview-File :");
  log.Append(preview_path);
  PROINFO project{};
  if (!ReadProjectHeader(store, project_path, &project)) return -2;
  if (store.os().FileExists(preview_path)) {
    PROINFO preview{};
    RecordFile file = RecordFile::OpenReadOnly(engine, preview_path);
    if (file.is_open() && ReadHeader(engine, file.handle(), &preview) &&
        std::memcmp(preview.szProject, project.szProject, 4) != 0) {
      file.Close();
      log.Append("\n\t           wrong ProInfo! delete and re-open \n");
      log.Printf("\n\t          %20s %20s", "tProProInfo", "tPreviewProInfo");
      log.Printf("\n\t Projekt  %20s %20s",
                 FieldText(project.szProject).c_str(),
                 FieldText(preview.szProject).c_str());
      store.os().RemoveFile(preview_path);
    }
  }
  {
    RecordFile file = RecordFile::OpenExclusive(engine, preview_path);
    if (!file.is_open()) file = RecordFile::Open(engine, preview_path);
    if (!file.is_open() ||
        engine.WriteBin(file.handle(), 0, sizeof project, &project) < 0)
      return -2;
  }
  NotePreviewFile(store, project_path, preview_path);
  return 1;
}

int32_t SavePreview(Store& store, ZBPROPOS_L* request, const void* blob,
                    int32_t size) {
  const PreviewContext context = OpenPreviewContext(store, request);
  if (context.status != 0) return 0;
  const int32_t check = CheckPreviewFile(store, context);
  if (check != 1 && check != -2) return 0;
  Engine& engine = store.engine();
  // A new file is made by opening it; it is then held alone for the save.
  if (check == -2) RecordFile::Open(engine, context.preview_path);
  RecordFile file = RecordFile::OpenExclusive(engine, context.preview_path);
  if (!file.is_open()) return 0;
  const int h = file.handle();
  PROINFO header{};
  if (!ReadHeader(engine, h, &header) || header.number == 0) {
    if (!MarkProjectHasPreviews(store, context.project_path, &header))
      return 0;
    engine.WriteBin(h, 0, sizeof header, &header);
  }
  const int16_t id = static_cast<int16_t>(context.info.id);
  engine.Delete(h, id, context.program, 0);
  if (size < 0 || size >= kPreviewBufferSize || blob == nullptr) return 0;
  if (engine.Append(h, id, context.program, static_cast<int16_t>(size), blob) <=
      0)
    return 0;
  uint8_t descriptor[kPreviewDescriptorSize] = {};
  std::memcpy(descriptor + 2, context.info.PosNameLong,
              sizeof context.info.PosNameLong);
  engine.WriteFar(h, context.program, id, 0, sizeof descriptor, descriptor,
                  true);
  return 1;
}

int32_t LoadPreview(Store& store, ZBPROPOS_L* request, void* buffer,
                    int32_t n) {
  const PreviewContext context = OpenPreviewContext(store, request);
  if (context.status != 0) return context.status;
  const int32_t check = CheckPreviewFile(store, context);
  if (check != 1) return check;
  RecordFile file =
      RecordFile::OpenReadOnly(store.engine(), context.preview_path);
  if (!file.is_open()) return -2;
  return store.engine().Read(file.handle(),
                             static_cast<int16_t>(context.info.id),
                             context.program, 0, static_cast<int16_t>(n),
                             buffer);
}

int32_t DeletePreview(Store& store, const std::string& preview_file,
                      uint16_t id, int16_t program) {
  if (!store.os().FileExists(preview_file)) return 0;
  RecordFile file = RecordFile::OpenExclusive(store.engine(), preview_file);
  if (!file.is_open()) return 0;
  return store.engine().Delete(file.handle(), static_cast<int16_t>(id),
                               program, 0) > 0
             ? 1
             : 0;
}

int32_t CopyPreviewOfPosition(Store& store, const std::string& source_file,
                              uint16_t source_id,
                              const std::string& target_file,
                              uint16_t target_id, int16_t program) {
  Engine& engine = store.engine();
  if (!store.os().FileExists(source_file)) return 0;
  std::vector<uint8_t> blob(kPreviewBufferSize);
  int32_t size = 0;
  {
    RecordFile source = RecordFile::OpenReadOnly(engine, source_file);
    if (!source.is_open()) return 0;
    size = engine.Read(source.handle(), static_cast<int16_t>(source_id),
                       program, 0, kPreviewBufferSize, blob.data());
  }
  if (size <= 0) return 0;
  if (!store.os().FileExists(target_file) &&
      CreatePreviewFile(store, ProjectPathOfPreview(target_file),
                        target_file) != 1)
    return 0;
  RecordFile target = RecordFile::OpenExclusive(engine, target_file);
  if (!target.is_open()) return 0;
  return engine.Append(target.handle(), static_cast<int16_t>(target_id),
                       program, static_cast<int16_t>(size), blob.data()) > 0
             ? 1
             : 0;
}

PreviewPicture DecodePreview(const uint8_t* blob, int32_t size) {
  PreviewPicture picture;
  if (blob == nullptr || size <= kBlobHeaderSize) return picture;
  picture.state = 2;
  if (recordstore::LoadU32(blob) != 1) return picture;
  picture.state = 3;
  const uint32_t at = recordstore::LoadU32(blob + 4);
  const uint32_t packed = recordstore::LoadU32(blob + 8);
  const uint32_t unpacked = recordstore::LoadU32(blob + 12);
  if (static_cast<uint64_t>(size) < uint64_t{packed} + kBlobHeaderSize ||
      uint64_t{at} + packed > static_cast<uint64_t>(size) || unpacked == 0 ||
      unpacked > 64u * 1024 * 1024)
    return picture;
  for (int i = 0; i < 8; ++i)
    picture.extent[i] = recordstore::LoadU32(blob + 16 + 4 * i);
  picture.metafile.resize(unpacked);
  uLongf length = unpacked;
  if (uncompress(picture.metafile.data(), &length, blob + at, packed) !=
      Z_OK) {
    picture.metafile.clear();
    return picture;
  }
  picture.metafile.resize(length);
  picture.state = 0;
  return picture;
}

}  // namespace zb::projectstore
