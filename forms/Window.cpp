#include "forms/Window.h"

#include <vector>

namespace forms {

std::string windowGetText(HWND window) {
    // The text may change between the two messages; WM_GETTEXT is bounded by the buffer.
    auto length = static_cast<size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
    std::vector<char> buffer(length + 2);
    auto got = static_cast<size_t>(SendMessageA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    if (got >= buffer.size())
        got = buffer.size() - 1;
    return std::string(buffer.data(), got);
}

void windowSetText(HWND window, std::string_view text) {
    std::string copy(text);
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(copy.c_str()));
}

void windowSetLeftTop(HWND window, int left, int top) {
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void windowSetTopmost(HWND window, bool topmost) {
    SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int messageBox(const char* text, UINT style) {
    return MessageBoxA(nullptr, text, "信息：", style | MB_TASKMODAL);
}

}  // namespace forms
