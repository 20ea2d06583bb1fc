// The state of a dialog's controls by control id, as its model keeps it
// and its window mirrors it: texts, enabled, visible, checked, the input
// focus and the title. Toolkit-free, so models are tested headless.
#ifndef ZBDB_EXPLORER_DIALOG_STATE_H_
#define ZBDB_EXPLORER_DIALOG_STATE_H_

#include <map>
#include <string>

namespace zb::explorer {

struct ControlState {
  std::string text;
  bool enabled = true;
  bool visible = true;
  bool checked = false;
};

class DialogState {
 public:
  // The control's state, made with the defaults on first use.
  ControlState& operator[](int id) { return controls_[id]; }
  // A control never touched reads as the defaults.
  const ControlState& at(int id) const {
    static const ControlState kUntouched;
    auto it = controls_.find(id);
    return it == controls_.end() ? kUntouched : it->second;
  }
  const std::string& text(int id) const { return at(id).text; }
  const std::map<int, ControlState>& controls() const { return controls_; }

  std::string title;
  int focus = 0;  // the control with the input focus; 0: none asked for

 private:
  std::map<int, ControlState> controls_;
};

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_DIALOG_STATE_H_
