// The output-folder chooser: the shell's folder browser behind the "..."
// button, which fills the read-only path box of the main window.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <string_view>

namespace support {

// Click of the "..." button: browses from the run directory and writes the
// chosen folder plus "\" into `pathBox`. A cancelled browser, or an item with
// no file-system path, leaves the box as it was.
void onPathButtonClicked(HWND mainWindow, HWND pathBox);

// Shows the folder browser, modal to `owner`, and returns the chosen folder's
// file-system path, trimmed; empty when cancelled or when the item has no
// such path. Defaults: title "请选择一个文件夹", no files, no edit box, new
// dialog style, no owner; with no initial folder the browser opens where it likes.
std::string chooseFolder(std::optional<std::string> title, std::optional<bool> includeFiles,
                         std::optional<std::string> initialFolder, std::optional<bool> editBox,
                         std::optional<bool> newDialogStyle, std::optional<HWND> owner);

// The browser's callback: selects the initial folder when the browser opens.
int CALLBACK onBrowseEvent(HWND dialog, UINT message, LPARAM param, LPARAM data);

// The folder the browser opens on, as the last chooseFolder set it; none
// before the first use and after release.
const std::optional<std::string>& initialFolder();
// For the exit routine. Returns whether there was a folder to release.
bool releaseInitialFolder();

// Removes leading and trailing spaces, single-byte (0x20) and double-byte
// (0xA1 0xA1), reading the text as GBK so no character is cut in two.
std::string trimFolderText(std::string_view text);

// SHBrowseForFolderA, or a replacement for tests. Returns the previous one;
// nullptr restores the system's.
using BrowseFunction = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOA info);
BrowseFunction setBrowseFunction(BrowseFunction function);

}  // namespace support
