#include "recordstore/typed_records.h"

#include <cstring>

namespace zb::recordstore {
namespace {

struct TextField {
  uint16_t offset;
  uint16_t width;
};

const TextField kPosInfoFields[] = {{6, 6}, {12, 40}, {52, 10}};
const TextField kPosInfoExtFields[] = {{6, 6},    {12, 40},  {52, 10},
                                       {144, 42}, {186, 42}};
const TextField kProInfoFields[] = {{4, 42}, {46, 6}, {52, 30}, {82, 10}};
const TextField kProPosFields[] = {{0, 42}, {44, 10}};
const TextField kRequestFields[] = {{0, 100},  {100, 100}, {200, 100},
                                    {300, 6},  {306, 42},  {348, 30},
                                    {378, 10}, {388, 40},  {428, 42}};
const TextField kLongRequestFields[] = {
    {0, 100}, {100, 100}, {200, 100}, {300, 6},  {306, 42},
    {348, 30}, {378, 10}, {388, 40},  {428, 42}, {470, 42}};

template <size_t N>
void ZeroTerminateAll(void* record, const TextField (&fields)[N]) {
  char* base = static_cast<char*>(record);
  for (const TextField& f : fields) ZeroTerminateField(base + f.offset, f.width);
}

template <size_t N>
void BlankPadAll(void* record, const TextField (&fields)[N]) {
  char* base = static_cast<char*>(record);
  for (const TextField& f : fields) BlankPadField(base + f.offset, f.width);
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
void ZeroTerminateRequest(ZBPROPOS* r) { ZeroTerminateAll(r, kRequestFields); }
void ZeroTerminateRequest(ZBPROPOS_L* r) {
  ZeroTerminateAll(r, kLongRequestFields);
  std::memset(r->szPosName, 0, sizeof r->szPosName);
}

void BlankPadPosInfo(POSINFO* r) { BlankPadAll(r, kPosInfoFields); }
void BlankPadPosInfoExt(PosInfoExt* r) { BlankPadAll(r, kPosInfoExtFields); }
void BlankPadProInfo(PROINFO* r) { BlankPadAll(r, kProInfoFields); }
void BlankPadProPosTag(PROPOS* r) { BlankPadAll(r, kProPosFields); }
void BlankPadRequest(ZBPROPOS* r) { BlankPadAll(r, kRequestFields); }
void BlankPadRequest(ZBPROPOS_L* r) { BlankPadAll(r, kLongRequestFields); }

template <size_t N>
void CopyFieldsOf(const void* from, void* to, const TextField (&fields)[N]) {
  for (const TextField& f : fields)
    CopyTextField(static_cast<char*>(to) + f.offset,
                  static_cast<const char*>(from) + f.offset, f.width);
}

void CopyRequestFields(const ZBPROPOS& from, ZBPROPOS* to) {
  CopyFieldsOf(&from, to, kRequestFields);
}
void CopyRequestFields(const ZBPROPOS_L& from, ZBPROPOS_L* to) {
  CopyFieldsOf(&from, to, kLongRequestFields);
}

void RequestToLong(const ZBPROPOS& in, ZBPROPOS_L* out) {
  std::memset(out, 0, sizeof *out);
  std::memcpy(out, &in, sizeof in);  // the nine fields lie at equal offsets
  CopyTextField(out->szPosNameLong, in.szPosName, sizeof in.szPosName);
}

void RequestFromLong(const ZBPROPOS_L& in, ZBPROPOS* out) {
  std::memset(out, 0, sizeof *out);
  std::memcpy(out->szDataPfad, in.szDataPfad, sizeof out->szDataPfad);
  std::memcpy(out->szTmpPfad, in.szTmpPfad, sizeof out->szTmpPfad);
  std::memcpy(out->szTmpDatei, in.szTmpDatei, sizeof out->szTmpDatei);
  std::memcpy(out->szPrgName, in.szPrgName, sizeof out->szPrgName);
  std::memcpy(out->szProName, in.szProName, sizeof out->szProName);
  std::memcpy(out->szAuthor, in.szAuthor, sizeof out->szAuthor);
  ShortNameFromLong(in.szPosNameLong, out->szPosName);
  std::memcpy(out->szMsg, in.szMsg, sizeof out->szMsg);
  std::memcpy(out->szProBezeichnung, in.szProBezeichnung,
              sizeof out->szProBezeichnung);
}

}  // namespace zb::recordstore
