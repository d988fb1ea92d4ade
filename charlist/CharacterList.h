// Loading a dropped text file into the character list: one row per character,
// numbered from 1.
#pragma once

#include <windows.h>

#include <string>

namespace charlist {

// The list view that holds the characters (the main window's list).
void characterListBind(HWND list);
HWND characterListWindow();

// Clears the list, reads the file (code page 936 text, cut at its first NUL),
// and appends one row per character, letting messages be processed after each
// row. A file that cannot be read leaves the list empty.
void loadCharacterFile(const std::string& path);

// The drop callback: loads the dropped file. `path` is borrowed for the call.
void onFileDropped(const char* path);

}  // namespace charlist
