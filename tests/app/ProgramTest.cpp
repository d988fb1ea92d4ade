// The program starts and ends by itself: pool and drop target before the main
// window, drops reaching the list, the ordered exit, and a prompt end even
// while workers are alive.
#include "driver/ProgramDriver.h"

#include "app/Program.h"
#include "charlist/DropTarget.h"
#include "pool/WorkerPool.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_releases;
void recordRelease(const char* step) { g_releases.push_back(step); }

struct ProgramTest : testing::Test {
    void SetUp() override {
        g_releases.clear();
        app::programOnRelease = recordRelease;
    }
    void TearDown() override { app::programOnRelease = nullptr; }
    testutil::TempDir dir;
};

TEST_F(ProgramTest, StartsCentredWithAStoppedPoolAndLoadsDroppedFiles) {
    testutil::writeFile(dir.file("one.txt"), "abc");
    testutil::writeFile(dir.file("two.txt"), "\xD7\xD6\xC4\xA3");  // 字模
    int result = harness::runProgramWith([&](harness::Driver& d) {
        RECT r;
        GetWindowRect(d.mainWindow(), &r);
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 245) / 2, r.left);
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 360) / 2, r.top);
        ASSERT_NE(nullptr, app::programPool());
        EXPECT_EQ(pool::PoolState::Stopped, app::programPool()->state());
        EXPECT_EQ(0, app::programPool()->liveCount());
        ASSERT_NE(nullptr, app::programDropTarget());
        EXPECT_TRUE(app::programDropTarget()->attached());
        EXPECT_EQ(d.mainWindow(), app::programDropTarget()->hookedWindow());
        EXPECT_TRUE(GetWindowLongA(d.mainWindow(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

        // Two files in one drop: loaded in turn, the last one stays.
        d.drop({dir.file("one.txt"), dir.file("two.txt")});
        EXPECT_TRUE(d.waitUntil([&] { return d.rowCount() == 2 && d.cell(1, 1) == "\xC4\xA3"; }, 5000));
        EXPECT_EQ("1", d.cell(0, 0));
        EXPECT_EQ("\xD7\xD6", d.cell(0, 1));
        EXPECT_TRUE(g_releases.empty());
    });
    EXPECT_EQ(0, result);
    // Released once each, in order; the folder chooser was never used.
    EXPECT_EQ((std::vector<std::string>{"pool", "dropTarget"}), g_releases);
    EXPECT_EQ(nullptr, app::programPool());
    EXPECT_EQ(nullptr, app::mainWindow());
}

TEST_F(ProgramTest, EndsPromptlyWhenClosedWhileWorkersAreAlive) {
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "\xB0\xA1";
    testutil::writeFile(dir.file("many.txt"), text);
    double closedAt = 0;
    int result = harness::runProgramWith([&](harness::Driver& d) {
        d.drop({dir.file("many.txt")});
        ASSERT_TRUE(d.waitUntil([&] { return d.rowCount() == 30; }, 10000));
        d.setText(d.pathBox(), dir.path());
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return app::programPool()->liveCount() == 20; }, 5000))
            << "the export did not start its 20 workers";
        closedAt = harness::nowMs();
        d.closeMainWindow();
    });
    double endedAfter = harness::nowMs() - closedAt;
    EXPECT_EQ(0, result);
    EXPECT_LT(endedAfter, 2000) << "the start routine took " << endedAfter << " ms to end";
    EXPECT_EQ((std::vector<std::string>{"pool", "dropTarget"}), g_releases);
}

// A visible dialog of this process other than a message box: the folder browser.
BOOL CALLBACK findBrowser(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = {}, caption[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, caption, sizeof caption);
    if (pid == GetCurrentProcessId() && strcmp(cls, "#32770") == 0 && strcmp(caption, "信息：") != 0 &&
        IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

TEST_F(ProgramTest, TheFolderButtonOpensTheBrowserAndTheExitReleasesItsFolder) {
    int result = harness::runProgramWith([&](harness::Driver& d) {
        d.setText(d.pathBox(), "C:\\kept\\");
        d.click(app::mainWindow()->按钮_路径);
        HWND browser = nullptr;
        ASSERT_TRUE(d.waitUntil(
            [&] {
                EnumWindows(findBrowser, reinterpret_cast<LPARAM>(&browser));
                return browser != nullptr;
            },
            20000))
            << "no folder browser";
        EXPECT_EQ(d.mainWindow(), GetWindow(browser, GW_OWNER));
        Sleep(200);
        PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        EXPECT_TRUE(d.waitUntil([&] { return !IsWindow(browser); }, 15000));
        // Cancelled: the box keeps what it held.
        EXPECT_EQ("C:\\kept\\", d.text(d.pathBox()));
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ((std::vector<std::string>{"pool", "initialFolder", "dropTarget"}), g_releases);
}

// The real program as its own process: shown, closed, ended with code 0 within 2 s.
BOOL CALLBACK findWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char caption[32] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (pid == search->first && strcmp(caption, "Pixnadel") == 0 && IsWindowVisible(window)) {
        search->second = window;
        return FALSE;
    }
    return TRUE;
}

TEST(ProgramProcess, EndsWithCodeZeroWhenItsWindowCloses) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string exe(self);
    exe = exe.substr(0, exe.find_last_of('\\'));  // ...\tests
    exe = exe.substr(0, exe.find_last_of('\\')) + "\\Pixnadel.exe";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) << exe;
    std::pair<DWORD, HWND> search{pi.dwProcessId, nullptr};
    double end = harness::nowMs() + 15000;
    while (!search.second && harness::nowMs() < end) {
        Sleep(50);
        EnumWindows(findWindowOf, reinterpret_cast<LPARAM>(&search));
    }
    ASSERT_NE(nullptr, search.second) << "Pixnadel showed no window";
    RECT r;
    GetWindowRect(search.second, &r);
    EXPECT_EQ(245, r.right - r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 245) / 2, r.left);
    PostMessageA(search.second, WM_CLOSE, 0, 0);
    DWORD waited = WaitForSingleObject(pi.hProcess, 2000);
    EXPECT_EQ(WAIT_OBJECT_0, waited) << "still running 2 s after its window was closed";
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 99);
    DWORD code = 1234;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace
