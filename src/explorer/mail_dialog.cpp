#include "explorer/mail_dialog.h"

#include "environment/ui.h"
#include "projectstore/position_exchange.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"

namespace zb::explorer {

using recordstore::FieldText;

MailDialogModel::MailDialogModel(projectstore::Store& store, uint32_t flags,
                                 const ZBPROPOS_L& request,
                                 int32_t project_number,
                                 uintptr_t parent_window)
    : store_(store),
      flags_(flags),
      request_(request),
      project_number_(project_number),
      parent_(parent_window) {}

void MailDialogModel::OnInit() {
  state_.title = kTitle;
  const std::string project = FieldText(request_.szProName);
  state_[IDC_MAIL_PROJECT].checked = (flags_ & exchange::kMailProject) != 0;
  state_[IDC_MAIL_PROJECT].enabled = !project.empty();
  state_[IDC_MAIL_PROJECT_NAME].text = "'" + project + "'";
  state_[IDC_MAIL_POSITION].checked = false;
  state_[IDC_MAIL_POSITION_SHORT].text = FieldText(request_.szPosName);
  state_[IDC_MAIL_POSITION_LONG].text = FieldText(request_.szPosNameLong);
  state_[IDC_MAIL_REPORT].checked = (flags_ & exchange::kMailReport) != 0;
  state_[IDC_MAIL_PROTOCOL].checked = (flags_ & exchange::kMailProtocol) != 0;
  state_[IDC_MAIL_SAVE].checked = false;
  state_[IDC_MAIL_FOLDER].text = FieldText(request_.szDataPfad) + "MERKOMail";
}

void MailDialogModel::OnClicked(int id) {
  switch (id) {
    case IDC_MAIL_PROJECT:
    case IDC_MAIL_POSITION:
    case IDC_MAIL_REPORT:
    case IDC_MAIL_PROTOCOL:
    case IDC_MAIL_SAVE:
      state_[id].checked = !state_[id].checked;
      break;
    case IDC_MAIL_CHOOSE: {
      std::string folder = state_[IDC_MAIL_FOLDER].text;
      if (store_.ui().ChooseFolder(kFolderDialogTitle, &folder))
        state_[IDC_MAIL_FOLDER].text = folder;
      break;
    }
    default:
      break;
  }
}

void MailDialogModel::OnFolderText(const std::string& text) {
  state_[IDC_MAIL_FOLDER].text = text;
}

uint32_t MailDialogModel::flags() const {
  uint32_t flags = 0;
  if (state_.at(IDC_MAIL_PROJECT).checked) flags |= exchange::kMailProject;
  if (state_.at(IDC_MAIL_POSITION).checked) flags |= exchange::kMailPosition;
  if (state_.at(IDC_MAIL_REPORT).checked) flags |= exchange::kMailReport;
  if (state_.at(IDC_MAIL_PROTOCOL).checked) flags |= exchange::kMailProtocol;
  return flags;
}

void MailDialogModel::OnOk() {
  exchange::MailOrder order;
  order.flags = flags();
  order.request = request_;
  order.project_number = project_number_;
  // The position goes as its exchange file, written first.
  if (order.flags & exchange::kMailPosition)
    projectstore::ExportPositionFile(store_, &order.request);
  saved_ = state_.at(IDC_MAIL_SAVE).checked;
  result_ = saved_ ? exchange::SaveMailAttachments(
                         store_, order, state_.at(IDC_MAIL_FOLDER).text)
                   : exchange::SendSupportMail(store_, order, parent_);
}

}  // namespace zb::explorer
