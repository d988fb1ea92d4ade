#include "forms/EditBox.h"

#include "forms/Handles.h"

#include <commctrl.h>

namespace forms {

namespace {

const UINT_PTR kEditSubclassId = 0x5045;  // any fixed value: one subclass of ours per box

const DWORD_PTR kDigitsOnly = 1;
const DWORD_PTR kBorder = 2;

// Fills the area outside the client area white and draws the one-pixel frame.
void paintNonClient(HWND window, bool border) {
    WindowDC dc(window, WindowDC::Area::Window);
    if (!dc)
        return;
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&client, -outer.left, -outer.top);
    OffsetRect(&outer, -outer.left, -outer.top);
    ExcludeClipRect(dc.get(), client.left, client.top, client.right, client.bottom);
    FillRect(dc.get(), &outer, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (border)
        FrameRect(dc.get(), &outer, GetSysColorBrush(COLOR_WINDOWFRAME));
}

// The EDIT control would paint a WS_BORDER frame inside its client area; the
// frame is kept in the non-client area instead, so that the client area can be
// narrowed to the one text line.
LRESULT CALLBACK editProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR flags) {
    switch (message) {
    case WM_NCCALCSIZE: {
        LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        if (flags & kBorder)
            InflateRect(rect, -GetSystemMetrics(SM_CXBORDER), -GetSystemMetrics(SM_CYBORDER));
        int cy = controlTextHeight(window, "W");
        int top = rect->top + (rect->bottom - rect->top - cy) / 2;
        rect->top = top;
        rect->bottom = top + cy;
        return result;
    }
    case WM_NCPAINT:
        paintNonClient(window, flags & kBorder);
        return 0;
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return 1;
    }
    case WM_CHAR:
        if ((flags & kDigitsOnly) && wParam >= 32 &&
            !((wParam >= '0' && wParam <= '9') || wParam == '-'))
            return 0;
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, editProc, kEditSubclassId);
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

int controlTextHeight(HWND control, const char* text) {
    WindowDC dc(control, WindowDC::Area::Client);
    if (!dc)
        return 0;
    auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
    SelectScope select(dc.get(), font ? font : GetStockObject(SYSTEM_FONT));
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), text, lstrlenA(text), &size);
    return size.cy;
}

HWND editBoxCreate(HWND parent, const char* text, DWORD style, int left, int top, int width, int height, int id,
                   HFONT font, EditInput input) {
    DWORD_PTR flags = (input == EditInput::DigitsAndMinus ? kDigitsOnly : 0) | (style & WS_BORDER ? kBorder : 0);
    style &= ~WS_BORDER;
    HWND edit = CreateWindowExA(0, "EDIT", text, style | ES_AUTOHSCROLL | WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE, left,
                                top, width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), nullptr);
    if (!edit)
        return nullptr;
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageA(edit, EM_LIMITTEXT, 0, 0);
    SetWindowSubclass(edit, editProc, kEditSubclassId, flags);
    int needed = controlTextHeight(edit, "吴") + 2 * GetSystemMetrics(SM_CYEDGE);
    if (height < needed)
        height = needed;
    // Re-runs the non-client calculation with the font now set.
    SetWindowPos(edit, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return edit;
}

}  // namespace forms
