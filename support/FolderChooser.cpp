#include "support/FolderChooser.h"

#include "forms/File.h"
#include "forms/Window.h"

namespace support {

namespace {

constexpr char kDefaultTitle[] = "请选择一个文件夹";
constexpr char kPathButtonTitle[] = "选择需要保存字模的路径!";
constexpr size_t kPathBufferSize = 512;

std::optional<std::string> initialFolderText;
BrowseFunction browseOverride = nullptr;

bool isLeadByte(unsigned char c) { return c >= 0x81; }

}  // namespace

const std::optional<std::string>& initialFolder() { return initialFolderText; }

bool releaseInitialFolder() {
    bool held = initialFolderText.has_value();
    initialFolderText.reset();
    return held;
}

BrowseFunction setBrowseFunction(BrowseFunction function) {
    BrowseFunction previous = browseOverride;
    browseOverride = function;
    return previous;
}

std::string trimFolderText(std::string_view text) {
    // Forwards, character by character: a trail byte may be 0xA1, so the end
    // cannot be found by reading backwards.
    size_t begin = text.size();
    size_t end = 0;
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t length = isLeadByte(c) && i + 1 < text.size() ? 2 : 1;
        bool space = length == 1 ? c == 0x20
                                 : c == 0xA1 && static_cast<unsigned char>(text[i + 1]) == 0xA1;
        if (!space) {
            if (begin == text.size())
                begin = i;
            end = i + length;
        }
        i += length;
    }
    return begin < end ? std::string(text.substr(begin, end - begin)) : std::string();
}

int CALLBACK onBrowseEvent(HWND dialog, UINT message, LPARAM /*param*/, LPARAM /*data*/) {
    if (message == BFFM_INITIALIZED && initialFolderText)
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initialFolderText->c_str()));
    return 1;
}

std::string chooseFolder(std::optional<std::string> title, std::optional<bool> includeFiles,
                         std::optional<std::string> initialFolder, std::optional<bool> editBox,
                         std::optional<bool> newDialogStyle, std::optional<HWND> owner) {
    std::string titleText = title.value_or(kDefaultTitle);
    BROWSEINFOA info{};
    info.hwndOwner = owner.value_or(nullptr);
    info.lpszTitle = titleText.c_str();
    if (editBox.value_or(false))
        info.ulFlags |= BIF_EDITBOX;
    if (newDialogStyle.value_or(true))
        info.ulFlags |= BIF_NEWDIALOGSTYLE;
    if (includeFiles.value_or(false))
        info.ulFlags |= BIF_BROWSEINCLUDEFILES;
    info.lpfn = &onBrowseEvent;

    std::string path(kPathBufferSize, ' ');
    initialFolderText = std::move(initialFolder);

    BrowseFunction browse = browseOverride ? browseOverride : &SHBrowseForFolderA;
    PIDLIST_ABSOLUTE item = browse(&info);
    if (!item)
        return {};  // cancelled
    bool hasPath = SHGetPathFromIDListA(item, path.data());
    CoTaskMemFree(item);
    if (!hasPath)
        return {};  // an item outside the file system, such as the computer node
    size_t nul = path.find('\0');
    if (nul != std::string::npos)
        path.resize(nul);
    return trimFolderText(path);
}

void onPathButtonClicked(HWND mainWindow, HWND pathBox) {
    std::string folder = chooseFolder(kPathButtonTitle, false, forms::runDirectory(), std::nullopt, true, mainWindow);
    // A "\" alone would send the export into the root of the current drive:
    // with no folder chosen the box keeps what it had.
    if (folder.empty())
        return;
    forms::windowSetText(pathBox, folder + "\\");
}

}  // namespace support
