// The unit of work of an export: one row of the character list rendered into
// the render window's edit box, captured, and saved as <folder><character>.bmp;
// the row is then marked "√" (saved) or "×" (not saved).
#pragma once

#include <windows.h>

#include <cstdint>

namespace exportjob {

// The windows a glyph task works on. The export job sets them before it posts
// its tasks and clears them once the pool has stopped.
struct GlyphWindows {
    HWND list = nullptr;          // 超级列表框1
    HWND pathBox = nullptr;       // 编辑框_路径
    HWND heightBox = nullptr;     // 编辑框_高度: the bitmap's width
    HWND widthBox = nullptr;      // 编辑框_宽度: the bitmap's height
    HWND renderWindow = nullptr;  // the render window
    HWND renderEdit = nullptr;    // 编辑框_截图
};

// Program-wide and safe to set and read from any thread.
void glyphWindowsSet(const GlyphWindows& windows);
GlyphWindows glyphWindows();

// Status column texts.
inline constexpr const char* kGlyphSaved = "√";
inline constexpr const char* kGlyphNotSaved = "×";

// Renders, captures and saves row `rowNumber` (1-based); `b` is ignored (the
// pool's second task value). Runs on a worker thread: every control access is
// a message to the user-interface thread, so that thread must keep pumping.
// Overlapping tasks take turns on the shared edit box; the file is written
// whole or not at all, and the row shows which.
void exportGlyph(int32_t rowNumber, int32_t b);

}  // namespace exportjob
