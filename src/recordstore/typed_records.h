// The typed records shared by the whole library: their file layouts, the
// conversions to the memory layouts of include/zbdb900_types.h, the Zero
// and Blank forms of their text fields, and the short-name rule.
#ifndef ZBDB_RECORDSTORE_TYPED_RECORDS_H_
#define ZBDB_RECORDSTORE_TYPED_RECORDS_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "zbdb900_types.h"

namespace zb::recordstore {

constexpr int16_t kBuildInfoFileSize = 138;
constexpr int16_t kPosInfoShortFileSize = 116;
constexpr int16_t kPosInfoExtFileSize = 248;

#pragma pack(push, 1)
// The extended position header, used by the project store in this layout
// only (248 bytes, no memory form).
struct PosInfoExt {
  uint16_t id;
  uint16_t Ctrl;
  int16_t DatVer;
  char PrgVer[6];
  char Msg[40];
  char PosName[10];
  uint32_t value1;
  uint32_t value2;
  int16_t Recs;
  uint32_t created;
  uint32_t saved;
  WORLD3D extra;
  // Page block: u16 start page, u16 page count, u32 print time, 18 bytes.
  uint16_t page_start;
  uint16_t page_count;
  uint32_t page_time;
  uint8_t page_reserved[18];
  uint16_t id_copy;
  char PosNameLong[42];
  char Designation[42];
  uint8_t zero[20];
};
#pragma pack(pop)
static_assert(sizeof(PosInfoExt) == 248, "PosInfoExt");
static_assert(offsetof(PosInfoExt, extra) == 80, "PosInfoExt.extra");
static_assert(offsetof(PosInfoExt, page_start) == 116, "page block");
static_assert(offsetof(PosInfoExt, id_copy) == 142, "id copy");
static_assert(offsetof(PosInfoExt, PosNameLong) == 144, "long name");
static_assert(offsetof(PosInfoExt, Designation) == 186, "designation");

// File layout <-> memory layout of the two records that differ.
void PosInfoFromFile(const uint8_t file[kPosInfoShortFileSize], POSINFO* out);
void PosInfoToFile(const POSINFO& in, uint8_t file[kPosInfoShortFileSize]);
void BuildInfoFromFile(const uint8_t file[kBuildInfoFileSize], BUILDINFO* out);
void BuildInfoToFile(const BUILDINFO& in, uint8_t file[kBuildInfoFileSize]);

// Extended <-> short file forms of POSINFO.
void WidenPosInfo(const uint8_t short_form[kPosInfoShortFileSize],
                  PosInfoExt* out);
void NarrowPosInfo(const PosInfoExt& in,
                   uint8_t short_form[kPosInfoShortFileSize]);

// The short-name rule: 9 or more characters become the first seven and
// "~"; a shorter name is taken as it is. The 10-byte field is cleared first.
void ShortNameFromLong(const char* long_name, char short_name[10]);

// Copies a text field over its full width: up to the first zero, the rest
// zero, without forcing a terminator.
void CopyTextField(char* dest, const char* src, size_t width);

// The text of a fixed-width field: up to its first zero, or all of it.
inline std::string FieldText(const char* field, size_t width) {
  return std::string(field, strnlen(field, width));
}
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}
// Puts text into a fixed-width field as a C string: at most N - 1
// characters, the rest zero.
template <size_t N>
void SetFieldText(char (&field)[N], const std::string& text) {
  const size_t n = text.size() < N - 1 ? text.size() : N - 1;
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

// Zero form: the last byte zero, trailing blanks turned into zeros.
void ZeroTerminateField(char* field, int32_t width);
// Blank form: blanks from the end of the string up to the full width.
void BlankPadField(char* field, int32_t width);

void ZeroTerminatePosInfo(POSINFO* record);
void ZeroTerminatePosInfoExt(PosInfoExt* record);
void ZeroTerminateProInfo(PROINFO* record);
void ZeroTerminateProPosTag(PROPOS* record);

void BlankPadPosInfo(POSINFO* record);
void BlankPadPosInfoExt(PosInfoExt* record);
void BlankPadProInfo(PROINFO* record);
void BlankPadProPosTag(PROPOS* record);

// The text fields of a record (offset and width), for the forms above
// applied field by field.
struct TextField {
  uint16_t offset;
  uint16_t width;
};
void ZeroTerminateFields(void* record, const TextField* fields, size_t count);
void BlankPadFields(void* record, const TextField* fields, size_t count);
// Each field copied up to its first zero, the rest of it zero.
void CopyTextFields(const void* from, void* to, const TextField* fields,
                    size_t count);

}  // namespace zb::recordstore

#endif  // ZBDB_RECORDSTORE_TYPED_RECORDS_H_
