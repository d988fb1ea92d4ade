// The cost of one glyph as an export makes it: exportGlyph on a worker thread
// against the real main and render windows, the user-interface thread pumping
// (set text, repaint, capture, scale, encode, write, mark). 2,000 GB2312
// characters at 80 x 80 and scaled to 16 x 16. Prints wall and CPU time per
// glyph; scripts/bench-glyph.sh sets these beside the Pillow peer. Also the
// bare pipeline (set text, repaint, capture, encode, write: no list cell read,
// no size boxes, no marking, no scrolling) on a worker thread and on the
// window's own thread, where no message crosses threads.
//   glyph_bench <output folder ending in \> [count=2000]
#include "app/MainWindow.h"
#include "forms/Clock.h"
#include "app/RenderWindow.h"
#include "export/GlyphFile.h"
#include "export/GlyphTask.h"
#include "export/WindowSnapshot.h"
#include "forms/ListView.h"
#include "forms/Window.h"
#include "support/PumpingWait.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr auto nowMs = forms::clockNowMs;

double processCpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) { return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

// GB2312 hanzi in code order: rows B0..F7, cells A1..FE; row D7 ends at F9.
std::vector<std::string> gb2312Characters(size_t count) {
    std::vector<std::string> characters;
    for (int row = 0xB0; row <= 0xF7 && characters.size() < count; ++row)
        for (int cell = 0xA1; cell <= 0xFE && characters.size() < count; ++cell) {
            if (row == 0xD7 && cell >= 0xFA)
                continue;
            characters.push_back({static_cast<char>(row), static_cast<char>(cell)});
        }
    return characters;
}

struct Run {
    int count = 0;
    bool barePipeline = false;
    const std::vector<std::string>* characters = nullptr;
    HWND edit = nullptr;
    std::string folder;
    int32_t size = 0;
    volatile LONG done = 0;
};

void barePipeline(const Run& run) {
    for (const std::string& c : *run.characters) {
        forms::windowSetText(run.edit, c);
        RedrawWindow(run.edit, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        exportjob::glyphFileWrite(run.folder + c + ".bmp", exportjob::captureWindowBitmap(run.edit, run.size, run.size));
    }
}

DWORD WINAPI worker(void* parameter) {
    auto* run = static_cast<Run*>(parameter);
    if (run->barePipeline)
        barePipeline(*run);
    else
        for (int row = 1; row <= run->count; ++row)
            exportjob::exportGlyph(row, 0);
    InterlockedExchange(&run->done, 1);
    return 0;
}

struct Figures {
    double wallMs, cpuMs;
    int files;
};

int countFiles(const std::string& folder) {
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "*.bmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        ++n;
    while (FindNextFileA(find, &found));
    FindClose(find);
    return n;
}

enum class Mode { ExportGlyph, PipelineOnWorker, PipelineOnWindowThread };

// All rows made one after another, by one worker while this thread pumps, or
// by this thread itself.
Figures exportAll(const app::MainWindow& window, Run& run, Mode mode) {
    CreateDirectoryA(run.folder.c_str(), nullptr);
    forms::windowSetText(window.编辑框_路径, run.folder);
    std::string size = run.size ? std::to_string(run.size) : "";
    forms::windowSetText(window.编辑框_高度, size);
    forms::windowSetText(window.编辑框_宽度, size);
    run.barePipeline = mode != Mode::ExportGlyph;
    double wall = nowMs(), cpu = processCpuMs();
    if (mode == Mode::PipelineOnWindowThread) {
        barePipeline(run);
    } else {
        HANDLE thread = CreateThread(nullptr, 0, worker, &run, 0, nullptr);
        while (!run.done) {
            MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
            support::processPendingMessages();
        }
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    return {nowMs() - wall, processCpuMs() - cpu, countFiles(run.folder)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: glyph_bench <output folder ending in \\> [count]\n");
        return 2;
    }
    std::string out = argv[1];
    int count = argc > 2 ? std::atoi(argv[2]) : 2000;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    OleInitialize(nullptr);

    app::MainWindow window;
    app::RenderWindow* render = app::RenderWindow::load();
    if (!window.load({}) || !render)
        return 1;
    forms::windowSetLeftTop(render->handle(), 1, 1);
    std::vector<std::string> characters = gb2312Characters(static_cast<size_t>(count));
    count = static_cast<int>(characters.size());
    HWND list = window.超级列表框1;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string& c : characters) {
        int row = forms::listAppendRow(list);
        forms::listSetCell(list, row, 0, std::to_string(row + 1));
        forms::listSetCell(list, row, 1, c);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    exportjob::glyphWindowsSet({list, window.编辑框_路径, window.编辑框_高度, window.编辑框_宽度, render->handle(),
                                render->编辑框_截图});
    support::pumpingWait(200);

    struct Pass {
        const char* label;
        int32_t size;
    } passes[] = {{"80x80", 0}, {"16x16", 16}};
    struct Kind {
        const char* name;
        const char* description;
        Mode mode;
    } kinds[] = {{"ours", "exportGlyph on a worker", Mode::ExportGlyph},
                 {"pipeline", "bare pipeline on a worker", Mode::PipelineOnWorker},
                 {"uithread", "bare pipeline on the window thread", Mode::PipelineOnWindowThread}};
    for (const Kind& kind : kinds)
        for (const Pass& pass : passes) {
            Run run;
            run.count = count;
            run.characters = &characters;
            run.edit = render->编辑框_截图;
            run.folder = out + kind.name + pass.label + "\\";
            run.size = pass.size;
            Figures f = exportAll(window, run, kind.mode);
            std::printf("%s %s: %d glyphs, %d files, %.3f ms/glyph wall, %.3f ms/glyph CPU\n", kind.description,
                        pass.label, count, f.files, f.wallMs / count, f.cpuMs / count);
            std::printf("RESULT %s %s %.4f %.4f\n", kind.name, pass.label, f.wallMs / count, f.cpuMs / count);
        }
    exportjob::glyphWindowsSet({});
    app::RenderWindow::requestDestroy(render->handle());
    support::pumpingWait(100);
    OleUninitialize();
    return 0;
}
