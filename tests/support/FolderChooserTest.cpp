#include "support/FolderChooser.h"

#include "forms/File.h"
#include "forms/Handles.h"
#include "forms/Window.h"
#include "support_lib/TestUtil.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

TEST(TrimFolderText, RemovesSingleAndDoubleByteSpacesAtBothEnds) {
    struct Case {
        const char* text;
        const char* trimmed;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"\xA1\xA1 \xA1\xA1", ""},
        {"C:\\out", "C:\\out"},
        {"  C:\\out  ", "C:\\out"},
        {"\xA1\xA1" "C:\\out" "\xA1\xA1\xA1\xA1", "C:\\out"},
        {" \xA1\xA1 C:\\a b\xA1\xA1x ", "C:\\a b\xA1\xA1x"},   // inner spaces stay
        {"\tC:\\out\r\n", "\tC:\\out\r\n"},                        // only spaces are trimmed
        {"C:\\\xD7\xD6\xBF\xE2 ", "C:\\\xD7\xD6\xBF\xE2"},          // "字库" then a space
        {"C:\\\xB0\xA1\xA1\xA1", "C:\\\xB0\xA1"},                   // "啊" then a double-byte space
        // "帧" ends in the trail byte 0xA1; the lone 0xA1 after it is no space.
        {"C:\\\xD6\xA1\xA1", "C:\\\xD6\xA1\xA1"},
        {"\xA1 x", "\xA1 x"},                                       // 0xA1 0x20 is one character, not a space
        {"x \xA1", "x \xA1"},                                       // a lone lead byte at the end stays
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.trimmed, support::trimFolderText(c.text)) << "text \"" << c.text << "\"";
}

// What chooseFolder handed to the browser.
struct BrowseRecord {
    int calls = 0;
    std::vector<std::string> selections;  // as the browser reported them, in order
    HWND owner = nullptr;
    bool rootGiven = false;
    bool displayNameGiven = false;
    std::string title;
    UINT flags = 0;
    BFFCALLBACK callback = nullptr;
    LPARAM data = 0;
};
BrowseRecord browseRecord;

// Sits between the browser and chooseFolder's callback, noting every
// selection the browser reports.
int CALLBACK recordingCallback(HWND dialog, UINT message, LPARAM param, LPARAM data) {
    if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH * 2] = {};
        if (!param || !SHGetPathFromIDListA(reinterpret_cast<PCIDLIST_ABSOLUTE>(param), path))
            path[0] = 0;
        browseRecord.selections.push_back(path);
    }
    return browseRecord.callback ? browseRecord.callback(dialog, message, param, data) : 0;
}

PIDLIST_ABSOLUTE WINAPI recordingBrowse(LPBROWSEINFOA info) {
    browseRecord.calls++;
    browseRecord.owner = info->hwndOwner;
    browseRecord.rootGiven = info->pidlRoot != nullptr;
    browseRecord.displayNameGiven = info->pszDisplayName != nullptr;
    browseRecord.title = info->lpszTitle ? info->lpszTitle : "(none)";
    browseRecord.flags = info->ulFlags;
    browseRecord.callback = info->lpfn;
    browseRecord.data = info->lParam;
    BROWSEINFOA watched = *info;
    watched.lpfn = recordingCallback;
    return SHBrowseForFolderA(&watched);
}

struct Child {
    std::string className;
    std::string text;
    int id;
    bool visible;
};

// What the user does in the browser, from a thread of its own while the test's
// thread runs the modal browser.
struct BrowserUser {
    enum class Press { Ok, Cancel };
    Press press = Press::Cancel;
    // Run on the browser, before the press; e.g. selects another item.
    std::function<void(HWND dialog)> select;

    // Found on the way.
    HWND dialog = nullptr;
    HWND owner = nullptr;
    LONG_PTR style = 0;
    std::vector<Child> children;
    std::string failure;

    DWORD uiThread = 0;
    HANDLE thread = nullptr;

    bool hasChildText(const std::string& text) const {
        for (const auto& c : children)
            if (c.text == text)
                return true;
        return false;
    }
    bool hasVisibleChild(const std::string& className) const {
        for (const auto& c : children)
            if (c.visible && _stricmp(c.className.c_str(), className.c_str()) == 0)
                return true;
        return false;
    }
    std::string describe() const {
        std::string all;
        for (const auto& c : children)
            all += c.className + " #" + std::to_string(c.id) + (c.visible ? "" : " (hidden)") + " \"" + c.text + "\"\n";
        return all;
    }

    // The browser: a visible dialog of the test's thread.
    static BOOL CALLBACK testDialog(HWND window, LPARAM param) {
        auto* self = reinterpret_cast<BrowserUser*>(param);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (GetWindowThreadProcessId(window, nullptr) == self->uiThread && IsWindowVisible(window) &&
            std::string(className) == "#32770") {
            self->dialog = window;
            return FALSE;
        }
        return TRUE;
    }

