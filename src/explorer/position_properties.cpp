#include "explorer/position_properties.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "api/library.h"
#include "api/position_info_cache.h"
#include "explorer/position_list.h"
#include "projectstore/page_numbers.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "recordstore/typed_records.h"
#include "explorer/texts.h"
#include "zbdb900.h"

namespace zb::explorer {

namespace {

namespace env = zb::environment;
namespace ps = zb::projectstore;
using recordstore::CopyTextField;
using recordstore::FieldText;
using recordstore::PosInfoExt;

template <size_t N>
void Put(char (&field)[N], const std::string& text) {
  CopyTextField(field, text.substr(0, N - 1).c_str(), N);
}

}  // namespace

PositionPropertiesModel::PositionPropertiesModel(
    api::Library& lib, const env::PositionPropertiesRequest& dialog)
    : lib_(lib), dialog_(dialog) {}

std::string PositionPropertiesModel::ProjectPath() const {
  PROINFO info{};
  std::string path;
  const ZBPROPOS_L& r = *dialog_.request;
  if (ps::FindProject(lib_.store(), Text(r.szDataPfad),
                      Trimmed(Text(r.szProName)), &info, &path) < 0)
    return std::string();
  return path;
}

void PositionPropertiesModel::OnInit() {
  const ZBPROPOS_L& r = *dialog_.request;
  static const PosInfoExt kNone{};
  const PosInfoExt& info = dialog_.info ? *dialog_.info : kNone;
  state_.title = dialog_.title.empty() ? kTitle : dialog_.title;
  state_[IDC_PROP_NAME].text = Text(r.szPosNameLong).substr(0, 40);
  state_[IDC_PROP_DESIGNATION].text = Text(r.szProBezeichnung).substr(0, 40);
  state_[IDC_PROP_DESCRIPTION].text = Text(r.szMsg).substr(0, 78);
  state_[IDC_PROP_SHORT_NAME].text = Text(info.PosName);
  state_[IDC_PROP_PROJECT].text = Text(r.szProName);
  state_[IDC_PROP_PROGRAM].text = Text(r.szPrgName);
  state_[IDC_PROP_CREATED].text = PositionDateText(info.created, false);
  state_[IDC_PROP_CHANGED].text = PositionDateText(info.saved, false);
  state_[IDC_PROP_PRINTED].text = PositionDateText(info.page_time, false);
  state_[IDC_PROP_START_PAGE].text = Number(info.page_start);
  state_[IDC_PROP_PAGE_COUNT].text = Number(info.page_count);
  state_[IDC_PROP_ID].text = Number(info.id);
  state_[IDC_PROP_LOCK].visible = false;
  state_[IDC_PROP_USER].visible = false;
  if ((info.Ctrl & 1) && dialog_.lock) {
    const env::LockBlock& lock = *dialog_.lock;
    state_[IDC_PROP_USER].text = FieldText(lock.user, sizeof lock.user);
    state_[IDC_PROP_USER].visible = true;
    if (std::memcmp(&lock, &lib_.context().position_lock.block,
                    sizeof lock) != 0) {
      locked_by_other_ = true;
      state_[IDC_PROP_LOCK].visible = true;
      for (int id : {IDC_PROP_NAME, IDC_PROP_DESIGNATION, IDC_PROP_START_PAGE,
                     IDC_PROP_NEXT_PAGE})
        state_[id].enabled = false;
    }
  }
  uint16_t next = 0;
  const std::string path = ProjectPath();
  if (!path.empty() && ps::GetNextPage(lib_.store(), path, &next) > 0)
    state_[IDC_PROP_NEXT_PAGE].text = Number(next);
  state_.focus = IDC_PROP_NAME;
}

void PositionPropertiesModel::OnText(int id, const std::string& text) {
  state_[id].text = text;
}

void PositionPropertiesModel::TakeFields() {
  ZBPROPOS_L& r = *dialog_.request;
  std::string name = Trimmed(state_.text(IDC_PROP_NAME));
  if (name.empty()) name = "???";
  state_[IDC_PROP_NAME].text = name;
  Put(r.szPosNameLong, name);
  Put(r.szMsg, state_.text(IDC_PROP_DESCRIPTION));
  Put(r.szProBezeichnung, state_.text(IDC_PROP_DESIGNATION));
  if (PosInfoExt* info = dialog_.info) {
    Put(info->PosNameLong, name);
    Put(info->Designation, state_.text(IDC_PROP_DESIGNATION));
    Put(info->Msg, state_.text(IDC_PROP_DESCRIPTION));
    info->page_start = static_cast<uint16_t>(
        std::atoi(state_.text(IDC_PROP_START_PAGE).c_str()));
  }
}

bool PositionPropertiesModel::OnOk() {
  TakeFields();
  ZBPROPOS_L& r = *dialog_.request;
  if (dialog_.write_pages) {
    ZBPROPOS_L probe = r;
    if (dialog_.info) Put(probe.szPosNameLong, Text(dialog_.info->PosNameLong));
    if (ZB_PositionExist_L(&probe) > 0) {
      const int start = std::atoi(state_.text(IDC_PROP_START_PAGE).c_str());
      const int count = std::atoi(state_.text(IDC_PROP_PAGE_COUNT).c_str());
      const int typed = std::atoi(state_.text(IDC_PROP_NEXT_PAGE).c_str());
      const int next = std::max(typed, start + count);
      ZB_SetNextPageNr_L(&probe, static_cast<int16_t>(next));
      state_[IDC_PROP_NEXT_PAGE].text = Number(next);
    }
  }
  if (!dialog_.check_new_name) return true;
  const std::string path = ProjectPath();
  if (path.empty()) return true;
  const int16_t program =
      lib_.catalogue().NumberByKey(Trimmed(Text(r.szPrgName)));
  const uint16_t own_id = dialog_.info ? dialog_.info->id : 0;
  const std::string wanted = ps::PositionCompareName(Text(r.szPosNameLong));
  bool other_program = false;
  for (const api::PositionListEntry& e : api::LoadPositionList(lib_, path)) {
    if (ps::PositionCompareName(Text(e.info.PosNameLong)) != wanted) continue;
    if (e.program != program) {
      other_program = true;
    } else if (e.info.id != own_id) {
      lib_.ui().Ask("Position umbenennen",
                    "Diese Position gibt es schon,\nwählen Sie einen anderen "
                    "Namen aus.",
                    env::Buttons::kOk, env::Icon::kWarning);
      state_.focus = IDC_PROP_NAME;
      return false;
    } else {
      return true;  // its own name
    }
  }
  if (other_program &&
      lib_.ui().Ask("Position umbenennen",
                    "Der Positionsname existiert schon jedoch zu einem "
                    "anderen Programm. \nGleichnamige Position anlegen?",
                    env::Buttons::kYesNo,
                    env::Icon::kWarning) != env::Answer::kYes) {
    state_.focus = IDC_PROP_NAME;
    return false;
  }
  return true;
}

PositionNameModel::PositionNameModel(const std::string& title,
                                     const std::string& name) {
  state_.title = title;
  state_[IDC_NAME_EDIT].text = name;
  state_.focus = IDC_NAME_EDIT;
}

std::string PositionNameModel::Name() const {
  const std::string name = Trimmed(state_.text(IDC_NAME_EDIT));
  return name.empty() ? "???" : name.substr(0, 41);
}

}  // namespace zb::explorer
