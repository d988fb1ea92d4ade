// Rows and cells of a report-view list view, from any thread.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace forms {

struct ListColumn {
    const char* title;
    int width;
    int format;  // LVCFMT_LEFT, LVCFMT_CENTER, ...
};

void listInsertColumn(HWND list, int index, const ListColumn& column);
void listClear(HWND list);
int listRowCount(HWND list);
// Appends an empty row; returns its index, or -1.
int listAppendRow(HWND list);
// Does nothing for a row that does not exist.
void listSetCell(HWND list, int row, int column, std::string_view text);
// The empty text for a row that does not exist.
std::string listGetCell(HWND list, int row, int column);
// Scrolls the row fully into view.
void listEnsureVisible(HWND list, int row);

}  // namespace forms
