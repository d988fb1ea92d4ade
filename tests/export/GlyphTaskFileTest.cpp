// Which characters name a file of their own, and the whole-or-nothing write
// of a glyph file, on real files.
#include "export/GlyphFile.h"
#include "export/GlyphName.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <set>

using namespace exportjob;

namespace {

TEST(GlyphName, CharactersAreJudgedAsTheFileSystemSeesThem) {
    struct Case {
        const char* character;
        bool allowed;
    } cases[] = {
        {"字", true},          {"A", true},           {" ", true},          {".", true},
        {"~", true},           {"\xA1\xA1", true},    // ideographic space
        {"\x95\x5C", true},    // trail byte "\"
        {"\x95\x7C", true},    // trail byte "|"
        {"\xA3\xBA", true},    // full-width colon: an ordinary character
        {"", false},           {"\\", false},         {"/", false},         {":", false},
        {"*", false},          {"?", false},          {"\"", false},        {"<", false},
        {">", false},          {"|", false},          {"\r\n", false},      {"\r", false},
        {"\n", false},         {"\t", false},         {"\x01", false},      {"\x1F", false},
        {"\x7F", false},       {"\xB0", false},       // a lone lead byte
        {"\x81\x7F", false},   // no valid trail byte
        {"A\\", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.allowed, glyphNameAllowed(c.character)) << testing::PrintToString(std::string(c.character));
    EXPECT_FALSE(glyphNameAllowed(std::string_view("\0", 1)));
}

TEST(GlyphFile, FolderIsCutAtTheLastSeparator) {
    struct Case {
        const char* path;
        const char* folder;
    } cases[] = {
        {"C:\\out\\字.bmp", "C:\\out\\"},   {"C:\\out字.bmp", "C:\\"}, {"字.bmp", ""},
        {"C:字.bmp", "C:"},                  {"a/b/c.bmp", "a/b/"},   {"C:\\x\\\x95\x5C.bmp", "C:\\x\\"},
        {"\\\\server\\share\\a.bmp", "\\\\server\\share\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.folder, glyphFileFolder(c.path)) << c.path;
}

std::set<std::string> names(const std::string& folder) {
    std::set<std::string> found;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return found;
    do {
        if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..")
            found.insert(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

const std::vector<uint8_t> kBytes = {'B', 'M', 1, 2, 3, 0, 255};

TEST(GlyphFile, WritesTheWholeFileOrLeavesTheOldOne) {
    testutil::TempDir dir;
    std::string target = dir.file("字.bmp");
    ASSERT_TRUE(glyphFileWrite(target, kBytes));
    EXPECT_EQ(std::string(kBytes.begin(), kBytes.end()), testutil::readFile(target));

    testutil::writeFile(target, "old contents");
    ASSERT_TRUE(glyphFileWrite(target, kBytes));
    EXPECT_EQ(std::string(kBytes.begin(), kBytes.end()), testutil::readFile(target));

    // Nothing to write is a failure, not an empty file.
    testutil::writeFile(target, "old contents");
    EXPECT_FALSE(glyphFileWrite(target, {}));
    EXPECT_FALSE(glyphFileWrite(dir.file("new.bmp"), {}));
    EXPECT_EQ("old contents", testutil::readFile(target));
    EXPECT_EQ(std::set<std::string>{"字.bmp"}, names(dir.path()));
}

TEST(GlyphFile, ATargetThatCannotBeReplacedStaysAsItWas) {
    testutil::TempDir dir;
    // A folder in the way.
    ASSERT_TRUE(CreateDirectoryA(dir.file("folder.bmp").c_str(), nullptr));
    EXPECT_FALSE(glyphFileWrite(dir.file("folder.bmp"), kBytes));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA(dir.file("folder.bmp").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // A file held open by another program that allows no deletion.
    std::string held = dir.file("held.bmp");
    testutil::writeFile(held, "old contents");
    HANDLE open = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);
    EXPECT_FALSE(glyphFileWrite(held, kBytes));
    CloseHandle(open);
    EXPECT_EQ("old contents", testutil::readFile(held));

    // A folder that does not exist.
    EXPECT_FALSE(glyphFileWrite(dir.file("missing\\a.bmp"), kBytes));

    EXPECT_EQ((std::set<std::string>{"folder.bmp", "held.bmp"}), names(dir.path())) << "a temporary file was left";
}

}  // namespace
