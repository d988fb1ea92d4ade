#include "app/MainWindow.h"

#include "forms/EditBox.h"
#include "forms/ListView.h"
#include "forms/TransparentLabel.h"

#include <commctrl.h>

namespace app {

namespace {

const DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const DWORD kButtonStyle = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE | WS_TABSTOP;

HFONT guiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void setIcons(HWND window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    auto big = LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                          GetSystemMetrics(SM_CYICON), LR_SHARED);
    auto small = LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                            GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    if (!big)
        big = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION: a program without its icon resource
    if (!small)
        small = big;
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

}  // namespace

bool MainWindow::load(const MainWindowEvents& events) {
    events_ = events;
    return createForm({"Pixnadel", kMainStyle, 0, 245, 360, true});
}

void MainWindow::onCreate() {
    setIcons(window_);
    分组框1 = forms::controlCreate(window_, "BUTTON", "", BS_GROUPBOX | BS_LEFT, 0, 0, 0, 240, 336, kGroupId);
    createList();
    透明标签_路径 = forms::transparentLabelCreate(window_, "保存路径：", 8, 256, 56, 32);
    编辑框_路径 = forms::editBoxCreate(window_, "", ES_READONLY | WS_BORDER | WS_TABSTOP, 64, 258, 132, 22,
                                      kPathEditId, guiFont());
    按钮_路径 = forms::controlCreate(window_, "BUTTON", "...", kButtonStyle, 0, 200, 256, 32, 24, kPathButtonId);
    透明标签_高度 = forms::transparentLabelCreate(window_, "高度：", 8, 296, 40, 32);
    编辑框_高度 = forms::editBoxCreate(window_, "", WS_BORDER | WS_TABSTOP, 43, 298, 37, 25, kHeightEditId, guiFont(),
                                      forms::EditInput::DigitsAndMinus);
    透明标签_宽度 = forms::transparentLabelCreate(window_, "宽度：", 88, 296, 40, 32);
    编辑框_宽度 = forms::editBoxCreate(window_, "", WS_BORDER | WS_TABSTOP, 123, 298, 37, 25, kWidthEditId, guiFont(),
                                      forms::EditInput::DigitsAndMinus);
    按钮_执行 = forms::controlCreate(window_, "BUTTON", "开始执行", kButtonStyle, 0, 168, 294, 64, 29, kRunButtonId);
    // The group box encloses every other control: kept at the bottom of the
    // z-order so that it never covers them (they clip their siblings).
    SetWindowPos(分组框1, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (events_.created)
        events_.created();
}

void MainWindow::createList() {
    超级列表框1 = forms::controlCreate(window_, WC_LISTVIEWA, "",
                                       LVS_REPORT | LVS_SINGLESEL | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                                           WS_TABSTOP,
                                       0, 8, 16, 224, 232, kListId);
    SendMessageA(超级列表框1, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP);
    SendMessageA(超级列表框1, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageA(超级列表框1, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageA(超级列表框1, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    forms::listInsertColumn(超级列表框1, 0, {"序号", 50, LVCFMT_LEFT});
    forms::listInsertColumn(超级列表框1, 1, {"字符", 80, LVCFMT_CENTER});
    forms::listInsertColumn(超级列表框1, 2, {"状态", 80, LVCFMT_CENTER});
}

bool MainWindow::onCommand(int id, int code, HWND) {
    if (code != BN_CLICKED)
        return false;
    if (id == kPathButtonId && events_.pathClicked) {
        events_.pathClicked();
        return true;
    }
    if (id == kRunButtonId && events_.runClicked) {
        events_.runClicked();
        return true;
    }
    return false;
}

void MainWindow::onDestroy() {
    if (events_.destroyed)
        events_.destroyed();
}

}  // namespace app
