// Loading files into the real main window's list: the rows, the files that
// leave it empty, a load inside a load, and a window that keeps answering.
#include "charlist/CharacterList.h"

#include "app/MainWindow.h"
#include "forms/ListView.h"
#include "support/PumpingWait.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;

struct CharacterListTest : testing::Test {
    void SetUp() override {
        window = std::make_unique<app::MainWindow>();
        ASSERT_TRUE(window->load({}));
        list = window->超级列表框1;
        charlist::characterListBind(list);
    }
    void TearDown() override {
        charlist::characterListBind(nullptr);
        window.reset();
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
    Rows rows() const {
        Rows result;
        for (int r = 0; r < forms::listRowCount(list); ++r) {
            result.emplace_back(forms::listGetCell(list, r, 0), forms::listGetCell(list, r, 1));
            EXPECT_EQ("", forms::listGetCell(list, r, 2)) << "row " << r;
        }
        return result;
    }
    std::unique_ptr<app::MainWindow> window;
    HWND list = nullptr;
    testutil::TempDir dir;
};

TEST_F(CharacterListTest, OneNumberedRowPerCharacterUpToTheFirstNul) {
    // Every piece here is valid GBK, so the list gives back the very bytes.
    std::string file = dir.file("text.txt");
    testutil::writeFile(file, std::string("\xEF\xBB\xBF" "A\r\nB\rC\nD \xB0\xA1\xB0\xA1\x81" "A", 19) +
                                  std::string("\0" "EF", 3));
    charlist::onFileDropped(file.c_str());
    Rows expected = {{"1", "\xEF\xBB"}, {"2", "\xBF" "A"}, {"3", "\r\n"}, {"4", "B"},  {"5", "\r"},
                     {"6", "C"},        {"7", "\n"},       {"8", "D"},    {"9", " "},  {"10", "\xB0\xA1"},
                     {"11", "\xB0\xA1"}, {"12", "\x81" "A"}};
    EXPECT_EQ(expected, rows());
}

TEST_F(CharacterListTest, InvalidPairsStillGetARowEach) {
    // A lead byte before CR LF, then a trailing lead byte: the list view keeps
    // its text as Unicode, so pieces that are no valid GBK read back as "?".
    std::string file = dir.file("broken.txt");
    testutil::writeFile(file, "X\xB0\r\nY\xB0");
    charlist::loadCharacterFile(file);
    Rows got = rows();
    ASSERT_EQ(5u, got.size());
    EXPECT_EQ((std::pair<std::string, std::string>{"1", "X"}), got[0]);
    EXPECT_EQ("2", got[1].first);
    EXPECT_FALSE(got[1].second.empty());
    EXPECT_EQ((std::pair<std::string, std::string>{"3", "\n"}), got[2]);
    EXPECT_EQ((std::pair<std::string, std::string>{"4", "Y"}), got[3]);
    EXPECT_EQ("5", got[4].first);
    EXPECT_FALSE(got[4].second.empty());
}

TEST_F(CharacterListTest, UnreadableEmptyAndNulFirstFilesLeaveTheListEmpty) {
    std::string filled = dir.file("filled.txt");
    testutil::writeFile(filled, "abc");
    testutil::writeFile(dir.file("empty.txt"), "");
    testutil::writeFile(dir.file("nul.txt"), std::string("\0abc", 4));
    for (const char* name : {"missing.txt", "empty.txt", "nul.txt"}) {
        charlist::loadCharacterFile(filled);
        ASSERT_EQ(3, forms::listRowCount(list));
        charlist::loadCharacterFile(dir.file(name));
        EXPECT_EQ(0, forms::listRowCount(list)) << name;
    }
    // A file held open for writing by another program is still read (reading
    // only denies writes while it reads); one locked against reading is not.
    HANDLE exclusive = CreateFileA(filled.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, exclusive);
    charlist::loadCharacterFile(filled);
    EXPECT_EQ(0, forms::listRowCount(list));
    CloseHandle(exclusive);
}

TEST_F(CharacterListTest, TwoFilesDroppedInTurnLeaveTheLast) {
    testutil::writeFile(dir.file("1.txt"), "abcd");
    testutil::writeFile(dir.file("2.txt"), "xy");
    charlist::onFileDropped(dir.file("1.txt").c_str());
    charlist::onFileDropped(dir.file("2.txt").c_str());
    EXPECT_EQ((Rows{{"1", "x"}, {"2", "y"}}), rows());
}

// A drop that arrives while a file loads is handled inside that load: it
// clears the list and loads its own file; then the first load goes on below
// it, its numbers continuing where it stopped.
std::string g_secondFile;
LRESULT CALLBACK secondDropProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_APP + 7) {
        charlist::onFileDropped(g_secondFile.c_str());
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

TEST_F(CharacterListTest, ASecondDropDuringALoadLoadsInsideIt) {
    testutil::writeFile(dir.file("first.txt"), "ABCDE");
    testutil::writeFile(dir.file("second.txt"), "xyz");
    g_secondFile = dir.file("second.txt");
    WNDCLASSA wc{};
    wc.lpfnWndProc = secondDropProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SecondDrop";
    RegisterClassA(&wc);
    HWND dropper = CreateWindowA("SecondDrop", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(dropper);
    PostMessageA(dropper, WM_APP + 7, 0, 0);  // dispatched by the wait after the first row
    charlist::loadCharacterFile(dir.file("first.txt"));
    DestroyWindow(dropper);
    EXPECT_EQ((Rows{{"1", "x"}, {"2", "y"}, {"3", "z"}, {"2", "B"}, {"3", "C"}, {"4", "D"}, {"5", "E"}}), rows());
}

TEST_F(CharacterListTest, TheWindowAnswersWhileALongFileLoads) {
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += (i % 3) ? "\xB0\xA1" : "a";
    testutil::writeFile(dir.file("long.txt"), text);
    std::atomic<bool> loading{true};
    std::vector<double> latencies;
    HWND main = window->handle();
    std::thread asker([&] {
        while (loading) {
            double start = testutil::nowMs();
            DWORD_PTR result = 0;
            if (SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result))
                latencies.push_back(testutil::nowMs() - start);
            else
                latencies.push_back(2000);
            Sleep(10);
        }
    });
    double start = testutil::nowMs();
    charlist::loadCharacterFile(dir.file("long.txt"));
    double elapsed = testutil::nowMs() - start;
    loading = false;
    asker.join();
    EXPECT_EQ(5000, forms::listRowCount(list));
    EXPECT_EQ("5000", forms::listGetCell(list, 4999, 0));
    ASSERT_GT(latencies.size(), 20u);
    double worst = 0;
    for (double l : latencies)
        worst = std::max(worst, l);
    EXPECT_LT(worst, 100) << "over " << latencies.size() << " messages during a load of " << elapsed << " ms";
}

}  // namespace
