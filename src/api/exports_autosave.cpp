// Autosave copies and their rescue, in the plain, B, _L and _LB families.
#include <cstring>
#include <string>

#include "api/frame.h"
#include "api/library.h"
#include "api/open_save.h"
#include "environment/library_context.h"
#include "environment/login.h"
#include "environment/strings.h"
#include "environment/ui.h"
#include "projectstore/autosave.h"
#include "recordstore/typed_records.h"
#include "zbdb900.h"

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using zb::api::Library;
using zb::recordstore::FieldText;

constexpr size_t kBasicText = 260;  // what a Basic caller's text is copied to

std::string Text(const char* text) { return text ? text : ""; }

// A Basic caller's text, cut to the buffer the plain export gets.
std::string BasicText(const char* text) {
  std::string copy = Text(text);
  if (copy.size() >= kBasicText) copy.resize(kBasicText - 1);
  return copy;
}

// The position name the rescue question shows: long, else short.
std::string NameOf(const zb::recordstore::PosInfoExt& info) {
  const std::string long_name = FieldText(info.PosNameLong);
  return long_name.empty() ? FieldText(info.PosName) : long_name;
}

// The save-as of the autosave file into a project the user chooses;
// returns the records saved.
int32_t RescueInto(Library& lib, const std::string& program,
                   const ps::AutosaveEntry& entry, const std::string& name) {
  env::LibraryContext& context = lib.context();
  ZBPROPOS_L request{};
  using zb::recordstore::SetFieldText;
  SetFieldText(request.szDataPfad, context.folders.data);
  SetFieldText(request.szTmpPfad, context.folders.temporary);
  SetFieldText(request.szProName, context.current_project);
  SetFieldText(request.szPrgName, program);
  SetFieldText(request.szPosNameLong, name);
  SetFieldText(request.szTmpDatei, entry.path);
  const int32_t records = ZB_SaveAs_L(&request);
  lib.log().Printf("\n*** result: Autosave_rescue '%s' as '%s': %d  records ",
                   name.c_str(), FieldText(request.szPosNameLong).c_str(),
                   static_cast<int>(records));
  return records;
}

}  // namespace

int32_t ZBAPI ZB_AutoSave(const char* program, const char* working_file) {
  Library& lib = zb::api::TheLibrary();
  env::EnsureLoggedIn(lib.session());
  lib.log().Printf("\n*** ZB_AutoSave %s", Text(program).c_str());
  return ps::MakeAutosave(lib.store(), Text(program), Text(working_file));
}

int32_t ZBAPI ZB_AutoSaveB(const char* program, const char* working_file) {
  const std::string name = BasicText(program);
  const std::string file = BasicText(working_file);
  return ZB_AutoSave(name.c_str(), file.c_str());
}

int32_t ZBAPI ZB_AutoSave_L(ZBPROPOS_L* request) {
  if (!request) return 0;
  return ZB_AutoSave(FieldText(request->szPrgName).c_str(),
                     FieldText(request->szTmpDatei).c_str());
}

int32_t ZBAPI ZB_AutoSave_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_AutoSave_L);
}

int32_t ZBAPI ZB_AutoSaveEnd(const char* program) {
  Library& lib = zb::api::TheLibrary();
  env::EnsureLoggedIn(lib.session());
  return ps::EndAutosave(lib.store(), Text(program));
}

int32_t ZBAPI ZB_AutoSaveEndB(const char* program) {
  return ZB_AutoSaveEnd(BasicText(program).c_str());
}

int32_t ZBAPI ZB_AutoSaveEnd_L(ZBPROPOS_L* request) {
  if (!request) return 0;
  return ZB_AutoSaveEnd(FieldText(request->szPrgName).c_str());
}

int32_t ZBAPI ZB_AutoSaveEnd_LB(ZBPROPOS_L* request) {
  return zb::api::BasicLongFrame(request, &ZB_AutoSaveEnd_L);
}

int32_t ZBAPI ZB_AutoSaveGet(const char* program_text) {
  Library& lib = zb::api::TheLibrary();
  env::EnsureLoggedIn(lib.session());
  lib.log().Append("\n*** Export: ZB_AutoSaveGet ");
  lib.log().Append("\n*** ZB_GetAutoSave ");
  const std::string program = Text(program_text);
  ps::Store& store = lib.store();
  const int32_t found = ps::ScanAutosaves(store, program);
  if (found <= 0) return found;
  // The list may change under the save-as: keep what the question names.
  const ps::AutosaveEntry first = store.autosave.entries.front();
  const std::string name = NameOf(first.info);
  char details[200];
  std::snprintf(details, sizeof details,
                "\n\n Program  : %s\n Position : %s\n\n", program.c_str(),
                name.c_str());
  env::Ui& ui = lib.ui();
  const std::string& title = lib.context().message_title;
  bool keep = false;
  if (ui.Ask(title,
             std::string(env::SystemText(35043)) + details +
                 env::SystemText(35044),
             env::Buttons::kYesNo, env::Icon::kQuestion) == env::Answer::kYes) {
    if (RescueInto(lib, program, first, name) <= 0)
      keep = ui.Ask(title, env::SystemText(35045), env::Buttons::kYesNo,
                    env::Icon::kQuestion) == env::Answer::kNo;
  }
  if (!keep) {
    ps::ScanAutosaves(store, program);
    ps::EndAutosave(store, program);
  }
  return found;
}
