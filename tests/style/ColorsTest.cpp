// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/Colors.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

TEST(StyleColorToRgb, ReadsThreeHexPairsAfterTheFirstCharacter)
{
    EXPECT_EQ(StyleColorToRgb("#FF8000"), 33023u); // red 255, green 128, blue 0
    EXPECT_EQ(StyleColorToRgb("#ff8000"), 33023u);
    EXPECT_EQ(StyleColorToRgb("#0000FF"), 0xFF0000u);
    EXPECT_EQ(StyleColorToRgb("XFF8000"), 33023u) << "the first character is not examined";
    EXPECT_EQ(StyleColorToRgb("#ZZ0000"), 0u);
    EXPECT_EQ(StyleColorToRgb("#ZZ8000"), 128u * 256) << "an unreadable pair counts as 0, the others still count";
    EXPECT_EQ(StyleColorToRgb("#FF"), 255u) << "missing pairs count as 0";
    EXPECT_EQ(StyleColorToRgb("#FF80F"), 255u + 128 * 256 + 15 * 65536) << "a pair cut short reads what is there";
    EXPECT_EQ(StyleColorToRgb(""), 0u);
    EXPECT_EQ(StyleColorToRgb("#"), 0u);
}

TEST(RgbToStyleColor, WritesUpperCaseDigitsInRedGreenBlueOrder)
{
    EXPECT_EQ(RgbToStyleColor(33023), "#FF8000");
    EXPECT_EQ(RgbToStyleColor(0x0000FF), "#FF0000");
    EXPECT_EQ(RgbToStyleColor(0xFF0000), "#0000FF");
    EXPECT_EQ(RgbToStyleColor(0), "#000000");
    EXPECT_EQ(RgbToStyleColor(0xFFFFFFFF), "#FFFFFF") << "the high byte is ignored";
    for (std::uint32_t rgb : {0u, 1u, 0xABCDEFu, 0x102030u, 0xFFFFFFu})
        EXPECT_EQ(StyleColorToRgb(RgbToStyleColor(rgb)), rgb);
}

} // namespace
} // namespace verdask
