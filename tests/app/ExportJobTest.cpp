// The whole job on the real program, driven as a user would: start, pacing,
// the ending, stops at every stage, and the messages.
#include "driver/ProgramDriver.h"

#include "app/Program.h"
#include "export/GlyphJob.h"
#include "pool/PoolSeams.h"
#include "pool/WorkerPool.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

struct Post {
    int32_t row;
    double atMs;
    RECT render;
};
std::mutex g_postsLock;
std::vector<Post> g_posts;

BOOL CALLBACK findRender(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && strcmp(cls, "PixnadelForm") == 0 &&
        !(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION))
        *reinterpret_cast<HWND*>(param) = window;
    return TRUE;
}

void recordPost(int32_t row) {
    HWND render = nullptr;
    EnumWindows(findRender, reinterpret_cast<LPARAM>(&render));
    RECT r{};
    if (render)
        GetWindowRect(render, &r);
    std::lock_guard<std::mutex> lock(g_postsLock);
    g_posts.push_back({row, harness::nowMs(), r});
}

std::vector<Post> posts() {
    std::lock_guard<std::mutex> lock(g_postsLock);
    return g_posts;
}

struct BmpSize {
    int32_t width = 0, height = 0;
};
BmpSize bmpSize(const std::string& bytes) {
    BmpSize size;
    if (bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M') {
        memcpy(&size.width, bytes.data() + 18, 4);
        memcpy(&size.height, bytes.data() + 22, 4);
    }
    return size;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((dir + "*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    return names;
}

struct ExportJobTest : testing::Test {
    void SetUp() override {
        g_posts.clear();
        exportjob::exportOnPost = recordPost;
        CreateDirectoryA(out.c_str(), nullptr);
    }
    void TearDown() override { exportjob::exportOnPost = nullptr; }

    // Drops a text and waits for its rows.
    void load(harness::Driver& d, const std::string& name, const std::string& text, int rows) {
        testutil::writeFile(dir.file(name), text);
        d.drop({dir.file(name)});
        ASSERT_TRUE(d.waitUntil([&] { return d.rowCount() == rows; }, 10000)) << d.rowCount() << " rows";
    }
    testutil::TempDir dir;
    std::string out = dir.file("out\\");
};

// 30 characters: hanzi, ASCII, CR LF and characters that cannot name a file.
const char kFixture[] = "\xD7\xD6\xC4\xA3\xBA\xBA\xD7\xD6" "Ab1\r\n\xB4\xBA\xC3\xDF?\xB2\xBB\xBE\xF5\xCF\xFE/z"
                        "\xB4\xA6\xB4\xA6\xCE\xC5\xCC\xE4\xC4\xF1\xD2\xB9\xC0\xB4\xB7\xE7\xD3\xEA:9\xC9\xF9Q\xBB\xA8";

TEST_F(ExportJobTest, ExportsEveryRowPacedThenReportsCompletion) {
    int rows = 0;
    std::vector<std::string> pieces;
    for (const char* p = kFixture; *p;) {
        int n = (static_cast<unsigned char>(*p) >= 0x81 || (p[0] == '\r' && p[1] == '\n')) ? 2 : 1;
        pieces.emplace_back(p, n);
        p += n;
        ++rows;
    }
    ASSERT_EQ(30, rows);
    double pressedAt = 0;
    harness::MessageBoxSeen done;
    std::vector<std::string> marks;
    harness::runProgramWith([&](harness::Driver& d) {
        load(d, "fixture.txt", kFixture, 30);
        d.setText(d.pathBox(), out);
        d.setText(d.heightBox(), "16");  // the bitmap's width
        d.setText(d.widthBox(), "24");   // its height
        pressedAt = harness::nowMs();
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return d.text(d.runButton()) == "停止执行"; }, 2000));
        done = d.waitMessageBox(30 * 1000 + 10000);
        ASSERT_TRUE(done.window) << "no message after the export";
        EXPECT_EQ("执行完成!", done.text);
        EXPECT_FALSE(done.errorIcon);
        EXPECT_EQ("开始执行", d.text(d.runButton()));
        EXPECT_TRUE(d.renderWindows().empty()) << "the render window is still there";
        for (int r = 0; r < 30; ++r)
            marks.push_back(d.cell(r, 2));
        d.dismiss(done);
    });
    std::vector<Post> seen = posts();
    ASSERT_EQ(30u, seen.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(static_cast<int32_t>(i + 1), seen[i].row);
        if (i > 0) {
            EXPECT_GE(seen[i].atMs - seen[i - 1].atMs, 148) << "rows " << i << " and " << i + 1 << " too close";
            // From the first pacing cycle on, the render window sits at (1, 1).
            EXPECT_EQ(1, seen[i].render.left) << "row " << i + 1;
            EXPECT_EQ(1, seen[i].render.top) << "row " << i + 1;
        }
    }
    EXPECT_GE(done.shownAtMs - seen.back().atMs, 2000) << "the message came before the ending wait";
    for (int r = 0; r < 30; ++r) {
        const std::string& c = pieces[r];
        bool nameable = !(c == "?" || c == "/" || c == ":" || c == "\r\n");
        std::string file = out + c + ".bmp";
        if (nameable) {
            EXPECT_EQ("√", marks[r]) << "row " << r + 1;
            BmpSize size = bmpSize(testutil::readFile(file));
            EXPECT_EQ(16, size.width) << file;
            EXPECT_EQ(24, size.height) << file;
        } else {
            EXPECT_EQ("×", marks[r]) << "row " << r + 1;
        }
    }
    // 26 nameable rows; 字 and 处 come twice and share a file.
    EXPECT_EQ(24u, filesIn(out).size());
}

