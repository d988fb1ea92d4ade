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
}

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
    for (int32_t i = 1; i <= count; ++i) {
        int row = forms::listAppendRow(list);
        forms::listSetCell(list, row, 0, forms::intToText(i));
        forms::listSetCell(list, row, 1, pieces[i - 1]);
        // Keeps the window painting and answering while a long file loads; a
        // second drop handled here loads inside this one.
        support::pumpingWait(1);
        support::pumpIfInputPending();
    }
}

void onFileDropped(const char* path) {
    std::string copy(path ? path : "");
    loadCharacterFile(copy);
}

}  // namespace charlist
