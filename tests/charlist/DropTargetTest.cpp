#include "charlist/DropTarget.h"

#include "support_lib/TestUtil.h"
#include "forms/Handles.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using charlist::DropTarget;

namespace {

// What reached the window's own procedure, in order.
struct Received {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Received&) const = default;
};
std::vector<Received> received;

// Answers WM_APP + n with a value of its own, so a passed-on result can be told apart.
LRESULT answerForApp(UINT message) { return 0x5A00 + static_cast<LRESULT>(message - WM_APP); }

LRESULT CALLBACK previousProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({message, wParam, lParam});
    if (message >= WM_APP && message < WM_APP + 0x100)
        return answerForApp(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK otherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

bool receivedMessage(UINT message) {
    for (const auto& r : received)
        if (r.message == message)
            return true;
    return false;
}

constexpr char kClassName[] = "PixnadelDropTargetTest";

class TestWindow {
public:
    TestWindow() {
        static ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = previousProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kClassName;
            return RegisterClassA(&wc);
        }();
        EXPECT_NE(0, atom);
        window_ = CreateWindowExA(0, kClassName, "drop", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(nullptr, window_);
    }
    ~TestWindow() {
        if (IsWindow(window_))
            DestroyWindow(window_);
    }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

LONG_PTR procedureOf(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }
bool acceptsFiles(HWND window) { return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

// A drop as the shell makes it: DROPFILES followed by the ANSI names, each
// NUL-terminated, and one more NUL (two for an empty list).
forms::GlobalMemory makeDrop(const std::vector<std::string>& names) {
    size_t size = sizeof(DROPFILES) + 2;
    for (const auto& name : names)
        size += name.size() + 1;
    forms::GlobalMemory drop(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    EXPECT_TRUE(drop.valid());
    forms::GlobalLockScope lock(drop.get());
    auto* header = static_cast<DROPFILES*>(lock.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = FALSE;
    char* p = reinterpret_cast<char*>(header + 1);
    for (const auto& name : names) {
        std::memcpy(p, name.c_str(), name.size() + 1);
        p += name.size() + 1;
    }
    return drop;
}

// DragFinish frees the drop's memory: the handle is no longer valid.
bool isFreed(HGLOBAL drop) { return GlobalFlags(drop) == GMEM_INVALID_HANDLE && GlobalSize(drop) == 0; }

// The callback is a plain function; it reports to whatever the test put here.
std::vector<std::string> paths;
std::function<void(const char*)> onPath;
void recordPath(const char* path) {
    paths.push_back(path);
    if (onPath)
        onPath(path);
}
std::vector<std::string> otherPaths;
void recordOtherPath(const char* path) { otherPaths.push_back(path); }

class DropTargetTest : public testing::Test {
protected:
    void SetUp() override {
        received.clear();
        paths.clear();
        otherPaths.clear();
        onPath = nullptr;
    }
    void TearDown() override { onPath = nullptr; }

    // Sends or posts a drop of `names` to `window` and returns the drop handle
    // (invalid by then, if the drop was finished) and the message's result.
    std::pair<HGLOBAL, LRESULT> drop(HWND window, const std::vector<std::string>& names, bool post = false) {
        forms::GlobalMemory memory = makeDrop(names);
        HGLOBAL handle = memory.release();  // DragFinish frees it
        LRESULT result = -1;
        if (post) {
            EXPECT_TRUE(PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0));
            EXPECT_TRUE(testutil::pumpUntil([&] { return isFreed(handle); }, 5000)) << "posted drop never finished";
        } else {
            result = SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(handle), 0);
        }
        return {handle, result};
    }
};

TEST_F(DropTargetTest, ReportsEveryDroppedFileInOrderAndFinishesTheDropOnce) {
    struct Case {
        const char* name;
        bool post;
        std::vector<std::string> files;
    } cases[] = {
        {"three files, sent", false, {"C:\\texts\\a.txt", "C:\\文字\\字库 2.txt", "Z:\\tmp\\c"}},
        {"three files, posted", true, {"C:\\texts\\a.txt", "C:\\文字\\字库 2.txt", "Z:\\tmp\\c"}},
        {"one file", false, {"D:\\one.txt"}},
        // An empty list reads as one nameless file under Wine: no call for it.
        {"no file", false, {}},
    };
    TestWindow window;
    DropTarget target;
    target.attach(window.get(), recordPath);
    ASSERT_TRUE(target.attached());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        paths.clear();
        received.clear();
        std::vector<bool> liveDuringCallback;
        HGLOBAL current = nullptr;
        onPath = [&](const char*) { liveDuringCallback.push_back(!isFreed(current)); };
        forms::GlobalMemory memory = makeDrop(c.files);
        current = memory.release();
        LRESULT result = -1;
        if (c.post) {
            ASSERT_TRUE(PostMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(current), 0));
            ASSERT_TRUE(testutil::pumpUntil([&] { return isFreed(current); }, 5000));
        } else {
            result = SendMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(current), 0);
            EXPECT_EQ(0, result);
        }
        EXPECT_EQ(c.files, paths);
        EXPECT_EQ(std::vector<bool>(c.files.size(), true), liveDuringCallback) << "finished before the last file";
        EXPECT_TRUE(isFreed(current)) << "drop not finished";
        EXPECT_FALSE(receivedMessage(WM_DROPFILES)) << "drop passed on to the previous procedure";
    }
}

