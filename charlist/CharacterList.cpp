#include "charlist/CharacterList.h"

#include "charlist/SplitCharacters.h"
#include "forms/Convert.h"
#include "forms/File.h"
#include "forms/ListView.h"
#include "support/PumpingWait.h"

#include <cstring>
#include <string_view>

namespace charlist {

namespace {

HWND g_list = nullptr;

// How often the list is repainted while rows are appended. Painting after
// every row costs far more than the row itself where drawing is slow (a
// visible list view under Wine spends 25-60 ms per row on its scroll bar and
// items); every 30 ms the list still visibly fills as the file loads.
const DWORD kRepaintEveryMs = 30;

void listSetRedraw(HWND list, bool on) {
    SendMessageA(list, WM_SETREDRAW, on, 0);
    if (on)
        InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

void characterListBind(HWND list) { g_list = list; }
HWND characterListWindow() { return g_list; }

void loadCharacterFile(const std::string& path) {
    HWND list = g_list;
    forms::listClear(list);
    PieceList pieces;
    {
        std::vector<char> bytes = forms::fileReadAll(path);
        std::string_view text(bytes.data(), bytes.size());
        text = text.substr(0, text.find('\0'));
        splitCharacters(text, pieces);
    }
    const int32_t count = static_cast<int32_t>(pieces.size());
    DWORD lastRepaint = GetTickCount();
    for (int32_t i = 1; i <= count; ++i) {
        // Switched off again before every append: a load started inside this
        // one (a second drop) ends with the list drawing.
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        int row = forms::listAppendRow(list);
        forms::listSetCell(list, row, 0, forms::intToText(i));
        forms::listSetCell(list, row, 1, pieces[i - 1]);
        if (i == count || GetTickCount() - lastRepaint >= kRepaintEveryMs) {
            listSetRedraw(list, true);
            lastRepaint = GetTickCount();
        }
        // Keeps the window painting and answering while a long file loads; a
        // second drop handled here loads inside this one.
        support::pumpingWait(1);
        support::pumpIfInputPending();
    }
    listSetRedraw(list, true);
}

void onFileDropped(const char* path) {
    std::string copy(path ? path : "");
    loadCharacterFile(copy);
}

}  // namespace charlist
