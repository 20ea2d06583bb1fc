// The position properties dialog "Position " and the small position name
// dialog, toolkit-free. The properties dialog shows one position's names,
// dates and page numbers, and may write the page numbers back and refuse
// a name another position already has.
#ifndef ZBDB_EXPLORER_POSITION_PROPERTIES_H_
#define ZBDB_EXPLORER_POSITION_PROPERTIES_H_

#include <string>

#include "environment/ui.h"
#include "explorer/dialog_state.h"
#include "explorer/win32/position_dialog_ids.h"

namespace zb::api {
class Library;
}  // namespace zb::api

namespace zb::explorer {

class PositionPropertiesModel {
 public:
  static constexpr const char* kTitle = "Position ";

  // `dialog` names the caller's request and POSINFO, which OK fills.
  PositionPropertiesModel(api::Library& lib,
                          const environment::PositionPropertiesRequest& dialog);

  void OnInit();
  void OnText(int id, const std::string& text);
  // "O&k": true when the dialog ends (the caller's records are filled).
  bool OnOk();

  const DialogState& state() const { return state_; }
  // The window has moved the focus where state() asked.
  void FocusTaken() { state_.focus = 0; }
  bool locked_by_other() const { return locked_by_other_; }

 private:
  void TakeFields();
  std::string ProjectPath() const;

  api::Library& lib_;
  environment::PositionPropertiesRequest dialog_;
  DialogState state_;
  bool locked_by_other_ = false;
};

// The position name dialog: one name, at most 41 characters.
class PositionNameModel {
 public:
  explicit PositionNameModel(const std::string& title, const std::string& name);
  void OnText(const std::string& text) { state_[IDC_NAME_EDIT].text = text; }
  // The name, trimmed; "???" for an empty one.
  std::string Name() const;
  const DialogState& state() const { return state_; }

 private:
  DialogState state_;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_POSITION_PROPERTIES_H_
