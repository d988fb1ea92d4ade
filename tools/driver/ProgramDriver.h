// Drives the real program (its start routine, windows and message loop, on
// the test's thread) from a driver thread, as a user would: drops files, types
// into boxes, clicks buttons, answers message boxes. Every wait is bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace harness {

struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption, text;
    bool errorIcon = false;
    double shownAtMs = 0;
};

class Driver {
public:
    HWND mainWindow() const;
    // Control handles of the main window.
    HWND list() const;
    HWND pathBox() const;
    HWND heightBox() const;
    HWND widthBox() const;
    HWND runButton() const;

    // A drop of `paths` built in this process, as the shell would send it.
    void drop(const std::vector<std::string>& paths);
    void setText(HWND control, const std::string& text);
    std::string text(HWND control);
    void click(HWND button);  // posted: a handler may show a modal box
    int rowCount();
    std::string cell(int row, int column);

    // The next message box of this process (caption "信息："), waited for up
    // to `timeoutMs`; its window is null if none came.
    MessageBoxSeen waitMessageBox(DWORD timeoutMs);
    void dismiss(const MessageBoxSeen& box);
    // Message boxes seen so far (texts), for "never shown" checks.
    std::vector<std::string> boxesShown();

    // Polls `done` every few ms up to `timeoutMs`.
    bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs);
    // Render windows alive (top-level forms other than the main window).
    std::vector<HWND> renderWindows();
    void closeMainWindow();
};

// Runs the program on this thread and `script` on a driver thread. Returns the
// start routine's result; the script closes the main window when it is done
// (or, if it throws or fails, the harness closes it).
int runProgramWith(const std::function<void(Driver&)>& script);

double nowMs();

}  // namespace harness
