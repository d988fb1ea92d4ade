// A label that draws only its text, so the group box and the window show through.
#pragma once

#include <windows.h>

namespace forms {

HWND transparentLabelCreate(HWND parent, const char* text, int left, int top, int width, int height);

}  // namespace forms
