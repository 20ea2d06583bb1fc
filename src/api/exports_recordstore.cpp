// The record-store exports: record engine, overwrite passes, handle stack,
// typed records, Zero form helpers and the data channel. They need no login
// and forward straight to the record store.
#include <cstring>

#include "api/library.h"
#include "api/request_records.h"
#include "recordstore/data_channel.h"
#include "recordstore/engine.h"
#include "recordstore/handle_stack.h"
#include "recordstore/overwrite_pass.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

using zb::recordstore::Engine;
namespace rs = zb::recordstore;
using zb::api::TheLibrary;

extern "C" {

// ---- Record engine --------------------------------------------------------
int32_t ZBAPI DBOpen(const char* path) {
  return TheLibrary().engine().Open(path);
}
int32_t ZBAPI DBOpenReadOnly(const char* path) {
  return TheLibrary().engine().OpenReadOnly(path);
}
int32_t ZBAPI DBOpenExcl(const char* path) {
  return TheLibrary().engine().OpenExclusive(path);
}
int32_t ZBAPI DBClose(int16_t h) { return TheLibrary().engine().Close(h); }
int32_t ZBAPI DBGetFileName(char* dest, int16_t h) {
  return TheLibrary().engine().GetFileName(dest, h);
}
int32_t ZBAPI DBGetFileHnd(const char* path) {
  return TheLibrary().engine().GetFileHandle(path);
}
uint32_t ZBAPI DBGetNumRecord(int16_t h) {
  return TheLibrary().engine().NumRecords(h);
}

int32_t ZBAPI DBRead(int16_t h, int16_t k1, int16_t k2, int32_t n,
                     int16_t size, void* buf) {
  return TheLibrary().engine().Read(
      h, k1, k2, n < 0 ? 0u : static_cast<uint32_t>(n), size, buf);
}
int32_t ZBAPI DBReadFar(int16_t h, int16_t k1, int16_t k2, uint32_t n,
                        int16_t size, void* buf) {
  return TheLibrary().engine().Read(h, k1, k2, n, size, buf);
}
int32_t ZBAPI DBReadNext(int16_t h, void* buf) {
  return TheLibrary().engine().ReadNext(h, buf);
}
int32_t ZBAPI DBReadRest(int16_t h, int16_t size, void* buf) {
  return TheLibrary().engine().ReadRest(h, size, buf);
}
int32_t ZBAPI DB4_Read(int16_t h, int16_t k1, int16_t k2, int16_t k3,
                       int16_t k4, int32_t n, int16_t size, void* buf) {
  return TheLibrary().engine().Read4(h, k1, k2, k3, k4, n, size, buf);
}
int32_t ZBAPI DBGetKeys(int16_t* k1, int16_t* k2) {
  return TheLibrary().engine().GetKeys(k1, k2);
}

int32_t ZBAPI DBWrite(int16_t h, int16_t k1, int16_t k2, int32_t n,
                      int16_t size, const void* data) {
  if (n == -1) return TheLibrary().engine().Append(h, k1, k2, size, data);
  return TheLibrary().engine().WriteFar(h, k1, k2, static_cast<uint32_t>(n),
                                        size, data, false);
}
int32_t ZBAPI DBWriteFar(int16_t h, int16_t k1, int16_t k2, uint32_t n,
                         int16_t size, const void* data) {
  return TheLibrary().engine().WriteFar(h, k1, k2, n, size, data, false);
}
int32_t ZBAPI DBWriteAdd(int16_t h, int16_t k1, int16_t k2, int32_t n,
                         int16_t size, const void* data) {
  if (n == -1) return TheLibrary().engine().Append(h, k1, k2, size, data);
  if (n < -1) return DB_EOF;
  return TheLibrary().engine().WriteFar(h, k1, k2, static_cast<uint32_t>(n),
                                        size, data, true);
}
int32_t ZBAPI DBWriteAddFar(int16_t h, int16_t k1, int16_t k2, uint32_t n,
                            int16_t size, const void* data) {
  return TheLibrary().engine().WriteFar(h, k1, k2, n, size, data, true);
}
int32_t ZBAPI DBWriteNext(int16_t h, const void* data) {
  return TheLibrary().engine().WriteNext(h, data);
}

int32_t ZBAPI DBDel(int16_t h, int16_t k1, int16_t k2, int32_t n) {
  return TheLibrary().engine().Delete(h, k1, k2, static_cast<uint32_t>(n));
}
int32_t ZBAPI DBDelFar(int16_t h, int16_t k1, int16_t k2, uint32_t n) {
  return TheLibrary().engine().Delete(h, k1, k2, n);
}
int32_t ZBAPI DBDelNext(int16_t h) {
  return TheLibrary().engine().DeleteNext(h);
}
int32_t ZBAPI DBUnDel(int16_t h, int16_t k1, int16_t k2, int32_t n) {
  return TheLibrary().engine().Undelete(h, k1, k2, static_cast<uint32_t>(n));
}
int32_t ZBAPI DBUnDelFar(int16_t h, int16_t k1, int16_t k2, uint32_t n) {
  return TheLibrary().engine().Undelete(h, k1, k2, n);
}
int32_t ZBAPI DBUnDelNext(int16_t h) {
  return TheLibrary().engine().UndeleteNext(h);
}
int32_t ZBAPI DBChangeKeys(int16_t h, int16_t k1, int16_t k2, int16_t newKey1,
                           int16_t newKey2) {
  return TheLibrary().engine().ChangeKeys(h, k1, k2, newKey1, newKey2);
}

int32_t ZBAPI DBReadBin(int16_t h, int32_t offset, int32_t length, void* buf) {
  return TheLibrary().engine().ReadBin(h, offset, length, buf);
}
int32_t ZBAPI DBWriteBin(int16_t h, int32_t offset, int32_t length,
                         const void* data) {
  return TheLibrary().engine().WriteBin(h, offset, length, data);
}

// ---- Overwrite passes and handle stack ------------------------------------
int32_t ZBAPI DBStartOverWrite(int16_t h, int16_t k1, int16_t k2) {
  return TheLibrary().overwrite_pass().Start(h, k1, k2);
}
int32_t ZBAPI DBOverWrite(int16_t h, int16_t k1, int16_t k2, int16_t size,
                          const void* data) {
  return TheLibrary().overwrite_pass().Write(h, k1, k2, size, data);
}
uint32_t ZBAPI DBEndOverWrite(void) {
  return TheLibrary().overwrite_pass().End();
}
int32_t ZBAPI DBPush(int16_t h) { return TheLibrary().handle_stack().Push(h); }
int32_t ZBAPI DBPop(int16_t h) { return TheLibrary().handle_stack().Pop(h); }

// ---- Typed records ----------------------------------------------------------
// Read: only a positive result is converted into the caller's record.
// Write: the record is converted into a zeroed buffer and written with
// DBWriteAdd, so the n-th record is overwritten or a new one appended.
}  // extern "C"

