// The frame of every interface export: the plain, B and _LB families as
// thin wrappers around the one implementation of an operation, its _L
// form. Written once here, instantiated per export.
//
//  plain:  the caller's ZBPROPOS is brought into Zero form in place, the
//          library logs in when it has not yet, the entry line is logged,
//          a ZBPROPOS_L is built (szPosNameLong = szPosName), the _L form
//          runs, and the record goes back (szPosName by the short-name
//          rule from the long name).
//  B:      for Basic callers: Blank form in, Zero form to the plain export,
//          Blank form out; the result is -1 when nothing could run.
//  _LB:    the same around the _L form with the long record.
#ifndef ZBDB_API_FRAME_H_
#define ZBDB_API_FRAME_H_

#include <cstring>

#include "api/library.h"
#include "api/request_records.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace zb::api {

// What sets one export's frame apart from the others.
struct FrameOptions {
  bool login = true;               // the page number calls skip the login
  const char* entry_line = nullptr;  // logged as it is, before anything else
  // Logged as a title block (dashed frame with the time) instead; the open
  // and cleaning calls announce themselves so.
  const char* entry_title = nullptr;
  bool clear_before = false;       // pure output calls clear the record first
  bool write_back = true;          // the template calls leave it alone
  bool copy_context_short_name = false;  // the existence tests
};

inline void EnterFrame(const FrameOptions& options) {
  Library& lib = TheLibrary();
  if (options.login) environment::EnsureLoggedIn(lib.session());
  if (options.entry_title) lib.log().Title(options.entry_title);
  if (options.entry_line) lib.log().Append(options.entry_line);
}

template <typename... Args>
int32_t PlainFrame(const FrameOptions& options, ZBPROPOS* caller,
                   int32_t(ZBAPI* implementation)(ZBPROPOS_L*, Args...),
                   Args... args) {
  if (!caller) return -1;
  zb::api::ZeroTerminateRequest(caller);
  EnterFrame(options);
  if (options.clear_before) std::memset(caller, 0, sizeof *caller);
  ZBPROPOS_L request;
  zb::api::RequestToLong(*caller, &request);
  const int32_t result = implementation(&request, args...);
  if (options.write_back) zb::api::RequestFromLong(request, caller);
  if (options.copy_context_short_name)
    std::memcpy(caller->szPosName, TheLibrary().context().current_short_name,
                sizeof caller->szPosName);
  return result;
}

// The plain frame of the exports that take a source and a target request
// (copy, move, rename): both go through the steps of PlainFrame.
inline int32_t PlainPairFrame(const FrameOptions& options, ZBPROPOS* source,
                              ZBPROPOS* target,
                              int32_t(ZBAPI* implementation)(ZBPROPOS_L*,
                                                             ZBPROPOS_L*)) {
  if (!source || !target) return -1;
  zb::api::ZeroTerminateRequest(source);
  zb::api::ZeroTerminateRequest(target);
  EnterFrame(options);
  ZBPROPOS_L source_long;
  ZBPROPOS_L target_long;
  zb::api::RequestToLong(*source, &source_long);
  zb::api::RequestToLong(*target, &target_long);
  const int32_t result = implementation(&source_long, &target_long);
  if (options.write_back) {
    zb::api::RequestFromLong(source_long, source);
    zb::api::RequestFromLong(target_long, target);
  }
  return result;
}

template <typename... Args>
int32_t BasicFrame(ZBPROPOS* caller,
                   int32_t(ZBAPI* plain)(ZBPROPOS*, Args...), Args... args) {
  int32_t result = -1;
  if (!caller) return result;
  zb::api::ZeroTerminateRequest(caller);
  ZBPROPOS request;
  std::memset(&request, 0, sizeof request);
  zb::api::CopyRequestFields(*caller, &request);
  result = plain(&request, args...);
  std::memset(caller, 0, sizeof *caller);
  zb::api::CopyRequestFields(request, caller);
  zb::api::BlankPadRequest(caller);
  return result;
}

template <typename... Args>
int32_t BasicLongFrame(ZBPROPOS_L* caller,
                       int32_t(ZBAPI* implementation)(ZBPROPOS_L*, Args...),
                       Args... args) {
  int32_t result = -1;
  if (!caller) return result;
  // szPosName is kept padded: the _L forms ignore it on the way in.
  char short_name[sizeof caller->szPosName];
  std::memcpy(short_name, caller->szPosName, sizeof short_name);
  zb::api::ZeroTerminateRequest(caller);
  std::memcpy(caller->szPosName, short_name, sizeof short_name);
  recordstore::BlankPadField(caller->szPosName, sizeof caller->szPosName);
  ZBPROPOS_L request;
  std::memset(&request, 0, sizeof request);
  zb::api::CopyRequestFields(*caller, &request);
  result = implementation(&request, args...);
  std::memset(caller, 0, sizeof *caller);
  zb::api::CopyRequestFields(request, caller);
  zb::api::BlankPadRequest(caller);
  return result;
}

}  // namespace zb::api

#endif  // ZBDB_API_FRAME_H_
