#include "driver/ProgramDriver.h"
#include "forms/Clock.h"

#include "app/Program.h"
#include "forms/ListView.h"
#include "forms/Window.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

namespace harness {

double nowMs() { return forms::clockNowMs(); }

namespace {
std::mutex g_boxesLock;
std::vector<std::string> g_boxesShown;
std::set<HWND> g_boxesReported;
}  // namespace

HWND Driver::mainWindow() const {
    app::MainWindow* main = app::mainWindow();
    return main ? main->handle() : nullptr;
}
// Null handles once the program has ended: messages to them just fail.
HWND Driver::list() const { return app::mainWindow() ? app::mainWindow()->超级列表框1 : nullptr; }
HWND Driver::pathBox() const { return app::mainWindow() ? app::mainWindow()->编辑框_路径 : nullptr; }
HWND Driver::heightBox() const { return app::mainWindow() ? app::mainWindow()->编辑框_高度 : nullptr; }
HWND Driver::widthBox() const { return app::mainWindow() ? app::mainWindow()->编辑框_宽度 : nullptr; }
HWND Driver::runButton() const { return app::mainWindow() ? app::mainWindow()->按钮_执行 : nullptr; }

void Driver::drop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES);
    for (const auto& p : paths)
        size += p.size() + 1;
    size += 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    char* names = reinterpret_cast<char*>(files) + sizeof(DROPFILES);
    for (const auto& p : paths) {
        memcpy(names, p.c_str(), p.size() + 1);
        names += p.size() + 1;
    }
    GlobalUnlock(memory);
    PostMessageA(mainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void Driver::setText(HWND control, const std::string& text) { forms::windowSetText(control, text); }
std::string Driver::text(HWND control) { return forms::windowGetText(control); }
void Driver::click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }
int Driver::rowCount() { return forms::listRowCount(list()); }
std::string Driver::cell(int row, int column) { return forms::listGetCell(list(), row, column); }

namespace {
struct BoxSearch {
    std::vector<HWND> found;
};
BOOL CALLBACK findBoxes(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = {}, caption[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    GetWindowTextA(window, caption, sizeof caption);
    if (pid == GetCurrentProcessId() && strcmp(cls, "#32770") == 0 && strcmp(caption, "信息：") == 0 &&
        IsWindowVisible(window))
        reinterpret_cast<BoxSearch*>(param)->found.push_back(window);
    return TRUE;
}
}  // namespace

MessageBoxSeen Driver::waitMessageBox(DWORD timeoutMs) {
    MessageBoxSeen seen;
    waitUntil(
        [&] {
            BoxSearch search;
            EnumWindows(findBoxes, reinterpret_cast<LPARAM>(&search));
            std::lock_guard<std::mutex> lock(g_boxesLock);
            for (HWND box : search.found) {
                if (g_boxesReported.count(box))
                    continue;
                char text[256] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                if (!text[0])
                    continue;  // not filled in yet
                g_boxesReported.insert(box);
                seen.window = box;
                seen.caption = "信息：";
                seen.text = text;
                // The box's icon control shows the stop sign (IDI_HAND) for
                // MB_ICONERROR; it is hidden or empty for MB_OK.
                seen.errorIcon = false;
                HWND icon = GetDlgItem(box, 0x14);  // Windows
                if (!icon)
                    icon = GetDlgItem(box, 0x440);  // Wine
                if (icon && IsWindowVisible(icon)) {
                    auto shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
                    seen.errorIcon = shown && (shown == LoadIconA(nullptr, MAKEINTRESOURCEA(32513)) ||
                                               shown == LoadIconW(nullptr, MAKEINTRESOURCEW(32513)));
                    if (shown && !seen.errorIcon)
                        std::fprintf(stderr, "driver: message box icon %p is not the stop sign\n",
                                     static_cast<void*>(shown));
                }
                seen.shownAtMs = nowMs();
                g_boxesShown.push_back(text);
                return true;
            }
            return false;
        },
        timeoutMs);
    return seen;
}

void Driver::dismiss(const MessageBoxSeen& box) {
    if (box.window)
        PostMessageA(box.window, WM_COMMAND, IDOK, 0);
}

std::vector<std::string> Driver::boxesShown() {
    std::lock_guard<std::mutex> lock(g_boxesLock);
    return g_boxesShown;
}

bool Driver::waitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    double end = nowMs() + timeoutMs;
    for (;;) {
        if (done())
            return true;
        if (nowMs() >= end)
            return false;
        Sleep(5);
    }
}

namespace {
BOOL CALLBACK findForms(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && strcmp(cls, "PixnadelForm") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> Driver::renderWindows() {
    std::vector<HWND> forms_, result;
    EnumWindows(findForms, reinterpret_cast<LPARAM>(&forms_));
    for (HWND h : forms_)
        if (h != mainWindow())
            result.push_back(h);
    return result;
}

void Driver::closeMainWindow() {
    if (HWND h = mainWindow())
        PostMessageA(h, WM_CLOSE, 0, 0);
}

int runProgramWith(const std::function<void(Driver&)>& script) {
    {
        std::lock_guard<std::mutex> lock(g_boxesLock);
        g_boxesShown.clear();
    }
    // A quit left in this thread's queue by an earlier window would end the program at once.
    MSG stale;
    while (PeekMessageA(&stale, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    Driver driver;
    std::thread thread([&] {
        if (driver.waitUntil([&] { return driver.mainWindow() && IsWindowVisible(driver.mainWindow()); }, 10000))
            script(driver);
        else
            std::fprintf(stderr, "driver: the main window did not appear\n");
        // Whatever the script left open: boxes answered, the window closed.
        for (;;) {
            MessageBoxSeen box = driver.waitMessageBox(0);
            if (!box.window)
                break;
            driver.dismiss(box);
        }
        driver.closeMainWindow();
    });
    int result = app::runProgram();
    thread.join();
    return result;
}

}  // namespace harness
