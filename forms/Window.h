// Control texts, window positions and message boxes. Callable from any thread:
// on another thread's window each call is a sent message, which completes only
// while the owning thread processes messages.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace forms {

std::string windowGetText(HWND window);
void windowSetText(HWND window, std::string_view text);

void windowSetLeftTop(HWND window, int left, int top);
// Always-on-top switched on or off without moving, sizing or activating.
void windowSetTopmost(HWND window, bool topmost);

// MessageBoxA with no owner, caption "信息：" and MB_TASKMODAL added.
int messageBox(const char* text, UINT style);

}  // namespace forms