TEST_F(DropTargetTest, PassesEveryOtherMessageToThePreviousProcedure) {
    TestWindow window;
    DropTarget target;
    target.attach(window.get(), recordPath);
    ASSERT_TRUE(target.attached());
    received.clear();
    const Received sent[] = {
        {WM_APP + 1, 11, 22},
        {WM_APP + 7, static_cast<WPARAM>(-1), static_cast<LPARAM>(-2)},
        {WM_USER + 3, 0, 0},
        {WM_NULL, 5, 6},
    };
    for (const auto& m : sent) {
        LRESULT result = SendMessageA(window.get(), m.message, m.wParam, m.lParam);
        LRESULT expected = m.message >= WM_APP ? answerForApp(m.message) : 0;
        EXPECT_EQ(expected, result) << "message 0x" << std::hex << m.message;
    }
    EXPECT_EQ(std::vector<Received>(std::begin(sent), std::end(sent)), received);
    EXPECT_TRUE(paths.empty());
}

TEST_F(DropTargetTest, SecondAttachChangesNothing) {
    TestWindow first, second;
    LONG_PTR secondProcedure = procedureOf(second.get());
    DropTarget target;
    target.attach(first.get(), recordPath);
    LONG_PTR hooked = procedureOf(first.get());
    target.attach(second.get(), recordOtherPath);
    EXPECT_EQ(first.get(), target.hookedWindow());
    EXPECT_EQ(&recordPath, target.fileCallback());
    EXPECT_EQ(hooked, procedureOf(first.get()));
    EXPECT_EQ(secondProcedure, procedureOf(second.get()));
    EXPECT_FALSE(acceptsFiles(second.get()));
    drop(first.get(), {"C:\\a.txt"});
    EXPECT_EQ(std::vector<std::string>{"C:\\a.txt"}, paths);
    EXPECT_TRUE(otherPaths.empty());
}

