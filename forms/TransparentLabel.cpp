#include "forms/TransparentLabel.h"

#include "forms/Handles.h"

namespace forms {

namespace {

const char kLabelClass[] = "PixnadelTransparentLabel";

void paintLabel(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc) {
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        RECT client;
        GetClientRect(window, &client);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        SelectScope font(dc, GetStockObject(DEFAULT_GUI_FONT));
        DrawTextA(dc, text, -1, &client, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK labelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        paintLabel(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // nothing of its own behind the text
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        // Whatever lies beneath must be drawn again under the new text.
        RECT rect;
        GetWindowRect(window, &rect);
        HWND parent = GetParent(window);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        RedrawWindow(parent, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return result;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND transparentLabelCreate(HWND parent, const char* text, int left, int top, int width, int height) {
    static ATOM atom = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = labelProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = nullptr;
        wc.lpszClassName = kLabelClass;
        return RegisterClassExA(&wc);
    }();
    if (!atom)
        return nullptr;
    return CreateWindowExA(WS_EX_TRANSPARENT, kLabelClass, text, WS_CHILD | WS_VISIBLE, left, top, width, height,
                           parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

}  // namespace forms
