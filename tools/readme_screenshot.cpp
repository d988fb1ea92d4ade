// Makes the README's picture: the real main window holding the list of a
// sample text, captured as a BMP file.   readme_screenshot <text file> <out.bmp>
#include "app/MainWindow.h"
#include "charlist/CharacterList.h"
#include "export/WindowSnapshot.h"
#include "forms/File.h"
#include "forms/Window.h"
#include "support/PumpingWait.h"

#include <windows.h>
#include <commctrl.h>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    app::MainWindow window;
    if (!window.load({}))
        return 1;
    charlist::characterListBind(window.超级列表框1);
    charlist::loadCharacterFile(argv[1]);
    if (SendMessageA(window.超级列表框1, LVM_GETITEMCOUNT, 0, 0) == 0)
        return 3;
    forms::windowSetText(window.编辑框_路径, "C:\\glyphs\\");
    forms::windowSetText(window.编辑框_高度, "16");
    forms::windowSetText(window.编辑框_宽度, "16");
    support::pumpingWait(300);
    auto bmp = exportjob::captureWindowBitmap(window.handle(), 0, 0);
    return !bmp.empty() && forms::fileWriteAll(argv[2], bmp.data(), bmp.size()) ? 0 : 1;
}
