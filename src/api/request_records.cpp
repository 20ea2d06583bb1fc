#include "api/request_records.h"

#include <cstddef>
#include <cstring>

#include "recordstore/typed_records.h"

namespace zb::api {
namespace {

using recordstore::TextField;

static_assert(offsetof(ZBPROPOS_L, szPosNameLong) == 470, "long name");

const TextField kRequestFields[] = {{0, 100},  {100, 100}, {200, 100},
                                    {300, 6},  {306, 42},  {348, 30},
                                    {378, 10}, {388, 40},  {428, 42}};
const TextField kLongRequestFields[] = {
    {0, 100},  {100, 100}, {200, 100}, {300, 6},  {306, 42},
    {348, 30}, {378, 10},  {388, 40},  {428, 42}, {470, 42}};
constexpr size_t kShortCount = sizeof kRequestFields / sizeof kRequestFields[0];
constexpr size_t kLongCount =
    sizeof kLongRequestFields / sizeof kLongRequestFields[0];

}  // namespace

void ZeroTerminateRequest(ZBPROPOS* r) {
  recordstore::ZeroTerminateFields(r, kRequestFields, kShortCount);
}
void ZeroTerminateRequest(ZBPROPOS_L* r) {
  recordstore::ZeroTerminateFields(r, kLongRequestFields, kLongCount);
  std::memset(r->szPosName, 0, sizeof r->szPosName);
}

void BlankPadRequest(ZBPROPOS* r) {
  recordstore::BlankPadFields(r, kRequestFields, kShortCount);
}
void BlankPadRequest(ZBPROPOS_L* r) {
  recordstore::BlankPadFields(r, kLongRequestFields, kLongCount);
}

void CopyRequestFields(const ZBPROPOS& from, ZBPROPOS* to) {
  recordstore::CopyTextFields(&from, to, kRequestFields, kShortCount);
}
void CopyRequestFields(const ZBPROPOS_L& from, ZBPROPOS_L* to) {
  recordstore::CopyTextFields(&from, to, kLongRequestFields, kLongCount);
}

void RequestToLong(const ZBPROPOS& in, ZBPROPOS_L* out) {
  std::memset(out, 0, sizeof *out);
  std::memcpy(out, &in, sizeof in);  // the nine fields lie at equal offsets
  recordstore::CopyTextField(out->szPosNameLong, in.szPosName,
                             sizeof in.szPosName);
}

void RequestFromLong(const ZBPROPOS_L& in, ZBPROPOS* out) {
  std::memset(out, 0, sizeof *out);
  std::memcpy(out->szDataPfad, in.szDataPfad, sizeof out->szDataPfad);
  std::memcpy(out->szTmpPfad, in.szTmpPfad, sizeof out->szTmpPfad);
  std::memcpy(out->szTmpDatei, in.szTmpDatei, sizeof out->szTmpDatei);
  std::memcpy(out->szPrgName, in.szPrgName, sizeof out->szPrgName);
  std::memcpy(out->szProName, in.szProName, sizeof out->szProName);
  std::memcpy(out->szAuthor, in.szAuthor, sizeof out->szAuthor);
  recordstore::ShortNameFromLong(in.szPosNameLong, out->szPosName);
  std::memcpy(out->szMsg, in.szMsg, sizeof out->szMsg);
  std::memcpy(out->szProBezeichnung, in.szProBezeichnung,
              sizeof out->szProBezeichnung);
}

}  // namespace zb::api
