#include "GlyphTaskFixture.h"

#include "export/GlyphTask.h"
#include "forms/ListView.h"
#include "forms/Window.h"

#include <atomic>
#include <thread>

namespace glyphtest {

void GlyphTaskTest::SetUp() {
    main = std::make_unique<app::MainWindow>();
    ASSERT_TRUE(main->load({}));
    list = main->超级列表框1;
    app::RenderWindow* render = app::RenderWindow::load();
    ASSERT_NE(nullptr, render);
    renderWindow = render->handle();
    edit = render->编辑框_截图;
    exportjob::glyphWindowsSet({list, main->编辑框_路径, main->编辑框_高度, main->编辑框_宽度, renderWindow, edit});
    setFolder(dir.path());
    testutil::pumpFor(50);
}

void GlyphTaskTest::TearDown() {
    exportjob::glyphWindowsSet({});
    if (IsWindow(renderWindow)) {
        app::RenderWindow::requestDestroy(renderWindow);
        EXPECT_TRUE(testutil::pumpUntil([&] { return !IsWindow(renderWindow); }, 2000));
    }
    main.reset();
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the last form posted it
}

void GlyphTaskTest::addRows(const std::vector<std::string>& characters) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);  // a repaint per row would make long lists slow
    for (const std::string& character : characters) {
        int row = forms::listAppendRow(list);
        EXPECT_GE(row, 0);
        forms::listSetCell(list, row, 0, std::to_string(row + 1));
        forms::listSetCell(list, row, 1, character);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void GlyphTaskTest::setFolder(const std::string& text) { forms::windowSetText(main->编辑框_路径, text); }

void GlyphTaskTest::setSizes(const std::string& heightBox, const std::string& widthBox) {
    forms::windowSetText(main->编辑框_高度, heightBox);
    forms::windowSetText(main->编辑框_宽度, widthBox);
}

std::string GlyphTaskTest::status(int rowIndex) const { return forms::listGetCell(list, rowIndex, 2); }

namespace {

// Serves only messages that other threads send: a filter that matches no
// posted message still lets PeekMessage deliver them, and WM_PAINT is never
// generated for this thread's windows meanwhile.
void serveSentMessages(DWORD ms) {
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_NOREMOVE);
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_SENDMESSAGE, 0);
    PeekMessageA(&msg, nullptr, WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_NOREMOVE);
}

}  // namespace

bool GlyphTaskTest::runTasks(const std::vector<int32_t>& rowNumbers, Pump pump) {
    auto left = std::make_shared<std::atomic<int>>(static_cast<int>(rowNumbers.size()));
    std::vector<std::thread> threads;
    for (int32_t rowNumber : rowNumbers)
        threads.emplace_back([left, rowNumber] {
            exportjob::exportGlyph(rowNumber, 0);
            --*left;
        });
    bool done;
    if (pump == Pump::All) {
        done = testutil::pumpUntil([&] { return *left == 0; }, 20000);
    } else {
        double end = testutil::nowMs() + 20000;
        while (*left != 0 && testutil::nowMs() < end)
            serveSentMessages(5);
        done = *left == 0;
    }
    for (std::thread& thread : threads) {
        if (done)
            thread.join();
        else
            thread.detach();  // still waiting on this thread; the failure is reported below
    }
    EXPECT_TRUE(done) << "glyph tasks did not end within 20 s";
    return done;
}

std::set<std::string> GlyphTaskTest::files(const std::string& folder) const {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(((folder.empty() ? dir.path() : folder) + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.insert(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}

std::vector<uint8_t> GlyphTaskTest::fileBytes(const std::string& name) const {
    std::string bytes = testutil::readFile(dir.file(name));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace glyphtest