TEST_F(ExportJobTest, AnEmptyListCompletesAfterTheEndingWait) {
    harness::runProgramWith([&](harness::Driver& d) {
        d.setText(d.pathBox(), out);
        double pressed = harness::nowMs();
        d.click(d.runButton());
        harness::MessageBoxSeen box = d.waitMessageBox(10000);
        ASSERT_TRUE(box.window);
        EXPECT_EQ("执行完成!", box.text);
        EXPECT_GE(box.shownAtMs - pressed, 1900);
        EXPECT_LE(box.shownAtMs - pressed, 4500);
        d.dismiss(box);
    });
    EXPECT_TRUE(posts().empty());
    EXPECT_TRUE(filesIn(out).empty());
}

TEST_F(ExportJobTest, AnEmptyPathBoxIsRefusedAndARunningJobGoesOn) {
    harness::runProgramWith([&](harness::Driver& d) {
        load(d, "three.txt", "abc", 3);
        d.click(d.runButton());
        harness::MessageBoxSeen box = d.waitMessageBox(5000);
        ASSERT_TRUE(box.window);
        EXPECT_EQ("路径出错!", box.text);
        EXPECT_TRUE(box.errorIcon);
        EXPECT_EQ("开始执行", d.text(d.runButton()));
        EXPECT_TRUE(d.renderWindows().empty());
        d.dismiss(box);
        EXPECT_TRUE(d.waitUntil([&] { return !IsWindow(box.window); }, 2000));

        // Started with a path, then the path emptied: a press shows the message and does not stop.
        d.setText(d.pathBox(), out);
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return posts().size() >= 1; }, 5000));
        d.setText(d.pathBox(), "");
        d.click(d.runButton());
        box = d.waitMessageBox(5000);
        EXPECT_EQ("路径出错!", box.text);
        EXPECT_EQ("停止执行", d.text(d.runButton()));
        d.dismiss(box);
        d.setText(d.pathBox(), out);
        box = d.waitMessageBox(15000);
        EXPECT_EQ("执行完成!", box.text);
        d.dismiss(box);
    });
    EXPECT_EQ(3u, posts().size());
}

TEST_F(ExportJobTest, AStopMidwayPostsNothingMoreAndReportsTheStop) {
    std::string text(40, 'a');
    for (int i = 0; i < 40; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    size_t postedAtPress = 0;
    std::vector<std::string> marks;
    harness::runProgramWith([&](harness::Driver& d) {
        load(d, "forty.txt", text, 40);
        d.setText(d.pathBox(), out);
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return posts().size() >= 4; }, 10000));
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return d.text(d.runButton()) == "开始执行"; }, 1000))
            << "the caption did not change at once";
        postedAtPress = posts().size();
        harness::MessageBoxSeen box = d.waitMessageBox(15000);
        ASSERT_TRUE(box.window);
        EXPECT_EQ("停止成功!", box.text);
        EXPECT_TRUE(d.renderWindows().empty());
        for (int r = 0; r < 40; ++r)
            marks.push_back(d.cell(r, 2));
        d.dismiss(box);
        // No other message follows: the stopped job has none of its own.
        EXPECT_FALSE(d.waitMessageBox(2500).window);
    });
    size_t posted = posts().size();
    EXPECT_LE(posted, postedAtPress + 1) << "rows were posted after the stop press";
    EXPECT_LT(posted, 40u);
    for (size_t r = 0; r < 40; ++r)
        EXPECT_EQ(r < posted ? "√" : "", marks[r]) << "row " << r + 1;
}

