// The preview viewer: the position's picture, an enhanced metafile played
// into the window at the largest size that keeps its proportions, on the
// system's window colour; "Ohne Vorschau" when there is no picture.
#ifndef ZBDB_EXPLORER_WIN32_PREVIEW_WINDOW_H_
#define ZBDB_EXPLORER_WIN32_PREVIEW_WINDOW_H_

#include <windows.h>

#include <cstdint>
#include <vector>

#include "environment/ui.h"

namespace zb::explorer {

constexpr char kPreviewWindowClass[] = "ZBDB_PreviewView";
constexpr char kNoPreviewText[] = "Ohne Vorschau";

// Fills `area` with the window colour and plays the picture (state 0, the
// enhanced metafile's bytes) into it at the largest size that keeps its
// proportions, or writes "Ohne Vorschau".
void DrawPreviewPicture(HDC dc, const RECT& area, int state,
                        const std::vector<uint8_t>& metafile);

// Shows the viewer owned by `owner` (disabled meanwhile) until the user
// closes it. 1 when it was shown, 0 when the window could not be made.
int ShowPreviewWindow(HWND owner, const environment::Ui::PreviewView& view);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_WIN32_PREVIEW_WINDOW_H_
