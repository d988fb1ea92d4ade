// Makes a window accept files dragged onto it and reports each dropped file,
// by its full path, to a callback. The window is subclassed: the replacement
// procedure takes WM_DROPFILES and hands every other message to the procedure
// that was there before.
#pragma once

#include <windows.h>

namespace charlist {

// Receives one full path in the ANSI code page. The text is valid only during
// the call; a callback that keeps it copies it.
using FileCallback = void (*)(const char* path);

class DropTarget {
public:
    DropTarget() = default;
    ~DropTarget() { detach(); }
    // A copy would share the hook, and only one of the two could undo it.
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    // Hooks `window` for dropped files. Does nothing while attached. When the
    // window cannot be hooked (no such window, one of another process, one
    // hooked by another target) the target stays detached and the window as
    // it was.
    void attach(HWND window, FileCallback callback);
    // Puts the previous procedure back and stops accepting files. Does nothing
    // while detached, so a window that was never hooked, or was destroyed, is
    // not touched. Window, previous procedure and callback stay recorded.
    void detach();
    void destroy() { detach(); }

    // The replacement procedure's work for this target's window.
    LRESULT windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool attached() const { return bound_; }
    HWND hookedWindow() const { return window_; }
    WNDPROC previousProcedure() const { return previous_; }
    FileCallback fileCallback() const { return callback_; }

private:
    static LRESULT CALLBACK hookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onDropFiles(HDROP drop);
    // The window is going away: unhook before the handle becomes invalid.
    void onNcDestroy();

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    FileCallback callback_ = nullptr;
    bool bound_ = false;  // the window property naming this target is set
};

// ChangeWindowMessageFilter, or a replacement for tests. Returns the previous
// one; nullptr restores the system's. The system's is looked up at run time
// because user32 has it only from Vista on.
using MessageFilterFunction = BOOL(WINAPI*)(UINT message, DWORD action);
MessageFilterFunction setMessageFilterFunction(MessageFilterFunction function);

}  // namespace charlist