TEST_F(DropTargetTest, DetachRestoresTheProcedureAndStopsAcceptingFiles) {
    TestWindow window;
    LONG_PTR original = procedureOf(window.get());
    ASSERT_FALSE(acceptsFiles(window.get()));
    DropTarget target;
    target.attach(window.get(), recordPath);
    EXPECT_NE(original, procedureOf(window.get()));
    EXPECT_TRUE(acceptsFiles(window.get()));
    EXPECT_EQ(original, reinterpret_cast<LONG_PTR>(target.previousProcedure()));

    target.detach();
    EXPECT_FALSE(target.attached());
    EXPECT_EQ(original, procedureOf(window.get()));
    EXPECT_FALSE(acceptsFiles(window.get()));
    // Recorded, not forgotten.
    EXPECT_EQ(window.get(), target.hookedWindow());
    EXPECT_EQ(&recordPath, target.fileCallback());

    // A drop now goes to the window's own procedure, which does not finish it.
    received.clear();
    auto [handle, result] = drop(window.get(), {"C:\\a.txt"});
    EXPECT_TRUE(paths.empty());
    EXPECT_TRUE(receivedMessage(WM_DROPFILES));
    EXPECT_FALSE(isFreed(handle));
    GlobalFree(handle);

    // And the target can be attached again.
    target.attach(window.get(), recordPath);
    ASSERT_TRUE(target.attached());
    drop(window.get(), {"C:\\b.txt"});
    EXPECT_EQ(std::vector<std::string>{"C:\\b.txt"}, paths);
}

TEST_F(DropTargetTest, DetachedTargetTouchesNoWindow) {
    {
        DropTarget never;
        never.destroy();
        never.detach();
        EXPECT_FALSE(never.attached());
        EXPECT_EQ(nullptr, never.hookedWindow());
    }
    // After a detach the window may be hooked by someone else; a second detach
    // (or destroy) must not put the old procedure back over that hook.
    TestWindow window;
    DropTarget target;
    target.attach(window.get(), recordPath);
    target.detach();
    SetWindowLongPtrA(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&otherProc));
    DragAcceptFiles(window.get(), TRUE);
    received.clear();
    target.detach();
    target.destroy();
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&otherProc), procedureOf(window.get()));
    EXPECT_TRUE(acceptsFiles(window.get()));
    SetWindowLongPtrA(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(target.previousProcedure()));
}

TEST_F(DropTargetTest, AttachThatCannotHookLeavesTargetDetachedAndWindowAsItWas) {
    TestWindow own;
    DropTarget owner;
    owner.attach(own.get(), recordOtherPath);
    ASSERT_TRUE(owner.attached());
    DWORD desktopProcess = 0;
    GetWindowThreadProcessId(GetDesktopWindow(), &desktopProcess);
    ASSERT_NE(GetCurrentProcessId(), desktopProcess) << "need a window of another process";
    struct Case {
        const char* name;
        HWND window;
    } cases[] = {
        {"no window", nullptr},
        {"stale handle", reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x7FFF0F10))},
        {"window of another process", GetDesktopWindow()},
        {"window hooked by another target", own.get()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool real = IsWindow(c.window);
        LONG_PTR procedure = real ? procedureOf(c.window) : 0;
        bool accepting = real && acceptsFiles(c.window);
        DropTarget target;
        target.attach(c.window, recordPath);
        EXPECT_FALSE(target.attached());
        EXPECT_EQ(nullptr, target.hookedWindow());
        if (real) {
            EXPECT_EQ(procedure, procedureOf(c.window));
            EXPECT_EQ(accepting, acceptsFiles(c.window));
        }
        target.destroy();
    }
    // The first target still has its window.
    otherPaths.clear();
    drop(own.get(), {"C:\\still.txt"});
    EXPECT_EQ(std::vector<std::string>{"C:\\still.txt"}, otherPaths);
    EXPECT_TRUE(paths.empty());
}

TEST_F(DropTargetTest, WindowDestroyedWhileAttachedUnhooksItself) {
    DropTarget target;
    {
        TestWindow window;
        target.attach(window.get(), recordPath);
        ASSERT_TRUE(target.attached());
        received.clear();
    }
    EXPECT_TRUE(receivedMessage(WM_NCDESTROY)) << "WM_NCDESTROY not passed on";
    EXPECT_FALSE(target.attached());
    target.detach();  // the handle is gone: nothing may be done with it
    target.destroy();

    TestWindow next;
    target.attach(next.get(), recordPath);
    ASSERT_TRUE(target.attached());
    drop(next.get(), {"C:\\next.txt"});
    EXPECT_EQ(std::vector<std::string>{"C:\\next.txt"}, paths);
}

