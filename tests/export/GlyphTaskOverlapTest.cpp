// Glyph tasks that overlap, and a capture taken before the window has painted
// by itself: each file must still show, and be named after, its own row.
#include "export/GlyphTask.h"
#include "export/WindowSnapshot.h"
#include "forms/ListView.h"
#include "forms/Window.h"

#include "GlyphTaskFixture.h"

#include <map>

using glyphtest::GlyphTaskTest;
using glyphtest::Pump;

namespace {

using Files = std::map<std::string, std::string>;

Files readAll(const std::string& folder, const std::set<std::string>& names) {
    Files contents;
    for (const std::string& name : names)
        contents[name] = testutil::readFile(folder + name);
    return contents;
}

TEST_F(GlyphTaskTest, TasksStartedTogetherWriteWhatTasksInTurnWrite) {
    const std::vector<std::string> characters = {"字", "永", "A", "口", "鑫", "一"};
    addRows(characters);
    std::set<std::string> names;
    for (const std::string& c : characters)
        names.insert(c + ".bmp");

    for (const char* size : {"", "16"}) {
        SCOPED_TRACE(std::string("size \"") + size + "\"");
        setSizes(size, size);
        testutil::TempDir inTurn;
        setFolder(inTurn.path());
        for (int32_t row = 1; row <= 6; ++row)
            ASSERT_TRUE(runTask(row));
        ASSERT_EQ(names, files(inTurn.path()));
        Files expected = readAll(inTurn.path(), names);

        for (int round = 0; round < 3; ++round) {
            testutil::TempDir together;
            setFolder(together.path());
            for (int row = 0; row < 6; ++row)
                forms::listSetCell(list, row, 2, "");
            for (int32_t first : {1, 3, 5})
                ASSERT_TRUE(runTasks({first, first + 1}));
            EXPECT_EQ(names, files(together.path())) << "round " << round;
            EXPECT_TRUE(expected == readAll(together.path(), names)) << "round " << round << ": a file differs";
            for (int row = 0; row < 6; ++row)
                EXPECT_EQ("√", status(row)) << "round " << round << ", row " << row;
        }
    }
}

TEST_F(GlyphTaskTest, TheCopyShowsTheNewCharacterWhenTheWindowHasNotPaintedItself) {
    addRows({"字"});
    forms::windowSetText(edit, "字");
    UpdateWindow(edit);
    testutil::pumpFor(50);
    std::vector<uint8_t> reference = exportjob::captureWindowBitmap(edit, 0, 0);
    forms::windowSetText(edit, "永");
    UpdateWindow(edit);
    testutil::pumpFor(50);
    ASSERT_NE(reference, exportjob::captureWindowBitmap(edit, 0, 0));

    // This thread serves the task's messages but paints nothing of its own
    // accord, as a busy user-interface thread would.
    ASSERT_TRUE(runTask(1, Pump::SentMessages));
    EXPECT_EQ("√", status(0));
    EXPECT_TRUE(reference == fileBytes("字.bmp")) << "the file does not show 字 as the box paints it";
}

}  // namespace
