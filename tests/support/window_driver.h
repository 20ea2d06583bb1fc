// Driving the library's real windows in the Windows test build, as a user
// would: a second thread waits for a dialog, photographs it and sends it
// messages while the test's thread sits in the modal call.
#ifndef ZBDB_TESTS_SUPPORT_WINDOW_DRIVER_H_
#define ZBDB_TESTS_SUPPORT_WINDOW_DRIVER_H_
#ifdef _WIN32
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace zbtest {

// $ZBDB_SCREENSHOT_DIR\<name>.bmp, else <fallback_folder>\<name>.bmp.
std::string ScreenshotPath(const std::string& name,
                           const std::string& fallback_folder);
// The screen's pixels of the window as a 24-bit BMP.
void Photograph(HWND window, const std::string& path);
// True when a display is there to show windows on.
bool HaveDisplay();

// A top-level dialog window with this title, waiting up to 30 seconds (a
// loaded machine is slow to show the first window of a process).
HWND WaitForDialog(const std::string& title);
// Waits until the window is gone (the modal call returned), up to 30 s.
bool WaitUntilClosed(HWND window);

// Runs `user` on its own thread with the dialog titled `title` once it is
// shown (nullptr when it never is); joins on destruction.
class DialogUser {
 public:
  DialogUser(std::string title, std::function<void(HWND)> user);
  ~DialogUser();
  DialogUser(const DialogUser&) = delete;
  DialogUser& operator=(const DialogUser&) = delete;

 private:
  std::thread thread_;
};

// Actions of a user on a dialog's controls, sent as the window would get
// them (synchronously, so the dialog has handled each when they return).
void Click(HWND dialog, int id);
void TypeText(HWND dialog, int id, const std::string& text);
std::string TextOf(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsVisible(HWND dialog, int id);
// Selects one row of the list view `id` (as a click would) and returns
// after the dialog was told.
void SelectRow(HWND dialog, int id, int row);
int RowCount(HWND dialog, int id);
// Waits until the dialog has painted; then photographs it as <name>.
void PhotographDialog(HWND dialog, const std::string& name,
                      const std::string& fallback_folder);

}  // namespace zbtest

#endif  // _WIN32
#endif  // ZBDB_TESTS_SUPPORT_WINDOW_DRIVER_H_