TEST_F(DropTargetTest, LaterDropWhileTheCallbackPumpsIsHandledInsideTheFirst) {
    TestWindow window;
    DropTarget target;
    target.attach(window.get(), recordPath);
    ASSERT_TRUE(target.attached());

    HGLOBAL outer = nullptr;
    HGLOBAL inner = nullptr;
    std::vector<const char*> buffers;
    bool outerBufferKept = false;
    bool outerLiveAfterInner = false;
    onPath = [&](const char* path) {
        buffers.push_back(path);
        if (paths.size() != 1)
            return;
        // The first file of the first drop: a second drop arrives while this
        // callback pumps, as the list loader does.
        std::string mine = path;
        forms::GlobalMemory memory = makeDrop({"E:\\inner1.txt", "E:\\inner2.txt"});
        inner = memory.release();
        PostMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(inner), 0);
        EXPECT_TRUE(testutil::pumpUntil([&] { return isFreed(inner); }, 5000)) << "inner drop not handled";
        outerBufferKept = mine == path;
        outerLiveAfterInner = !isFreed(outer);
    };
    forms::GlobalMemory memory = makeDrop({"D:\\outer1.txt", "D:\\outer2.txt", "D:\\outer3.txt"});
    outer = memory.release();
    EXPECT_EQ(0, SendMessageA(window.get(), WM_DROPFILES, reinterpret_cast<WPARAM>(outer), 0));

    std::vector<std::string> expected{"D:\\outer1.txt", "E:\\inner1.txt", "E:\\inner2.txt", "D:\\outer2.txt",
                                      "D:\\outer3.txt"};
    EXPECT_EQ(expected, paths);
    ASSERT_EQ(5u, buffers.size());
    EXPECT_NE(buffers[0], buffers[1]) << "inner drop wrote into the outer drop's buffer";
    EXPECT_TRUE(outerBufferKept) << "outer name changed while the inner drop ran";
    EXPECT_TRUE(outerLiveAfterInner) << "outer drop finished by the inner one";
    EXPECT_TRUE(isFreed(outer));
    EXPECT_TRUE(isFreed(inner));
}

TEST_F(DropTargetTest, LongNamesArriveCutTo999Bytes) {
    TestWindow window;
    DropTarget target;
    target.attach(window.get(), recordPath);
    const size_t lengths[] = {998, 999, 1000, 1500};
    std::vector<std::string> names, expected;
    for (size_t length : lengths) {
        std::string name = "C:\\" + std::string(length - 3, static_cast<char>('a' + names.size()));
        names.push_back(name);
        expected.push_back(name.substr(0, 999));
    }
    drop(window.get(), names);
    EXPECT_EQ(expected, paths);
}

// Records the message-filter calls and makes them for real as well.
std::vector<std::pair<UINT, DWORD>> filterCalls;
BOOL WINAPI recordingFilter(UINT message, DWORD action) {
    filterCalls.emplace_back(message, action);
    auto real = reinterpret_cast<charlist::MessageFilterFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter")));
    return real ? real(message, action) : FALSE;
}

TEST_F(DropTargetTest, LetsTheDropMessagesThroughTheMessageFilter) {
    ASSERT_NE(nullptr, GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter"));
    filterCalls.clear();
    auto previous = charlist::setMessageFilterFunction(recordingFilter);
    TestWindow window;
    DropTarget target;
    target.attach(window.get(), recordPath);
    target.detach();
    DropTarget failing;
    failing.attach(nullptr, recordPath);  // no window hooked: no filter opened
    charlist::setMessageFilterFunction(previous);
    const DWORD add = 1;  // MSGFLT_ADD
    std::vector<std::pair<UINT, DWORD>> expected{{0x0233, add}, {0x004A, add}, {0x0049, add}};
    EXPECT_EQ(expected, filterCalls);
}

}  // namespace
