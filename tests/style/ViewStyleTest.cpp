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

TEST(DefaultStyle, NumbersKeepTheirLowEightBitsAndJustificationIsExactlyOne)
{
    TConf conf;
    conf.SetDefaults();
    conf.SetValue("DefaultFontSize", "300");
    conf.SetValue("DefaultLineHeight", "256");
    conf.SetValue("DefaultLetterSpacing", "-1");
    conf.SetValue("DefaultJustification", "2");
    conf.SetValue("DefaultTextWidth", "-40");
    TViewStyle style = LoadDefaultStyle(conf);
    EXPECT_EQ(style.FontSize, 44);
    EXPECT_EQ(style.LineHeight, 0);
    EXPECT_EQ(style.LetterSpacing, 255);
    EXPECT_FALSE(style.Justification);
    EXPECT_EQ(style.TextWidth, -40);

    conf.SetValue("DefaultJustification", "01"); // the integer 1
    EXPECT_TRUE(LoadDefaultStyle(conf).Justification);
}

TEST(DefaultStyle, ANumericKeyThatIsNoNumberIsAConversionError)
{
    for (const char* key : {"DefaultFontSize", "DefaultLineHeight", "DefaultLetterSpacing", "DefaultJustification",
                            "DefaultTextWidth"}) {
        TConf conf;
        conf.SetDefaults();
        conf.SetValue(key, "big");
        try {
            LoadDefaultStyle(conf);
            ADD_FAILURE() << key;
        } catch (const EConvertError& error) {
            EXPECT_STREQ(error.what(), "'big' is not a valid integer value");
        }
        conf.SetValue(key, "");
        EXPECT_THROW(LoadDefaultStyle(conf), EConvertError) << "a missing key reads as empty text";
    }
}

} // namespace
} // namespace verdask
