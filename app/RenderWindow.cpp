#include "app/RenderWindow.h"

#include "forms/EditBox.h"

#include <cstring>

namespace app {

namespace {
const UINT kDestroyRequest = WM_APP + 0x40;
}

RenderWindow* RenderWindow::load() {
    auto* window = new RenderWindow;
    // No activation: the main window keeps the focus, and the edit box never
    // shows a caret or selection in the captured picture.
    if (!window->createForm({"", WS_POPUP, WS_EX_NOACTIVATE, 80, 80, false}, SW_SHOWNOACTIVATE)) {
        delete window;
        return nullptr;
    }
    return window;
}

void RenderWindow::requestDestroy(HWND renderWindow) {
    if (renderWindow)
        PostMessageA(renderWindow, kDestroyRequest, 0, 0);
}

void RenderWindow::onCreate() {
    LOGFONTA lf{};
    lf.lfHeight = -48;
    lf.lfWeight = 700;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::strcpy(lf.lfFaceName, "微软雅黑");
    font_.reset(CreateFontIndirectA(&lf));
    编辑框_截图 = forms::editBoxCreate(window_, "啊", ES_CENTER | ES_READONLY, 0, 0, 80, 80, 200, font_.get());
}

// The window exists for the duration of an export, whose tasks write to and
// capture its edit box: the user cannot close it (Esc, Alt+F4); the export
// destroys it through requestDestroy.
bool RenderWindow::onClose() { return false; }

LRESULT RenderWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kDestroyRequest:
        DestroyWindow(window_);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return Form::onMessage(message, wParam, lParam);
}

void RenderWindow::onDestroy() {
    // The edit box is gone with its parent; the font may go now. Nothing of
    // this object is touched after this call.
    delete this;
}

}  // namespace app
