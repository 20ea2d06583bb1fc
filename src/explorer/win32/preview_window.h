// The preview viewer: the position's picture, an enhanced metafile played
// into the window at the largest size that keeps its proportions, on the
// system's window colour; "Ohne Vorschau" when there is no picture.
#ifndef ZBDB_EXPLORER_WIN32_PREVIEW_WINDOW_H_
#define ZBDB_EXPLORER_WIN32_PREVIEW_WINDOW_H_

#include <windows.h>

#include "environment/ui.h"

namespace zb::explorer {

constexpr char kPreviewWindowClass[] = "ZBDB_PreviewView";
constexpr char kNoPreviewText[] = "Ohne Vorschau";

// Shows the viewer owned by `owner` (disabled meanwhile) until the user
// closes it. 1 when it was shown, 0 when the window could not be made.
int ShowPreviewWindow(HWND owner, const environment::Ui::PreviewView& view);

}  // namespace zb::explorer

#endif  // ZBDB_EXPLORER_WIN32_PREVIEW_WINDOW_H_
