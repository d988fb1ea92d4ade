// A capture of a real EDIT control set up as the render edit box is: 80 x 80,
// no border, centred, read-only, bold 48-pixel "微软雅黑", black on white.
#include "export/WindowSnapshot.h"
#include "forms/EditBox.h"
#include "forms/Handles.h"

#include "BmpView.h"
#include "TestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace exportjob;
using snapshottest::Bgr;
using snapshottest::BmpView;
using snapshottest::TestWindow;

namespace {

forms::GdiFont glyphFont() {
    LOGFONTA font{};
    font.lfHeight = -48;
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = PROOF_QUALITY;
    std::strcpy(font.lfFaceName, "微软雅黑");
    return forms::GdiFont(CreateFontIndirectA(&font));
}

}  // namespace

TEST(CaptureWindowBitmap, EditBoxGlyphIsBlackOnWhiteAndCentred) {
    forms::GdiFont font = glyphFont();
    ASSERT_TRUE(font);
    TestWindow window({400, 300, 480, 380}, snapshottest::fillWith(RGB(192, 192, 192)));
    ASSERT_TRUE(window.ready());
    HWND edit = forms::editBoxCreate(window.get(), "字", ES_CENTER | ES_READONLY, 0, 0, 80, 80, 1, font.get());
    ASSERT_TRUE(edit);
    ASSERT_TRUE(window.repaint());

    std::vector<uint8_t> file = captureWindowBitmap(edit, 0, 0);
    ASSERT_EQ(54u + 240u * 80u, file.size());
    BmpView view(file);
    int inkLeft = 80, inkRight = -1, inkTop = 80, inkBottom = -1, ink = 0, white = 0, darkest = 255;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            Bgr p = view.pixel(x, y);
            int spread = std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b});
            ASSERT_LE(spread, 16) << "pixel " << x << "," << y << " is coloured: r " << int{p.r} << " g " << int{p.g}
                                  << " b " << int{p.b};
            int level = (p.r + p.g + p.b) / 3;
            darkest = std::min(darkest, level);
            white += level == 255;
            if (level < 128) {
                ++ink;
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
        }
    EXPECT_LE(darkest, 32) << "the ink is black";
    EXPECT_GT(ink, 200) << "a 48-pixel bold glyph";
    EXPECT_GT(white, 80 * 80 / 2) << "the background is white";
    for (auto [x, y] : {std::pair{0, 0}, {79, 0}, {0, 79}, {79, 79}}) {
        Bgr p = view.pixel(x, y);
        EXPECT_TRUE(p.r == 255 && p.g == 255 && p.b == 255) << "corner " << x << "," << y << " is not white";
    }
    // Centred horizontally: as much white left of the ink as right of it.
    double centre = (inkLeft + inkRight + 1) / 2.0;
    EXPECT_NEAR(40.0, centre, 2.0) << "ink spans columns " << inkLeft << " to " << inkRight;
    EXPECT_GT(inkTop, 0) << "the glyph lies wholly inside the box";
    EXPECT_LT(inkBottom, 79) << "the glyph lies wholly inside the box";
    std::printf("glyph ink: columns %d-%d, rows %d-%d, %d pixels\n", inkLeft, inkRight, inkTop, inkBottom, ink);
}
