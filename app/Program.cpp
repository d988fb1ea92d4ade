#include "app/Program.h"

#include "charlist/CharacterList.h"
#include "forms/MessageLoop.h"

#include <commctrl.h>
#include <ole2.h>

namespace app {

namespace {

MainWindow* g_mainWindow = nullptr;

void onMainWindowCreated() { charlist::characterListBind(g_mainWindow->超级列表框1); }

void onMainWindowDestroyed() { charlist::characterListBind(nullptr); }

}  // namespace

MainWindow* mainWindow() { return g_mainWindow; }

int runProgram() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    OleInitialize(nullptr);

    MainWindow main;
    g_mainWindow = &main;
    MainWindowEvents events;
    events.created = onMainWindowCreated;
    events.destroyed = onMainWindowDestroyed;
    int code = 1;
    if (main.load(events))
        code = forms::runMessageLoop();
    g_mainWindow = nullptr;
    OleUninitialize();
    return code;
}

}  // namespace app