namespace {

// Records whose file and memory layouts agree, with their text fields.
template <typename T>
void CopyFields(const T& from, T* to);

template <>
void CopyFields(const POINT3D& from, POINT3D* to) { *to = from; }
template <>
void CopyFields(const WORLD3D& from, WORLD3D* to) { *to = from; }
template <>
void CopyFields(const PROINFO& from, PROINFO* to) {
  *to = from;
  rs::CopyTextField(to->szProject, from.szProject, sizeof to->szProject);
  rs::CopyTextField(to->szPrgShort, from.szPrgShort, sizeof to->szPrgShort);
  rs::CopyTextField(to->szAuthor, from.szAuthor, sizeof to->szAuthor);
  rs::CopyTextField(to->szShortText, from.szShortText, sizeof to->szShortText);
}
template <>
void CopyFields(const PROPOS& from, PROPOS* to) {
  *to = from;
  rs::CopyTextField(to->ProName, from.ProName, sizeof to->ProName);
  rs::CopyTextField(to->PosName, from.PosName, sizeof to->PosName);
}
template <>
void CopyFields(const DATDESC& from, DATDESC* to) {
  *to = from;
  rs::CopyTextField(to->text1, from.text1, sizeof to->text1);
  rs::CopyTextField(to->text2, from.text2, sizeof to->text2);
  rs::CopyTextField(to->unit1, from.unit1, sizeof to->unit1);
  rs::CopyTextField(to->unit2, from.unit2, sizeof to->unit2);
}
template <>
void CopyFields(const ZBPROPOS& from, ZBPROPOS* to) {
  *to = from;
  // Every field of the request record is text.
  static const struct { size_t offset, width; } kFields[] = {
      {0, 100},  {100, 100}, {200, 100}, {300, 6},  {306, 42},
      {348, 30}, {378, 10},  {388, 40},  {428, 42}};
  for (const auto& f : kFields)
    rs::CopyTextField(reinterpret_cast<char*>(to) + f.offset,
                      reinterpret_cast<const char*>(&from) + f.offset, f.width);
}

template <typename T>
int32_t ReadSameLayout(int16_t h, int16_t k1, int16_t k2, int32_t n,
                       T* record) {
  T work;
  std::memset(&work, 0, sizeof work);
  const int32_t result = DBRead(h, k1, k2, n, sizeof(T), &work);
  if (result > 0 && record) CopyFields(work, record);
  return result;
}

template <typename T>
int32_t WriteSameLayout(int16_t h, int16_t k1, int16_t k2, int32_t n,
                        const T* record) {
  T work;
  std::memset(&work, 0, sizeof work);
  if (record) CopyFields(*record, &work);
  return DBWriteAdd(h, k1, k2, n, sizeof(T), &work);
}

}  // namespace

