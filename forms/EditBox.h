// Single-line edit boxes that centre their one text line vertically and paint
// their whole area (border area included) with the white background.
#pragma once

#include <windows.h>

namespace forms {

enum class EditInput {
    Any,
    DigitsAndMinus,  // typed characters of code 32 or more other than 0-9 and "-" are discarded
};

// Creates an EDIT control (single line, ES_AUTOHSCROLL, WS_CLIPSIBLINGS plus
// `style`; WS_BORDER gives a one-pixel frame) with the given font, then applies the layout: the height is raised
// to fit the text, the text line is centred vertically.
HWND editBoxCreate(HWND parent, const char* text, DWORD style, int left, int top, int width, int height, int id,
                   HFONT font, EditInput input = EditInput::Any);

// Height of a text in the control's current font, as GetTextExtentPoint32A reports it.
int controlTextHeight(HWND control, const char* text);

}  // namespace forms
