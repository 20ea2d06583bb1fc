// The preview viewer as a user sees it: ZB_GetPreview on a position with a
// picture and on one without, under wine with a display. Each window is
// photographed (BMP in $ZBDB_SCREENSHOT_DIR, else the test's folder) and
// closed by a second thread, as a user would close it.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "explorer/win32/preview_window.h"
#include "explorer/win32/win32_ui.h"
#include "support/installed_data_fixture.h"
#include "support/window_driver.h"
#include "zbdb900.h"

namespace zbtest {
namespace {

// A beam with a line load, as a calculation program would draw it.
Bytes BeamPicture() {
  RECT frame = {0, 0, 12000, 6000};  // 0.01 mm
  HDC dc = CreateEnhMetaFileA(nullptr, nullptr, &frame, "beam\0preview\0");
  HPEN pen = CreatePen(PS_SOLID, 4, RGB(0, 0, 160));
  SelectObject(dc, pen);
  // An outline font: the playback scales it with the picture.
  HFONT font = CreateFontA(-22, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0,
                           0, ANTIALIASED_QUALITY, 0, "Arial");
  SelectObject(dc, font);
  Rectangle(dc, 40, 180, 440, 200);
  for (int x = 40; x <= 440; x += 40) {
    MoveToEx(dc, x, 100, nullptr);
    LineTo(dc, x, 175);
  }
  MoveToEx(dc, 40, 100, nullptr);
  LineTo(dc, 440, 100);
  TextOutA(dc, 180, 60, "q = 12,5 kN/m", 13);
  TextOutA(dc, 170, 215, "Tr\xE4ger 7", 8);
  HENHMETAFILE picture = CloseEnhMetaFile(dc);
  DeleteObject(pen);
  DeleteObject(font);
  Bytes bytes(GetEnhMetaFileBits(picture, 0, nullptr));
  GetEnhMetaFileBits(picture, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(picture);
  return bytes;
}

Bytes Blob(const Bytes& picture) {
  uLongf packed_size = compressBound(picture.size());
  Bytes packed(packed_size);
  compress(packed.data(), &packed_size, picture.data(), picture.size());
  packed.resize(packed_size);
  Bytes blob;
  for (uint32_t v : {1u, 64u, static_cast<uint32_t>(packed_size),
                     static_cast<uint32_t>(picture.size())})
    PutU32(blob, v);
  blob.resize(64, 0);
  blob.insert(blob.end(), packed.begin(), packed.end());
  return blob;
}

class PreviewWindowTest : public InstalledDataTest {
 protected:
  void SetUp() override {
    InstalledDataTest::SetUp();
    win32_ui_ = std::make_unique<zb::explorer::Win32Ui>(lib());
    lib().set_ui(*win32_ui_);
  }
  ZBPROPOS_L Request() { return Long("DLT", kStuetze); }
  // ZB_GetPreview with a photographer who closes the viewer; the result.
  int32_t ShowAndPhotograph(const std::string& name) {
    const std::string path = ScreenshotPath(name, Path(""));
    std::thread photographer([path] {
      HWND window = nullptr;
      for (int i = 0; i < 100 && !window; ++i) {
        Sleep(50);
        window = FindWindowA(zb::explorer::kPreviewWindowClass, nullptr);
      }
      if (!window) return;
      Sleep(500);  // painted
      Photograph(window, path);
      PostMessageA(window, WM_CLOSE, 0, 0);
    });
    ZBPROPOS_L request = Request();
    const int32_t result = ZB_GetPreview(&request);
    photographer.join();
    return result;
  }

  std::unique_ptr<zb::explorer::Win32Ui> win32_ui_;
};

TEST_F(PreviewWindowTest, PictureAndNoPreview) {
  if (GetSystemMetrics(SM_CXSCREEN) <= 0) GTEST_SKIP() << "no display";
  const int32_t shown = ShowAndPhotograph("preview_none");
  if (shown == 0) GTEST_SKIP() << "no window station";
  EXPECT_EQ(shown, 1);

  Bytes blob = Blob(BeamPicture());
  ZBPROPOS_L request = Request();
  int32_t size = static_cast<int32_t>(blob.size());
  ASSERT_EQ(ZB_SavePreview_L(&request, blob.data(), &size), 1);
  EXPECT_EQ(ShowAndPhotograph("preview_beam"), 1);
}

}  // namespace
}  // namespace zbtest
#endif  // _WIN32
