// The request records of the exports (ZBPROPOS of the plain and B
// families, ZBPROPOS_L of the _L and _LB ones): their Zero and Blank forms
// and the conversions between the two.
#ifndef ZBDB_API_REQUEST_RECORDS_H_
#define ZBDB_API_REQUEST_RECORDS_H_

#include "zbdb900_types.h"

namespace zb::api {

// Zero form: each field's last byte zero, trailing blanks turned into zeros.
void ZeroTerminateRequest(ZBPROPOS* record);
// Also clears szPosName: the long name is the one that counts.
void ZeroTerminateRequest(ZBPROPOS_L* record);

// Blank form: blanks from the end of each string up to the field's width.
void BlankPadRequest(ZBPROPOS* record);
void BlankPadRequest(ZBPROPOS_L* record);

// Copies every text field up to its first zero, the rest of it zero.
void CopyRequestFields(const ZBPROPOS& from, ZBPROPOS* to);
void CopyRequestFields(const ZBPROPOS_L& from, ZBPROPOS_L* to);

// The nine common fields at their equal offsets; the long name from the
// short one, and back by the short-name rule.
void RequestToLong(const ZBPROPOS& in, ZBPROPOS_L* out);
void RequestFromLong(const ZBPROPOS_L& in, ZBPROPOS* out);

}  // namespace zb::api

#endif  // ZBDB_API_REQUEST_RECORDS_H_
