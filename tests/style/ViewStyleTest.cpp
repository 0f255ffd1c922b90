// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/ViewStyle.h"

#include "config/Conf.h"
#include "files/Errors.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

TEST(DefaultStyle, TheDefaultsOfTheConfigurationGiveTheDefaultRecord)
{
    TConf conf;
    conf.SetDefaults();
    EXPECT_EQ(LoadDefaultStyle(conf), TViewStyle{});
    const TViewStyle style;
    EXPECT_EQ(style.FontColor, "#000000");
    EXPECT_EQ(style.BackColor, "#FFFFFF");
    EXPECT_EQ(style.FontName, "Arial");
    EXPECT_EQ(style.FontSize, 14);
    EXPECT_EQ(style.LineHeight, 18);
    EXPECT_EQ(style.LetterSpacing, 1);
    EXPECT_FALSE(style.Justification);
    EXPECT_EQ(style.TextWidth, 100);
}

TEST(DefaultStyle, StoreWritesTheEightKeysInOrderAndLoadReadsThemBack)
{
    TConf conf;
    TViewStyle style;
    style.FontColor = "#102030";
    style.BackColor = "#FFFFF0";
    style.FontName = "Times New Roman";
    style.FontSize = 72;
    style.LineHeight = 100;
    style.LetterSpacing = 0;
    style.Justification = true;
    style.TextWidth = 30;
    StoreDefaultStyle(conf, style);
    EXPECT_EQ(conf.Lines(), (std::vector<std::string>{
                                "DefaultFontColor=#102030", "DefaultBackColor=#FFFFF0",
                                "DefaultFontName=Times New Roman", "DefaultFontSize=72", "DefaultLineHeight=100",
                                "DefaultLetterSpacing=0", "DefaultJustification=1", "DefaultTextWidth=30"}));
    EXPECT_EQ(LoadDefaultStyle(conf), style);

    style.FontName.clear(); // an empty font box: the key goes
    StoreDefaultStyle(conf, style);
    EXPECT_EQ(conf.Lines().size(), 7u);
}

TEST(DefaultStyle, NumbersTakeTheNearestEndOfTheirRangeAndJustificationIsExactlyOne)
{
    TConf conf;
    conf.SetDefaults();
    conf.SetValue("DefaultFontSize", "300");
    conf.SetValue("DefaultLineHeight", "256");
    conf.SetValue("DefaultLetterSpacing", "-1");
    conf.SetValue("DefaultJustification", "2");
    conf.SetValue("DefaultTextWidth", "-40");
    TViewStyle style = LoadDefaultStyle(conf);
    EXPECT_EQ(style.FontSize, 72);
    EXPECT_EQ(style.LineHeight, 100);
    EXPECT_EQ(style.LetterSpacing, 0);
    EXPECT_FALSE(style.Justification);
    EXPECT_EQ(style.TextWidth, 30);
    conf.SetValue("DefaultFontSize", "-5");
    EXPECT_EQ(LoadDefaultStyle(conf).FontSize, 2);

    conf.SetValue("DefaultJustification", "01"); // the integer 1
    EXPECT_TRUE(LoadDefaultStyle(conf).Justification);
}

TEST(DefaultStyle, AKeyThatHoldsNoValueOfItsKindIsToldAndAloneTakesItsDefault)
{
    const struct {
        const char* Key;
        const char* Value;
        const char* Reason;
    } rows[] = {
        {"DefaultFontSize", "big", "'big' is not a valid integer value"},
        {"DefaultTextWidth", "", "'' is not a valid integer value"},
        {"DefaultFontName", "Arial/*", "'Arial/*' is not a font name"},
        {"DefaultFontName", "A'B", "'A'B' is not a font name"},
        {"DefaultFontColor", "#FFFFFF url(http://host/x.png)", "'#FFFFFF url(http://host/x.png)' is not a colour"},
        {"DefaultBackColor", "red", "'red' is not a colour"},
    };
    for (const auto& row : rows) {
        TConf conf;
        conf.SetDefaults();
        conf.SetValue("DefaultLineHeight", "30");
        conf.SetValue(row.Key, row.Value);
        std::vector<std::string> told;
        const TViewStyle style = LoadDefaultStyle(conf, [&](std::string_view key, const std::string& reason) {
            told.push_back(std::string(key) + ": " + reason);
        });
        ASSERT_EQ(told.size(), 1u) << row.Key;
        EXPECT_TRUE(told[0].starts_with(std::string(row.Key) + ": " + row.Reason)) << told[0];
        TViewStyle expected;
        expected.LineHeight = 30; // the other keys keep their values
        EXPECT_EQ(style, expected) << row.Key;
        // Without a listener, the first such key is an error.
        EXPECT_THROW(LoadDefaultStyle(conf), EVerdaskError) << row.Key;
    }
}

} // namespace
} // namespace verdask