    void findDialog() {
        double end = testutil::nowMs() + 20000;
        while (!dialog && testutil::nowMs() < end) {
            EnumWindows(testDialog, reinterpret_cast<LPARAM>(this));
            if (!dialog)
                Sleep(20);
        }
    }

    static BOOL CALLBACK addChild(HWND window, LPARAM param) {
        auto* self = reinterpret_cast<BrowserUser*>(param);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        char text[600] = {};
        // A sent WM_GETTEXT: the test's thread answers it from the browser's loop.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000,
                            &ignored);
        self->children.push_back({className, text, GetDlgCtrlID(window), IsWindowVisible(window) != FALSE});
        return TRUE;
    }

    void run() {
        findDialog();
        if (!dialog) {
            failure = "no browser appeared";
            return;
        }
        Sleep(200);  // let the browser settle on its first selection
        owner = GetWindow(dialog, GW_OWNER);
        style = GetWindowLongPtrA(dialog, GWL_STYLE);
        EnumChildWindows(dialog, addChild, reinterpret_cast<LPARAM>(this));
        if (select)
            select(dialog);
        int id = press == Press::Ok ? IDOK : IDCANCEL;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        // The test's thread is inside the browser until it closes: never leave it there.
        double end = testutil::nowMs() + 15000;
        while (IsWindow(dialog) && testutil::nowMs() < end)
            Sleep(20);
        if (IsWindow(dialog)) {
            failure = "the browser did not close";
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        }
    }

    static DWORD WINAPI entry(LPVOID param) {
        CoInitialize(nullptr);
        static_cast<BrowserUser*>(param)->run();
        CoUninitialize();
        return 0;
    }

    void start() {
        uiThread = GetCurrentThreadId();
        thread = CreateThread(nullptr, 0, entry, this, 0, nullptr);
        ASSERT_NE(nullptr, thread);
    }
    // Pumps while waiting: the user's thread sends to this one.
    void finish() {
        forms::UniqueHandle owned(thread);
        EXPECT_TRUE(testutil::pumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 30000))
            << "the browser user's thread did not end";
        EXPECT_EQ("", failure);
    }
};

// Selects a folder by its path, as a click in the tree would.
std::function<void(HWND)> selectPath(std::string path) {
    return [path](HWND dialog) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL,
                            5000, &ignored);
        Sleep(100);
    };
}

// Selects a namespace item by its folder id, e.g. the computer node.
std::function<void(HWND)> selectSpecial(int csidl) {
    return [csidl](HWND dialog) {
        PIDLIST_ABSOLUTE item = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &item)) || !item) {
            ADD_FAILURE() << "no item for folder id " << csidl;
            return;
        }
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(dialog, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(item), SMTO_NORMAL, 5000,
                            &ignored);
        CoTaskMemFree(item);
        Sleep(100);
    };
}

// Selection requests that reached a window of the test's thread.
struct SelectionRequest {
    HWND window;
    std::string path;
};
std::vector<SelectionRequest> selectionRequests;

LRESULT CALLBACK watchSelectionRequests(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == BFFM_SETSELECTIONA)
        selectionRequests.push_back(
            {sent->hwnd, sent->wParam && sent->lParam ? reinterpret_cast<const char*>(sent->lParam) : "(item)"});
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class FolderChooserTest : public testing::Test {
protected:
    void SetUp() override {
        browseRecord = {};
        selectionRequests.clear();
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, watchSelectionRequests, nullptr, GetCurrentThreadId());
        ASSERT_NE(nullptr, hook_);
        previousBrowse_ = support::setBrowseFunction(recordingBrowse);
        main_ = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400, 120, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, main_);
        pathBox_ = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, 10, 10, 360,
                                   24, main_, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, pathBox_);
        testutil::pumpFor(50);
    }
    void TearDown() override {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        support::setBrowseFunction(previousBrowse_);
        if (main_)
            DestroyWindow(main_);
    }

    // Presses the "..." button while `user` works the browser.
    void pressPathButton(BrowserUser& user) {
        user.start();
        support::onPathButtonClicked(main_, pathBox_);
        user.finish();
    }

    HHOOK hook_ = nullptr;
    HWND main_ = nullptr;
    HWND pathBox_ = nullptr;
    support::BrowseFunction previousBrowse_ = nullptr;
};

