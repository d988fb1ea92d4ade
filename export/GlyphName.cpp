#include "export/GlyphName.h"

#include <windows.h>

#include <string>

namespace exportjob {

namespace {

bool reservedInNames(wchar_t c) {
    if (c < 0x20 || c == 0x7F)
        return true;
    for (wchar_t r : L"\\/:*?\"<>|")
        if (r != 0 && c == r)
            return true;
    return false;
}

}  // namespace

bool glyphNameAllowed(std::string_view character) {
    // A character is one or two bytes (CR LF: two); anything much longer is no character.
    if (character.empty() || character.size() > 64)
        return false;
    // The file functions take the name through the ANSI code page: judge the
    // characters they will see. A byte sequence that is no valid text (a lone
    // lead byte, an unassigned pair) would reach the disk as some stand-in
    // character, so it names no file of its own.
    auto size = static_cast<int>(character.size());
    wchar_t wide[64];
    int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, character.data(), size, wide, 64);
    if (count <= 0)
        return false;
    for (int i = 0; i < count; ++i)
        if (reservedInNames(wide[i]))
            return false;
    char back[256];
    BOOL lossy = FALSE;
    int backSize = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, back, sizeof back, nullptr, &lossy);
    return !lossy && std::string_view(back, static_cast<size_t>(backSize)) == character;
}

}  // namespace exportjob
