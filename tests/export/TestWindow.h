// Real top-level popup windows for the capture tests: shown on the screen
// without activation, painted by a callback, black-on-white colours for any
// edit box inside them.
#pragma once

#include <windows.h>

#include <functional>

namespace snapshottest {

class TestWindow {
public:
    using Painter = std::function<void(HDC, const RECT&)>;

    // Shows the window and waits (bounded) until it has painted and pending
    // display events have arrived; ready() tells whether it did.
    // `extraStyle` is added to WS_POPUP (a border, for example).
    TestWindow(RECT bounds, Painter painter, DWORD extraStyle = 0);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND get() const { return window_; }
    bool ready() const { return ready_; }
    // Waits again for a paint after the contents changed (children added, text set).
    bool repaint();
    void destroy();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    Painter painter_;
    bool painted_ = false;
    bool ready_ = false;
};

// Paints the whole window one colour.
TestWindow::Painter fillWith(COLORREF colour);

}  // namespace snapshottest
