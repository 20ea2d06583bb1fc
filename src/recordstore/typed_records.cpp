#include "recordstore/typed_records.h"

#include <cstring>

namespace zb::recordstore {
namespace {

const TextField kPosInfoFields[] = {{6, 6}, {12, 40}, {52, 10}};
const TextField kPosInfoExtFields[] = {{6, 6},    {12, 40},  {52, 10},
                                       {144, 42}, {186, 42}};
const TextField kProInfoFields[] = {{4, 42}, {46, 6}, {52, 30}, {82, 10}};
const TextField kProPosFields[] = {{0, 42}, {44, 10}};
template <size_t N>
void ZeroTerminateAll(void* record, const TextField (&fields)[N]) {
  ZeroTerminateFields(record, fields, N);
}

template <size_t N>
void BlankPadAll(void* record, const TextField (&fields)[N]) {
  BlankPadFields(record, fields, N);
}

// Fields of the short POSINFO: offset in the file, in memory, width.
struct Moved {
  uint16_t file;
  uint16_t memory;
  uint16_t width;
  bool text;
};
const Moved kPosInfoMoves[] = {
    {0, 0, 2, false},   {2, 2, 2, false},   {4, 4, 2, false},
    {6, 6, 6, true},    {12, 12, 40, true}, {52, 52, 10, true},
    {62, 64, 4, false}, {66, 68, 4, false}, {70, 72, 2, false},
    {72, 76, 4, false}, {76, 80, 4, false}, {80, 84, 36, false}};
const Moved kBuildInfoMoves[] = {
    {0, 0, 2, false}, {2, 2, 100, true}, {102, 104, 36, false}};

template <size_t N>
void ToMemory(const uint8_t* file, void* memory, const Moved (&moves)[N]) {
  uint8_t* out = static_cast<uint8_t*>(memory);
  for (const Moved& m : moves) {
    if (m.text)
      CopyTextField(reinterpret_cast<char*>(out + m.memory),
                    reinterpret_cast<const char*>(file + m.file), m.width);
    else
      std::memcpy(out + m.memory, file + m.file, m.width);
  }
}

template <size_t N>
void ToFile(const void* memory, uint8_t* file, const Moved (&moves)[N]) {
  const uint8_t* in = static_cast<const uint8_t*>(memory);
  for (const Moved& m : moves) {
    if (m.text)
      CopyTextField(reinterpret_cast<char*>(file + m.file),
                    reinterpret_cast<const char*>(in + m.memory), m.width);
    else
      std::memcpy(file + m.file, in + m.memory, m.width);
  }
}

}  // namespace

void CopyTextField(char* dest, const char* src, size_t width) {
  size_t len = 0;
  while (len < width && src[len] != '\0') ++len;
  std::memmove(dest, src, len);
  std::memset(dest + len, 0, width - len);
}

void PosInfoFromFile(const uint8_t file[kPosInfoShortFileSize], POSINFO* out) {
  std::memset(out, 0, sizeof *out);
  ToMemory(file, out, kPosInfoMoves);
}

void PosInfoToFile(const POSINFO& in, uint8_t file[kPosInfoShortFileSize]) {
  std::memset(file, 0, kPosInfoShortFileSize);
  ToFile(&in, file, kPosInfoMoves);
}

void BuildInfoFromFile(const uint8_t file[kBuildInfoFileSize], BUILDINFO* out) {
  std::memset(out, 0, sizeof *out);
  ToMemory(file, out, kBuildInfoMoves);
}

void BuildInfoToFile(const BUILDINFO& in, uint8_t file[kBuildInfoFileSize]) {
  std::memset(file, 0, kBuildInfoFileSize);
  ToFile(&in, file, kBuildInfoMoves);
}

void WidenPosInfo(const uint8_t short_form[kPosInfoShortFileSize],
                  PosInfoExt* out) {
  std::memset(out, 0, sizeof *out);
  std::memcpy(out, short_form, kPosInfoShortFileSize);
  out->id_copy = out->id;
  CopyTextField(out->PosNameLong, out->PosName, sizeof out->PosName);
}

void NarrowPosInfo(const PosInfoExt& in,
                   uint8_t short_form[kPosInfoShortFileSize]) {
  PosInfoExt copy = in;
  ShortNameFromLong(in.PosNameLong, copy.PosName);
  copy.id = in.id_copy;
  std::memcpy(short_form, &copy, kPosInfoShortFileSize);
}

void ShortNameFromLong(const char* long_name, char short_name[10]) {
  std::memset(short_name, 0, 10);
  size_t len = 0;
  while (len < 42 && long_name[len] != '\0') ++len;
  if (len >= 9) {
    std::memcpy(short_name, long_name, 7);
    short_name[7] = '~';
  } else {
    std::memcpy(short_name, long_name, len);
  }
}

void ZeroTerminateField(char* field, int32_t width) {
  if (!field || width < 1) return;
  field[width - 1] = '\0';
  for (int32_t i = width - 2; i >= 0 && field[i] == ' '; --i) field[i] = '\0';
}

void BlankPadField(char* field, int32_t width) {
  if (!field || width < 1) return;
  int32_t len = 0;
  while (len < width && field[len] != '\0') ++len;
  for (int32_t i = len; i < width; ++i) field[i] = ' ';
}

void ZeroTerminatePosInfo(POSINFO* r) { ZeroTerminateAll(r, kPosInfoFields); }
void ZeroTerminatePosInfoExt(PosInfoExt* r) {
  ZeroTerminateAll(r, kPosInfoExtFields);
}
void ZeroTerminateProInfo(PROINFO* r) { ZeroTerminateAll(r, kProInfoFields); }
void ZeroTerminateProPosTag(PROPOS* r) { ZeroTerminateAll(r, kProPosFields); }

void BlankPadPosInfo(POSINFO* r) { BlankPadAll(r, kPosInfoFields); }
void BlankPadPosInfoExt(PosInfoExt* r) { BlankPadAll(r, kPosInfoExtFields); }
void BlankPadProInfo(PROINFO* r) { BlankPadAll(r, kProInfoFields); }
void BlankPadProPosTag(PROPOS* r) { BlankPadAll(r, kProPosFields); }

void ZeroTerminateFields(void* record, const TextField* fields,
                         size_t count) {
  char* base = static_cast<char*>(record);
  for (size_t i = 0; i < count; ++i)
    ZeroTerminateField(base + fields[i].offset, fields[i].width);
}

void BlankPadFields(void* record, const TextField* fields, size_t count) {
  char* base = static_cast<char*>(record);
  for (size_t i = 0; i < count; ++i)
    BlankPadField(base + fields[i].offset, fields[i].width);
}

void CopyTextFields(const void* from, void* to, const TextField* fields,
                    size_t count) {
  for (size_t i = 0; i < count; ++i)
    CopyTextField(static_cast<char*>(to) + fields[i].offset,
                  static_cast<const char*>(from) + fields[i].offset,
                  fields[i].width);
}

}  // namespace zb::recordstore