TEST_F(FolderChooserTest, PathButtonOpensOnTheRunDirectoryAndOkWritesItWithABackslash) {
    BrowserUser user;
    user.press = BrowserUser::Press::Ok;
    pressPathButton(user);

    EXPECT_EQ(1, browseRecord.calls);
    EXPECT_EQ("选择需要保存字模的路径!", browseRecord.title);
    EXPECT_EQ(static_cast<UINT>(BIF_NEWDIALOGSTYLE), browseRecord.flags);
    EXPECT_EQ(main_, browseRecord.owner);
    EXPECT_FALSE(browseRecord.rootGiven);
    EXPECT_FALSE(browseRecord.displayNameGiven);
    EXPECT_EQ(&support::onBrowseEvent, browseRecord.callback);
    EXPECT_EQ(0, browseRecord.data);

    EXPECT_TRUE(user.hasChildText("选择需要保存字模的路径!")) << user.describe();
    EXPECT_EQ(main_, user.owner);
    // Wine honours the new style with a resizable frame and a "new folder" button.
    EXPECT_NE(0, user.style & WS_THICKFRAME) << "new style browser is resizable";
    EXPECT_FALSE(user.hasVisibleChild("Edit")) << user.describe();

    // The browser was asked to open on the run directory...
    std::string run = forms::runDirectory();
    ASSERT_FALSE(run.empty());
    ASSERT_FALSE(selectionRequests.empty());
    EXPECT_EQ(user.dialog, selectionRequests[0].window);
    EXPECT_EQ(run, selectionRequests[0].path);
    ASSERT_TRUE(support::initialFolder().has_value());
    EXPECT_EQ(run, *support::initialFolder());
    // ...and OK wrote what it had selected. Wine now and then fails to find a
    // folder on its first look-up in a process (it keeps the desktop selected).
    ASSERT_FALSE(browseRecord.selections.empty());
    const std::string& selected = browseRecord.selections.back();
    if (selected != run)
        std::printf("note: Wine's browser selected \"%s\" instead of \"%s\"\n", selected.c_str(), run.c_str());
    EXPECT_EQ(selected.empty() ? "" : selected + "\\", forms::windowGetText(pathBox_));

    EXPECT_TRUE(support::releaseInitialFolder());
    EXPECT_FALSE(support::initialFolder().has_value());
    EXPECT_FALSE(support::releaseInitialFolder());
}

TEST_F(FolderChooserTest, NoFolderChosenLeavesTheBoxAsItWas) {
    struct Case {
        const char* name;
        const char* before;
        BrowserUser::Press press;
        int special;  // item selected before the press, or -1
    } cases[] = {
        {"cancel, empty box", "", BrowserUser::Press::Cancel, -1},
        {"cancel, earlier path", "D:\\earlier\\", BrowserUser::Press::Cancel, -1},
        {"computer node, empty box", "", BrowserUser::Press::Ok, CSIDL_DRIVES},
        {"computer node, earlier path", "D:\\earlier\\", BrowserUser::Press::Ok, CSIDL_DRIVES},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        forms::windowSetText(pathBox_, c.before);
        BrowserUser user;
        user.press = c.press;
        if (c.special >= 0)
            user.select = selectSpecial(c.special);
        pressPathButton(user);
        EXPECT_EQ(c.before, forms::windowGetText(pathBox_));
    }
}

TEST_F(FolderChooserTest, DriveRootGetsASecondBackslash) {
    BrowserUser user;
    user.press = BrowserUser::Press::Ok;
    user.select = selectPath("C:\\");
    pressPathButton(user);
    EXPECT_EQ("C:\\\\", forms::windowGetText(pathBox_));
}

TEST_F(FolderChooserTest, OmittedArgumentsTakeTheirDefaults) {
    support::releaseInitialFolder();
    BrowserUser user;
    user.start();
    std::string chosen = support::chooseFolder(std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                               std::nullopt);
    user.finish();
    EXPECT_EQ("", chosen);
    EXPECT_EQ("请选择一个文件夹", browseRecord.title);
    EXPECT_EQ(static_cast<UINT>(BIF_NEWDIALOGSTYLE), browseRecord.flags);
    EXPECT_EQ(nullptr, browseRecord.owner);
    EXPECT_TRUE(user.hasChildText("请选择一个文件夹")) << user.describe();
    EXPECT_FALSE(support::initialFolder().has_value());
    EXPECT_TRUE(selectionRequests.empty()) << "no initial folder, no selection asked for";
}

TEST_F(FolderChooserTest, FlagsFollowTheArguments) {
    // Wine shows an edit box only in the new style.
    struct Case {
        bool editBox, includeFiles, newStyle;
        UINT flags;
    } cases[] = {
        {true, true, true, BIF_EDITBOX | BIF_BROWSEINCLUDEFILES | BIF_NEWDIALOGSTYLE},
        {false, false, false, 0},
    };
    char windows[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, sizeof windows));
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "flags " << c.flags);
        browseRecord = {};
        BrowserUser user;
        user.press = BrowserUser::Press::Ok;
        user.start();
        std::string chosen = support::chooseFolder("title", c.includeFiles, windows, c.editBox, c.newStyle, main_);
        user.finish();
        EXPECT_EQ(c.flags, browseRecord.flags);
        EXPECT_EQ(c.editBox, user.hasVisibleChild("Edit")) << user.describe();
        EXPECT_EQ(c.newStyle, (user.style & WS_THICKFRAME) != 0);
        ASSERT_FALSE(browseRecord.selections.empty());
        EXPECT_EQ(browseRecord.selections.back(), chosen);
    }
}

}  // namespace
