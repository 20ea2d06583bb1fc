// The plain, B and _LB families of the open and save calls. The plain
// save forms add the save journal's line for every positive result; the
// silent forms without a control word pass 1.
#include <cstring>

#include "api/frame.h"
#include "api/library.h"
#include "api/open_save.h"
#include "environment/library_context.h"
#include "zbdb900.h"

namespace {

using zb::api::Library;

namespace env = zb::environment;

// A positive result of a plain save leaves its line in the journal.
int32_t Journaled(Library& lib, const ZBPROPOS_L& request, int32_t result) {
  if (result > 0) lib.context().log.Journal(request, "W");
  return result;
}

int32_t ZBAPI JournaledSave(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return Journaled(lib, *request, ZB_Save_L(request));
}
int32_t ZBAPI JournaledSaveAs(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return Journaled(lib, *request, ZB_SaveAs_L(request));
}
int32_t ZBAPI JournaledSilentSave(ZBPROPOS_L* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return Journaled(lib, *request, ZB_SilentSave_L(request));
}
int32_t ZBAPI JournaledSilentSaveEx(ZBPROPOS_L* request, int16_t control) {
  zb::api::Library& lib = zb::api::TheLibrary();
  return Journaled(lib, *request, ZB_SilentSaveEx_L(request, control));
}
// The control word follows the plain entry's title block.
int32_t ZBAPI SilentOpenExWithControlLine(ZBPROPOS_L* request,
                                          int16_t control) {
  zb::api::Library& lib = zb::api::TheLibrary();
  lib.context().log.Printf("### Ctrl = %d", static_cast<int>(control));
  return ZB_SilentOpenEx_L(request, control);
}

zb::api::FrameOptions Titled(const char* title) {
  zb::api::FrameOptions options;
  options.entry_title = title;
  return options;
}

}  // namespace

using zb::api::BasicFrame;
using zb::api::BasicLongFrame;
using zb::api::FrameOptions;
using zb::api::PlainFrame;

extern "C" {

// ---- ZB_New
int32_t ZBAPI ZB_New(ZBPROPOS* request) {
  return PlainFrame(FrameOptions(), request, &ZB_New_L);
}
int32_t ZBAPI ZB_NewB(ZBPROPOS* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  zb::api::ResetProgressSignal(lib);
  return BasicFrame(request, &ZB_New);
}
int32_t ZBAPI ZB_New_LB(ZBPROPOS_L* request) {
  return BasicLongFrame(request, &ZB_New_L);
}

// ---- ZB_Open
int32_t ZBAPI ZB_Open(ZBPROPOS* request) {
  return PlainFrame(Titled("*** ZB_Open"), request, &ZB_Open_L);
}
int32_t ZBAPI ZB_OpenB(ZBPROPOS* request) {
  return BasicFrame(request, &ZB_Open);
}
int32_t ZBAPI ZB_Open_LB(ZBPROPOS_L* request) {
  return BasicLongFrame(request, &ZB_Open_L);
}

// ---- ZB_SilentOpen, ZB_SilentOpenEx
int32_t ZBAPI ZB_SilentOpen(ZBPROPOS* request) {
  return PlainFrame(Titled("*** ZB_SilentOpen"), request, &ZB_SilentOpen_L);
}
int32_t ZBAPI ZB_SilentOpenB(ZBPROPOS* request) {
  return ZB_SilentOpenExB(request, 1);
}
int32_t ZBAPI ZB_SilentOpen_LB(ZBPROPOS_L* request) {
  return BasicLongFrame(request, &ZB_SilentOpen_L);
}
int32_t ZBAPI ZB_SilentOpenEx(ZBPROPOS* request, int16_t control) {
  return PlainFrame(Titled("*** ZB_SilentOpenEx"), request,
                    &SilentOpenExWithControlLine, control);
}
int32_t ZBAPI ZB_SilentOpenExB(ZBPROPOS* request, int16_t control) {
  return BasicFrame(request, &ZB_SilentOpenEx, control);
}
int32_t ZBAPI ZB_SilentOpenEx_LB(ZBPROPOS_L* request, int16_t control) {
  return BasicLongFrame(request, &ZB_SilentOpenEx_L, control);
}

// ---- ZB_Save, ZB_SaveAs
int32_t ZBAPI ZB_Save(ZBPROPOS* request) {
  return PlainFrame(FrameOptions(), request, &JournaledSave);
}
int32_t ZBAPI ZB_SaveB(ZBPROPOS* request) {
  return BasicFrame(request, &ZB_Save);
}
int32_t ZBAPI ZB_Save_LB(ZBPROPOS_L* request) {
  return BasicLongFrame(request, &ZB_Save_L);
}
int32_t ZBAPI ZB_SaveAs(ZBPROPOS* request) {
  return PlainFrame(FrameOptions(), request, &JournaledSaveAs);
}
int32_t ZBAPI ZB_SaveAsB(ZBPROPOS* request) {
  return BasicFrame(request, &ZB_SaveAs);
}
int32_t ZBAPI ZB_SaveAs_LB(ZBPROPOS_L* request) {
  return BasicLongFrame(request, &ZB_SaveAs_L);
}

// ---- ZB_SilentSave, ZB_SilentSaveEx
int32_t ZBAPI ZB_SilentSave(ZBPROPOS* request) {
  return PlainFrame(FrameOptions(), request, &JournaledSilentSave);
}
int32_t ZBAPI ZB_SilentSaveB(ZBPROPOS* request) {
  return ZB_SilentSaveExB(request, 1);
}
int32_t ZBAPI ZB_SilentSave_LB(ZBPROPOS_L* request) {
  return BasicLongFrame(request, &ZB_SilentSave_L);
}
int32_t ZBAPI ZB_SilentSaveEx(ZBPROPOS* request, int16_t control) {
  return PlainFrame(FrameOptions(), request, &JournaledSilentSaveEx, control);
}
int32_t ZBAPI ZB_SilentSaveExB(ZBPROPOS* request, int16_t control) {
  return BasicFrame(request, &ZB_SilentSaveEx, control);
}
int32_t ZBAPI ZB_SilentSaveEx_LB(ZBPROPOS_L* request, int16_t control) {
  return BasicLongFrame(request, &ZB_SilentSaveEx_L, control);
}

// ---- ZB_ReadDBHistory
int32_t ZBAPI ZB_ReadDBHistory(ZBPROPOS* request) {
  zb::api::Library& lib = zb::api::TheLibrary();
  const int32_t result =
      PlainFrame(FrameOptions(), request, &ZB_ReadDBHistory_L);
  lib.context().log.Append("\n ReadDBHistory beendet");
  return result;
}
int32_t ZBAPI ZB_ReadDBHistoryB(ZBPROPOS* request) {
  return BasicFrame(request, &ZB_ReadDBHistory);
}
int32_t ZBAPI ZB_ReadDBHistory_LB(ZBPROPOS_L* request) {
  return BasicLongFrame(request, &ZB_ReadDBHistory_L);
}

}  // extern "C"
