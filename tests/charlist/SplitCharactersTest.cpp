#include "charlist/SplitCharacters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::string>;

TEST(SplitCharacters, CutsGbkTextIntoCharacters) {
    struct Case {
        const char* name;
        std::string text;
        Pieces pieces;
    } cases[] = {
        {"empty", "", {}},
        {"A CR LF B", "A\r\nB", {"A", "\r\n", "B"}},
        {"CR LF CR LF", "\r\n\r\n", {"\r\n", "\r\n"}},
        {"LF CR", "\n\r", {"\n", "\r"}},
        {"one hanzi", "\xB0\xA1", {"\xB0\xA1"}},
        {"the same hanzi twice", "\xB0\xA1\xB0\xA1", {"\xB0\xA1", "\xB0\xA1"}},
        {"0x80 is not a lead byte", "\x80" "A", {"\x80", "A"}},
        {"0x81 is a lead byte", "\x81" "A", {"\x81" "A"}},
        {"trailing lead byte", "A\xB0", {"A", "\xB0"}},
        {"lone lead byte", "\xB0", {"\xB0"}},
        {"lead byte takes the CR of CR LF", "\xB0\r\n", {"\xB0\r", "\n"}},
        {"ends in CR", "A\r", {"A", "\r"}},
        {"lone CR and LF", "\rA\n", {"\r", "A", "\n"}},
        {"spaces, tabs and control bytes", " \t\x01\x7F", {" ", "\t", "\x01", "\x7F"}},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF" "A", {"\xEF\xBB", "\xBF" "A"}},
        {"0xFF lead byte", "\xFF\xFF\xFF", {"\xFF\xFF", "\xFF"}},
    };
    for (const auto& c : cases) {
        Pieces pieces = {"left over"};
        int32_t count = charlist::splitCharacters(c.text, pieces);
        EXPECT_EQ(c.pieces, pieces) << c.name;
        EXPECT_EQ(static_cast<int32_t>(c.pieces.size()), count) << c.name;
    }
}

TEST(SplitCharacters, EveryByteLandsInExactlyOnePieceInOrder) {
    std::string text;
    unsigned lcg = 12345;
    for (int i = 0; i < 20000; ++i) {
        lcg = lcg * 1103515245u + 12345u;
        text.push_back(static_cast<char>(lcg >> 16));
    }
    Pieces pieces;
    charlist::splitCharacters(text, pieces);
    std::string joined;
    for (const auto& p : pieces) {
        ASSERT_TRUE(p.size() == 1 || p.size() == 2);
        if (p.size() == 2) {
            ASSERT_TRUE(static_cast<unsigned char>(p[0]) >= 0x81 || p == "\r\n") << "bad pair";
        }
        joined += p;
    }
    EXPECT_EQ(text, joined);
}

}  // namespace
