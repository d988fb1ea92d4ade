// exportGlyph on the real main window and render window: the file it writes
// (name, size, pixels), the row it marks, and what it leaves alone when the
// character, the folder or the capture cannot give a file.
#include "export/GlyphTask.h"
#include "forms/ListView.h"
#include "forms/Window.h"

#include "BmpView.h"
#include "GlyphTaskFixture.h"

#include <commctrl.h>

#include <climits>

using glyphtest::GlyphTaskTest;
using snapshottest::BmpView;

namespace {

using Names = std::set<std::string>;

TEST_F(GlyphTaskTest, WritesTheRowsCharacterAtTheTypedSizeAndMarksIt) {
    addRows({"字", "A"});
    struct Case {
        const char* heightBox;
        const char* widthBox;
        int32_t width, height;
    } cases[] = {
        {"16", "24", 16, 24},  // the box labelled "高度" gives the width
        {"24", "16", 24, 16},
        {"", "", 80, 80},  // empty boxes: the edit box's own size
        {"-50", " １６", 40, 16},  // a percentage; pasted full-width digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("高度 \"") + c.heightBox + "\", 宽度 \"" + c.widthBox + "\"");
        setSizes(c.heightBox, c.widthBox);
        forms::listSetCell(list, 0, 2, "");
        ASSERT_TRUE(runTask(1));
        std::vector<uint8_t> bmp = fileBytes("字.bmp");
        ASSERT_GE(bmp.size(), 54u);
        BmpView view(bmp);
        EXPECT_EQ('B', bmp[0]);
        EXPECT_EQ('M', bmp[1]);
        EXPECT_EQ(24, view.u16(28));
        EXPECT_EQ(c.width, view.width());
        EXPECT_EQ(c.height, view.height());
        EXPECT_EQ(54 + view.stride() * c.height, bmp.size());
        EXPECT_EQ("√", status(0));
        EXPECT_EQ("", status(1)) << "row number 1 is the first row";
        EXPECT_EQ(Names{"字.bmp"}, files()) << "one file, no temporary file left";
    }
}

TEST_F(GlyphTaskTest, TheGlyphIsInkCentredInTheFile) {
    addRows({"字"});
    ASSERT_TRUE(runTask(1));
    std::vector<uint8_t> bmp = fileBytes("字.bmp");
    ASSERT_EQ(54u + 240u * 80u, bmp.size());
    BmpView view(bmp);
    int inkLeft = 80, inkRight = -1, ink = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            snapshottest::Bgr p = view.pixel(x, y);
            if ((p.r + p.g + p.b) / 3 < 128) {
                ++ink;
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
        }
    EXPECT_GT(ink, 200) << "a 48-pixel bold glyph";
    EXPECT_NEAR(80 - 1 - inkRight, inkLeft, 2) << "ink spans columns " << inkLeft << " to " << inkRight;
}

TEST_F(GlyphTaskTest, NamesAreFolderTextPlusCharacterPlusBmp) {
    addRows({"字"});
    // No separator is added: a folder text without its backslash prefixes the name.
    setFolder(dir.path() + "out");
    ASSERT_TRUE(runTask(1));
    EXPECT_EQ(Names{"out字.bmp"}, files());
    EXPECT_EQ("√", status(0));

    // An existing file is replaced.
    setFolder(dir.path());
    testutil::writeFile(dir.file("字.bmp"), "old contents");
    ASSERT_TRUE(runTask(1));
    std::vector<uint8_t> bmp = fileBytes("字.bmp");
    EXPECT_EQ(54u + 240u * 80u, bmp.size());
    EXPECT_EQ((Names{"out字.bmp", "字.bmp"}), files());

    // A folder that does not exist: no file anywhere, and the row says so.
    setFolder(dir.path() + "missing\\");
    ASSERT_TRUE(runTask(1));
    EXPECT_EQ("×", status(0));
    EXPECT_EQ((Names{"out字.bmp", "字.bmp"}), files());
}

TEST_F(GlyphTaskTest, CharactersThatCannotNameTheirOwnFileWriteNothing) {
    const std::vector<std::string> refused = {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "\r\n", "\t", "\x7F", "\x1F",
                                              std::string(100, 'a')};  // more than a character, read whole
    addRows(refused);
    std::vector<int32_t> rows;
    for (size_t i = 0; i < refused.size(); ++i)
        rows.push_back(static_cast<int32_t>(i + 1));
    ASSERT_TRUE(runTasks(rows));
    for (size_t i = 0; i < refused.size(); ++i)
        EXPECT_EQ("×", status(static_cast<int>(i))) << "character " << testing::PrintToString(refused[i]);
    EXPECT_EQ(Names{}, files());
}

TEST_F(GlyphTaskTest, OddButValidCharactersGetTheirFiles) {
    // Double-byte characters whose trail byte is "\" or "|", the ideographic
    // space, a blank and a full stop: " .bmp" and "..bmp" are names of their own.
    const std::vector<std::string> accepted = {"\x95\x5C", "\x95\x7C", "\xA1\xA1", " ", ".", "a"};
    addRows(accepted);
    Names expected;
    for (size_t i = 0; i < accepted.size(); ++i) {
        ASSERT_TRUE(runTask(static_cast<int32_t>(i + 1)));
        EXPECT_EQ("√", status(static_cast<int>(i))) << "character " << testing::PrintToString(accepted[i]);
        expected.insert(accepted[i] + ".bmp");
    }
    EXPECT_EQ(expected, files());
}

TEST_F(GlyphTaskTest, AFailedCaptureKeepsTheOldFile) {
    addRows({"字"});
    testutil::writeFile(dir.file("字.bmp"), "old contents");
    setSizes("100000", "16");  // beyond what a capture makes
    ASSERT_TRUE(runTask(1));
    EXPECT_EQ("×", status(0));
    EXPECT_EQ("old contents", testutil::readFile(dir.file("字.bmp")));

    setSizes("", "");
    app::RenderWindow::requestDestroy(renderWindow);
    ASSERT_TRUE(testutil::pumpUntil([&] { return !IsWindow(renderWindow); }, 2000));
    forms::listSetCell(list, 0, 2, "");
    ASSERT_TRUE(runTask(1));
    EXPECT_EQ("×", status(0));
    EXPECT_EQ("old contents", testutil::readFile(dir.file("字.bmp")));
    EXPECT_EQ(Names{"字.bmp"}, files());
}

TEST_F(GlyphTaskTest, TheRowIsScrolledFullyIntoView) {
    addRows(std::vector<std::string>(200, "口"));
    ASSERT_EQ(0, SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
    ASSERT_TRUE(runTask(150));
    EXPECT_EQ("√", status(149));
    EXPECT_GT(SendMessageA(list, LVM_GETTOPINDEX, 0, 0), 0);
    RECT item{};
    item.left = LVIR_BOUNDS;
    ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, 149, reinterpret_cast<LPARAM>(&item)));
    RECT client, header;
    GetClientRect(list, &client);
    GetWindowRect(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), &header);
    EXPECT_GE(item.top, header.bottom - header.top) << "row hidden under the header";
    EXPECT_LE(item.bottom, client.bottom) << "row below the visible part";
}

TEST_F(GlyphTaskTest, RowNumbersOutsideTheListTouchNothing) {
    addRows({"字", "A", "B"});
    for (int32_t rowNumber : {4, 100, 0, -1, INT32_MIN, INT32_MAX}) {
        ASSERT_TRUE(runTask(rowNumber));
        EXPECT_EQ(Names{}, files()) << "row number " << rowNumber;
    }
    EXPECT_EQ(3, forms::listRowCount(list));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ("", status(row)) << "row " << row;
}

}  // namespace
