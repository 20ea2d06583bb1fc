// explorer_shot DATAFOLDER [PROGRAM] [--screenshot FILE.bmp]
//
// Opens the explorer window on DATAFOLDER through ZB_Explor_L, as the
// calculation program PROGRAM (default: all programs) would. With
// --screenshot the window is photographed once it has settled and closed
// again, which is how the demo shows the explorer without a desktop.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "api/library.h"
#include "explorer/explorer.h"
#include "explorer/win32/win32_ui.h"
#include "zbdb900.h"

namespace {

// The window's pixels as a 24-bit BMP.
bool SaveBitmap(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<unsigned char> pixels(static_cast<size_t>(stride) * h);
  GetDIBits(memory, bitmap, 0, h, pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info, sizeof info, 1, out);
  std::fwrite(pixels.data(), 1, pixels.size(), out);
  return std::fclose(out) == 0;
}

// Waits for the explorer, lets it settle (the lists follow on its timer),
// photographs it and closes it.
void Photograph(const std::string& path, bool* saved) {
  HWND window = nullptr;
  for (int i = 0; i < 600 && !window; ++i) {
    window = FindWindowA("#32770", zb::explorer::ExplorerModel::kTitle);
    if (!window) Sleep(100);
  }
  if (!window) return;
  Sleep(2500);
  *saved = SaveBitmap(window, path);
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder, program = "??", screenshot;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc)
      screenshot = argv[++i];
    else if (folder.empty())
      folder = argv[i];
    else
      program = argv[i];
  }
  if (folder.empty()) {
    std::fprintf(stderr,
                 "usage: explorer_shot DATAFOLDER [PROGRAM] "
                 "[--screenshot FILE.bmp]\n");
    return 2;
  }
  zb::api::Library& library = zb::api::TheLibrary();
  zb::explorer::Win32Ui ui(library);
  library.set_ui(ui);

  ZBPROPOS_L request{};
  std::snprintf(request.szDataPfad, sizeof request.szDataPfad, "%s",
                folder.c_str());
  std::snprintf(request.szPrgName, sizeof request.szPrgName, "%s",
                program.c_str());
  bool saved = false;
  std::thread photographer;
  if (!screenshot.empty())
    photographer = std::thread(Photograph, screenshot, &saved);
  const int32_t result = ZB_Explor_L(&request);
  if (photographer.joinable()) photographer.join();
  std::printf("explorer: result %d, project '%s', position '%s'\n", result,
              request.szProName, request.szPosNameLong);
  if (!screenshot.empty() && !saved) {
    std::fprintf(stderr, "explorer_shot: no screenshot taken\n");
    return 1;
  }
  return 0;
}
