#include "export/GlyphTask.h"

#include "export/GlyphFile.h"
#include "export/GlyphName.h"
#include "export/WindowSnapshot.h"
#include "forms/Convert.h"
#include "forms/ListView.h"
#include "forms/Window.h"

#include <commctrl.h>
#include <objbase.h>

#include <climits>
#include <string>
#include <vector>

namespace exportjob {

namespace {

SRWLOCK g_windowsLock = SRWLOCK_INIT;
GlyphWindows g_windows;

// Every task shares the one edit box: from setting its text to reading it back
// a task has it to itself, so a file never shows or carries another row's
// character. Only worker threads take this lock, never the user-interface
// thread, so holding it while sending to that thread cannot deadlock.
SRWLOCK g_editLock = SRWLOCK_INIT;

class ExclusiveScope {
public:
    explicit ExclusiveScope(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveScope() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveScope(const ExclusiveScope&) = delete;
    ExclusiveScope& operator=(const ExclusiveScope&) = delete;

private:
    SRWLOCK& lock_;
};

// COM for the worker thread for the duration of one task; uninitialised only
// if this call initialised it.
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialised_)
            CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

// The text of a control in one sent message (the general read takes two): a
// buffer that holds every text these boxes have in practice, and the general
// read for a longer one. A text cut short fills the buffer to within one
// double-byte character, so a shorter answer is the whole text.
std::string controlText(HWND control) {
    char buffer[512];
    auto got = SendMessageA(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    if (got >= 0 && got < static_cast<LRESULT>(sizeof buffer) - 2)
        return std::string(buffer, static_cast<size_t>(got));
    return forms::windowGetText(control);
}

// The character of a row, likewise in one message; the empty text for a row
// that does not exist (the list view copies nothing for it).
std::string rowCharacter(HWND list, int row) {
    char buffer[64] = {};
    LVITEMA item{};
    item.iSubItem = 1;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    auto got = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (got >= 0 && got < static_cast<LRESULT>(sizeof buffer) - 2)
        return std::string(buffer, static_cast<size_t>(got));
    return forms::listGetCell(list, row, 1);
}

struct Capture {
    std::string shown;  // the edit box's text, read back after the capture
    std::vector<uint8_t> image;
};

// The edit box invalidates itself on a new text but paints only when its
// thread gets round to WM_PAINT; the copy must show the new text, so the
// paint (frame, background, text) is done now, through sent messages.
void repaintNow(HWND edit) { RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW); }

Capture renderAndCapture(const GlyphWindows& windows, const std::string& character) {
    ExclusiveScope exclusive(g_editLock);
    forms::windowSetText(windows.renderEdit, character);
    repaintNow(windows.renderEdit);
    // "高度" is the bitmap's width and "宽度" its height, each read now.
    int32_t width = forms::textToInt(controlText(windows.heightBox));
    int32_t height = forms::textToInt(controlText(windows.widthBox));
    Capture capture;
    capture.image = captureWindowBitmap(windows.renderEdit, width, height);
    capture.shown = controlText(windows.renderEdit);
    return capture;
}

// Renders and writes one character; true only when its whole file is in place.
bool saveGlyph(const GlyphWindows& windows, const std::string& character) {
    // A character that cannot name a file of its own (a backslash would write
    // "<folder>.bmp", a colon a stream) is not rendered at all.
    if (!glyphNameAllowed(character))
        return false;
    Capture capture = renderAndCapture(windows, character);
    // The box must still hold this row's character, or the file would carry
    // some other name; an empty capture is a failure, never an empty file.
    if (capture.shown != character || capture.image.empty())
        return false;
    return glyphFileWrite(controlText(windows.pathBox) + capture.shown + ".bmp", capture.image);
}

}  // namespace

void glyphWindowsSet(const GlyphWindows& windows) {
    ExclusiveScope exclusive(g_windowsLock);
    g_windows = windows;
}

GlyphWindows glyphWindows() {
    AcquireSRWLockShared(&g_windowsLock);
    GlyphWindows copy = g_windows;
    ReleaseSRWLockShared(&g_windowsLock);
    return copy;
}

void exportGlyph(int32_t rowNumber, int32_t /*b*/) {
    ComScope com;
    GlyphWindows windows = glyphWindows();
    forms::windowSetTopmost(windows.renderWindow, true);
    // Row numbers start at 1; 0 and below name no row (and INT32_MIN - 1 must not wrap).
    if (rowNumber <= 0)
        return;
    int row = rowNumber - 1;
    std::string character = rowCharacter(windows.list, row);
    // A row that no longer exists reads as the empty text: nothing to render,
    // and marking it does nothing.
    bool saved = !character.empty() && saveGlyph(windows, character);
    forms::listSetCell(windows.list, row, 2, saved ? kGlyphSaved : kGlyphNotSaved);
    forms::listEnsureVisible(windows.list, row);
}

}  // namespace exportjob