TEST_F(ExportJobTest, StopWhileStartingThenStartWhileStopping) {
    harness::runProgramWith([&](harness::Driver& d) {
        load(d, "five.txt", "vwxyz", 5);
        d.setText(d.pathBox(), out);
        // Stop pressed before the pool has started its workers.
        d.click(d.runButton());
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return d.text(d.runButton()) == "开始执行"; }, 2000));
        // Start again while the stop still runs: this job waits for the stop.
        d.click(d.runButton());
        harness::MessageBoxSeen first = d.waitMessageBox(15000);
        ASSERT_TRUE(first.window);
        EXPECT_EQ("停止成功!", first.text);
        d.dismiss(first);
        harness::MessageBoxSeen second = d.waitMessageBox(20000);
        ASSERT_TRUE(second.window);
        EXPECT_EQ("执行完成!", second.text);
        for (int r = 0; r < 5; ++r)
            EXPECT_EQ("√", d.cell(r, 2)) << "row " << r + 1;
        EXPECT_TRUE(d.renderWindows().empty());
        EXPECT_EQ("开始执行", d.text(d.runButton()));
        d.dismiss(second);
        EXPECT_FALSE(d.waitMessageBox(1000).window);
    });
    // The second job posted every row; the first one at most its first.
    std::vector<Post> seen = posts();
    ASSERT_GE(seen.size(), 5u);
    ASSERT_LE(seen.size(), 6u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(i + 1, seen[seen.size() - 5 + i].row);
}

TEST_F(ExportJobTest, AStopDuringTheEndingGivesOneMessage) {
    harness::runProgramWith([&](harness::Driver& d) {
        load(d, "one.txt", "q", 1);
        d.setText(d.pathBox(), out);
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return posts().size() == 1; }, 5000));
        Sleep(600);  // every row posted: the job is in its ending wait
        d.click(d.runButton());
        harness::MessageBoxSeen box = d.waitMessageBox(10000);
        ASSERT_TRUE(box.window);
        EXPECT_EQ("执行完成!", box.text);
        d.dismiss(box);
        EXPECT_FALSE(d.waitMessageBox(3000).window) << "a second message";
        EXPECT_TRUE(d.renderWindows().empty());
        EXPECT_EQ("√", d.cell(0, 2));
    });
}

HANDLE WINAPI failCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

TEST_F(ExportJobTest, APoolThatCannotStartEndsTheJobWithAnError) {
    pool::PoolSeams::createThread = failCreateThread;
    harness::runProgramWith([&](harness::Driver& d) {
        load(d, "two.txt", "ab", 2);
        d.setText(d.pathBox(), out);
        d.click(d.runButton());
        harness::MessageBoxSeen box = d.waitMessageBox(10000);
        ASSERT_TRUE(box.window) << "the job did not end";
        EXPECT_EQ("执行失败!", box.text);
        EXPECT_TRUE(box.errorIcon);
        // Not left reading "停止执行" with no job behind it.
        EXPECT_EQ("开始执行", d.text(d.runButton()));
        EXPECT_TRUE(d.waitUntil([&] { return d.renderWindows().empty(); }, 2000));
        EXPECT_EQ("", d.cell(0, 2));
        d.dismiss(box);
        // The next press, with threads to be had, exports.
        pool::PoolSeams::createThread = CreateThread;
        d.click(d.runButton());
        box = d.waitMessageBox(15000);
        EXPECT_EQ("执行完成!", box.text);
        EXPECT_EQ("√", d.cell(1, 2));
        d.dismiss(box);
    });
    pool::PoolSeams::reset();
    EXPECT_TRUE(posts().size() == 2u);
}

TEST_F(ExportJobTest, SizesAndFolderChangedMidJobApplyToLaterRows) {
    std::string second = dir.file("second\\");
    CreateDirectoryA(second.c_str(), nullptr);
    harness::runProgramWith([&](harness::Driver& d) {
        load(d, "six.txt", "abcdef", 6);
        d.setText(d.pathBox(), out);
        d.setText(d.heightBox(), "16");
        d.setText(d.widthBox(), "16");
        d.click(d.runButton());
        ASSERT_TRUE(d.waitUntil([&] { return d.cell(1, 2) == "√"; }, 10000));
        d.setText(d.heightBox(), "8");
        d.setText(d.widthBox(), "12");
        d.setText(d.pathBox(), second);
        harness::MessageBoxSeen box = d.waitMessageBox(15000);
        EXPECT_EQ("执行完成!", box.text);
        d.dismiss(box);
    });
    BmpSize a = bmpSize(testutil::readFile(out + "a.bmp"));
    EXPECT_EQ(16, a.width);
    BmpSize f = bmpSize(testutil::readFile(second + "f.bmp"));
    EXPECT_EQ(8, f.width);
    EXPECT_EQ(12, f.height);
    EXPECT_FALSE(testutil::fileExists(out + "f.bmp"));
}

}  // namespace
