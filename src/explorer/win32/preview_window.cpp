#include "explorer/win32/preview_window.h"

#include <algorithm>
#include <string>

namespace zb::explorer {
namespace {

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 360;
constexpr int kMargin = 8;

// The picture's frame scaled into the room, centred.
RECT FittedRect(HENHMETAFILE picture, const RECT& room) {
  ENHMETAHEADER header = {};
  GetEnhMetaFileHeader(picture, sizeof header, &header);
  const double frame_w = header.rclFrame.right - header.rclFrame.left;
  const double frame_h = header.rclFrame.bottom - header.rclFrame.top;
  const double room_w = room.right - room.left;
  const double room_h = room.bottom - room.top;
  double scale = 1;
  if (frame_w > 0 && frame_h > 0)
    scale = std::min(room_w / frame_w, room_h / frame_h);
  const int w = static_cast<int>(frame_w > 0 ? frame_w * scale : room_w);
  const int h = static_cast<int>(frame_h > 0 ? frame_h * scale : room_h);
  RECT fitted;
  fitted.left = room.left + (static_cast<int>(room_w) - w) / 2;
  fitted.top = room.top + (static_cast<int>(room_h) - h) / 2;
  fitted.right = fitted.left + w;
  fitted.bottom = fitted.top + h;
  return fitted;
}

void DrawNoPreview(HDC dc, RECT area) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextA(dc, kNoPreviewText, -1, &area,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
}

class PreviewWindow {
 public:
  explicit PreviewWindow(const environment::Ui::PreviewView& view)
      : view_(view) {}
  PreviewWindow(const PreviewWindow&) = delete;
  PreviewWindow& operator=(const PreviewWindow&) = delete;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w,
                                    LPARAM l) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(l);
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<PreviewWindow*>(
        GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_PAINT) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      DrawPreviewPicture(dc, client, self->view_.state, self->view_.metafile);
      EndPaint(window, &paint);
      return 0;
    }
    if (message == WM_SIZE) InvalidateRect(window, nullptr, TRUE);
    return DefWindowProcA(window, message, w, l);
  }

 private:
  const environment::Ui::PreviewView& view_;
};

// The class is registered once per module; a second registration fails
// harmlessly with ERROR_CLASS_ALREADY_EXISTS.
HINSTANCE OwnModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&PreviewWindow::Procedure),
                     &module);
  return module;
}

bool RegisterViewClass(HINSTANCE module) {
  WNDCLASSA view_class = {};
  view_class.style = CS_HREDRAW | CS_VREDRAW;
  view_class.lpfnWndProc = &PreviewWindow::Procedure;
  view_class.hInstance = module;
  view_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  view_class.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  view_class.lpszClassName = kPreviewWindowClass;
  return RegisterClassA(&view_class) != 0 ||
         GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void DrawPreviewPicture(HDC dc, const RECT& area, int state,
                        const std::vector<uint8_t>& metafile) {
  FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
  HENHMETAFILE picture =
      state == 0 && !metafile.empty()
          ? SetEnhMetaFileBits(static_cast<UINT>(metafile.size()),
                               metafile.data())
          : nullptr;
  RECT room = area;
  InflateRect(&room, -kMargin, -kMargin);
  if (!picture) {
    DrawNoPreview(dc, area);
    return;
  }
  const RECT fitted = FittedRect(picture, room);
  PlayEnhMetaFile(dc, picture, &fitted);
  DeleteEnhMetaFile(picture);
}

int ShowPreviewWindow(HWND owner, const environment::Ui::PreviewView& view) {
  const HINSTANCE module = OwnModule();
  if (!RegisterViewClass(module)) return 0;
  PreviewWindow state(view);
  const DWORD style = WS_OVERLAPPEDWINDOW;
  RECT frame = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, style, FALSE);
  const std::string title =
      view.title.empty() ? std::string("Vorschau") : "Vorschau - " + view.title;
  HWND window = CreateWindowExA(
      0, kPreviewWindowClass, title.c_str(), style, CW_USEDEFAULT,
      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, owner,
      nullptr, module, &state);
  if (!window) return 0;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  // Modal to the owner: its own loop until the viewer is gone.
  if (owner) EnableWindow(owner, FALSE);
  MSG message;
  while (IsWindow(window)) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the viewer goes, and the quit stays for the
      // program's own loop.
      DestroyWindow(window);
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (owner) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  return 1;
}

}  // namespace zb::explorer
