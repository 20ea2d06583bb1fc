#ifdef _WIN32
#include "support/window_driver.h"

#include <commctrl.h>

#include <cstdlib>
#include <utility>

#include "support/test_support.h"

namespace zbtest {

std::string ScreenshotPath(const std::string& name,
                           const std::string& fallback_folder) {
  const char* folder = std::getenv("ZBDB_SCREENSHOT_DIR");
  return JoinPath(folder ? folder : fallback_folder, name + ".bmp");
}

bool HaveDisplay() { return GetSystemMetrics(SM_CXSCREEN) > 0; }

// The screen's pixels of the window as a 24-bit BMP.
void Photograph(HWND window, const std::string& path) {
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap =
      CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const uint32_t row = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
  Bytes file;
  file.push_back('B');
  file.push_back('M');
  PutU32(file, 54 + row * h);
  PutU32(file, 0);
  PutU32(file, 54);
  file.insert(file.end(), reinterpret_cast<uint8_t*>(&info.bmiHeader),
              reinterpret_cast<uint8_t*>(&info.bmiHeader) + 40);
  const uint8_t* pixels = static_cast<const uint8_t*>(bits);
  file.insert(file.end(), pixels, pixels + row * h);
  WriteFileBytes(path, file);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

HWND WaitForDialog(const std::string& title) {
  for (int i = 0; i < 600; ++i) {
    HWND window = FindWindowA("#32770", title.c_str());
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

bool WaitUntilClosed(HWND window) {
  for (int i = 0; i < 600; ++i) {
    if (!IsWindow(window)) return true;
    Sleep(50);
  }
  return false;
}

DialogUser::DialogUser(std::string title, std::function<void(HWND)> user)
    : thread_([title = std::move(title), user = std::move(user)] {
        user(WaitForDialog(title));
      }) {}

DialogUser::~DialogUser() { thread_.join(); }

void Click(HWND dialog, int id) {
  // As the mouse does it: the button takes the focus, then reports.
  SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void TypeText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TextOf(HWND dialog, int id) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

bool IsEnabled(HWND dialog, int id) {
  return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool IsVisible(HWND dialog, int id) {
  return (GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) &
          WS_VISIBLE) != 0;
}

void SelectRow(HWND dialog, int id, int row) {
  HWND list = GetDlgItem(dialog, id);
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&item));
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int RowCount(HWND dialog, int id) {
  return static_cast<int>(
      SendMessageA(GetDlgItem(dialog, id), LVM_GETITEMCOUNT, 0, 0));
}

void PhotographDialog(HWND dialog, const std::string& name,
                      const std::string& fallback_folder) {
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(400);
  Photograph(dialog, ScreenshotPath(name, fallback_folder));
}

}  // namespace zbtest
#endif  // _WIN32
