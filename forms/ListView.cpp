#include "forms/ListView.h"

#include <commctrl.h>

#include <vector>

namespace forms {

void listInsertColumn(HWND list, int index, const ListColumn& column) {
    LVCOLUMNA c{};
    c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    c.fmt = column.format;
    c.cx = column.width;
    c.pszText = const_cast<char*>(column.title);
    c.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&c));
}

void listClear(HWND list) { SendMessageA(list, LVM_DELETEALLITEMS, 0, 0); }

int listRowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

int listAppendRow(HWND list) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = listRowCount(list);
    item.pszText = const_cast<char*>("");
    return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void listSetCell(HWND list, int row, int column, std::string_view text) {
    std::string copy(text);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = copy.data();
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

std::string listGetCell(HWND list, int row, int column) {
    if (row < 0 || row >= listRowCount(list))
        return {};
    // LVM_GETITEMTEXT answers the number of bytes copied; grow until the text fits.
    for (int size = 64; size <= 65536; size *= 4) {
        std::vector<char> buffer(size);
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = size;
        auto got = static_cast<int>(SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        if (got < size - 2)
            return std::string(buffer.data(), got);
    }
    return {};
}

void listEnsureVisible(HWND list, int row) { SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE); }

}  // namespace forms