extern "C" {

#define SAME_LAYOUT_PAIR(T)                                                \
  int32_t ZBAPI DBRead##T(int16_t h, int16_t k1, int16_t k2, int32_t n,    \
                          T* record) {                                     \
    return ReadSameLayout(h, k1, k2, n, record);                           \
  }                                                                        \
  int32_t ZBAPI DBWrite##T(int16_t h, int16_t k1, int16_t k2, int32_t n,   \
                           T* record) {                                    \
    return WriteSameLayout(h, k1, k2, n, record);                          \
  }
SAME_LAYOUT_PAIR(POINT3D)
SAME_LAYOUT_PAIR(WORLD3D)
SAME_LAYOUT_PAIR(PROINFO)
SAME_LAYOUT_PAIR(PROPOS)
SAME_LAYOUT_PAIR(DATDESC)
SAME_LAYOUT_PAIR(ZBPROPOS)
#undef SAME_LAYOUT_PAIR

int32_t ZBAPI DBReadPOSINFO(int16_t h, int16_t k1, int16_t k2, int32_t n,
                            POSINFO* record) {
  uint8_t file[rs::kPosInfoShortFileSize] = {};
  const int32_t result = DBRead(h, k1, k2, n, sizeof file, file);
  if (result > 0 && record) rs::PosInfoFromFile(file, record);
  return result;
}
int32_t ZBAPI DBWritePOSINFO(int16_t h, int16_t k1, int16_t k2, int32_t n,
                             POSINFO* record) {
  uint8_t file[rs::kPosInfoShortFileSize] = {};
  if (record) rs::PosInfoToFile(*record, file);
  return DBWriteAdd(h, k1, k2, n, sizeof file, file);
}
int32_t ZBAPI DBReadBUILDINFO(int16_t h, int16_t k1, int16_t k2, int32_t n,
                              BUILDINFO* record) {
  uint8_t file[rs::kBuildInfoFileSize] = {};
  const int32_t result = DBRead(h, k1, k2, n, sizeof file, file);
  if (result > 0 && record) rs::BuildInfoFromFile(file, record);
  return result;
}
int32_t ZBAPI DBWriteBUILDINFO(int16_t h, int16_t k1, int16_t k2, int32_t n,
                               BUILDINFO* record) {
  uint8_t file[rs::kBuildInfoFileSize] = {};
  if (record) rs::BuildInfoToFile(*record, file);
  return DBWriteAdd(h, k1, k2, n, sizeof file, file);
}

// ---- Zero form ----------------------------------------------------------------
int32_t ZBAPI ZeroTerminate(char* buf, int32_t width) {
  rs::ZeroTerminateField(buf, width);
  return 1;
}
int32_t ZBAPI ZeroTerminatePos(POSINFO* record) {
  if (record) rs::ZeroTerminatePosInfo(record);
  return 1;
}
int32_t ZBAPI ZeroTerminatePro(PROINFO* record) {
  if (record) rs::ZeroTerminateProInfo(record);
  return 1;
}
int32_t ZBAPI ZeroTerminateProPos(PROPOS* record) {
  if (record) rs::ZeroTerminateProPosTag(record);
  return 1;
}
int32_t ZBAPI ZeroTerminateZBProPos(ZBPROPOS* record) {
  if (record) zb::api::ZeroTerminateRequest(record);
  return 1;
}

// ---- Data channel ---------------------------------------------------------------
uint32_t ZBAPI OpenData(const char* path) {
  return TheLibrary().data_channel().Open(path);
}
int32_t ZBAPI GetData(void* buf, int32_t itemSize, int32_t count,
                      uint32_t stream) {
  return TheLibrary().data_channel().Get(buf, itemSize, count, stream);
}
int32_t ZBAPI PutData(const void* buf, int32_t itemSize, int32_t count,
                      uint32_t stream) {
  return TheLibrary().data_channel().Put(buf, itemSize, count, stream);
}
int32_t ZBAPI SetPosData(int32_t position, uint32_t stream) {
  return TheLibrary().data_channel().SetPosition(position, stream);
}
int32_t ZBAPI GetPosData(uint32_t stream) {
  return TheLibrary().data_channel().GetPosition(stream);
}
int32_t ZBAPI CloseData(uint32_t stream) {
  return TheLibrary().data_channel().Close(stream);
}
int32_t ZBAPI FlushData(int32_t count, void* buf) {
  if (buf && count > 0) std::memset(buf, 0, static_cast<size_t>(count));
  return 1;
}

}  // extern "C"
