// Entry of every test program: the process is set up as Pixnadel sets itself
// up (common controls, OLE on this thread), with no error dialogs.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    OleInitialize(nullptr);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    OleUninitialize();
    return result;
}
