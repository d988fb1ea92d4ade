// The test machine is set up as a Chinese Windows: ANSI code page 936 and a
// font answering to "微软雅黑" that has the CJK glyphs.
#include "forms/Handles.h"

#include <gtest/gtest.h>

TEST(Environment, AnsiCodePageIs936) { EXPECT_EQ(936u, GetACP()); }

TEST(Environment, NarrowLiteralsAreGbk) {
    const char text[] = "开始执行";
    const unsigned char gbk[] = {0xBF, 0xAA, 0xCA, 0xBC, 0xD6, 0xB4, 0xD0, 0xD0, 0};
    ASSERT_EQ(sizeof gbk, sizeof text);
    EXPECT_EQ(0, memcmp(gbk, text, sizeof gbk));
}

TEST(Environment, YaHeiFaceHasCjkGlyphs) {
    LOGFONTA lf{};
    lf.lfHeight = -48;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    strcpy(lf.lfFaceName, "微软雅黑");
    forms::GdiFont font(CreateFontIndirectA(&lf));
    ASSERT_TRUE(font);
    forms::WindowDC screen(nullptr);
    forms::SelectScope select(screen.get(), font.get());
    WORD index = 0xFFFF;
    EXPECT_EQ(1u, GetGlyphIndicesW(screen.get(), L"字", 1, &index, GGI_MARK_NONEXISTING_GLYPHS));
    EXPECT_NE(0xFFFF, index) << "the face has no glyph for 字: the font replacement is missing";
    TEXTMETRICA tm{};
    GetTextMetricsA(screen.get(), &tm);
    EXPECT_EQ(48, tm.tmHeight - tm.tmInternalLeading);
}
