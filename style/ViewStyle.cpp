// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/ViewStyle.h"

#include "config/Conf.h"
#include "files/Misc.h"

#include <algorithm>

namespace verdask {

namespace {

template <typename Number>
Number Within(Number value, TStyleRange range)
{
    return static_cast<Number>(std::clamp<int>(value, range.Lowest, range.Highest));
}

} // namespace

TViewStyle WithinEditorRanges(TViewStyle style)
{
    style.FontSize = Within(style.FontSize, FontSizeRange);
    style.LineHeight = Within(style.LineHeight, LineHeightRange);
    style.LetterSpacing = Within(style.LetterSpacing, LetterSpacingRange);
    style.TextWidth = Within(style.TextWidth, TextWidthRange);
    return style;
}

std::uint8_t LowByte(std::int32_t value)
{
    return static_cast<std::uint8_t>(value);
}

TViewStyle LoadDefaultStyle(const TConf& conf, const TIntegerSetting& integerOf)
{
    const auto integer = [&](std::string_view key) {
        return integerOf ? integerOf(key) : TextToInteger(conf.GetValue(key));
    };
    TViewStyle style;
    style.FontColor = conf.GetValue(ConfKey::DefaultFontColor);
    style.BackColor = conf.GetValue(ConfKey::DefaultBackColor);
    style.FontName = conf.GetValue(ConfKey::DefaultFontName);
    style.FontSize = LowByte(integer(ConfKey::DefaultFontSize));
    style.LineHeight = LowByte(integer(ConfKey::DefaultLineHeight));
    style.LetterSpacing = LowByte(integer(ConfKey::DefaultLetterSpacing));
    style.Justification = integer(ConfKey::DefaultJustification) == 1;
    style.TextWidth = integer(ConfKey::DefaultTextWidth);
    return style;
}

void StoreDefaultStyle(TConf& conf, const TViewStyle& style)
{
    conf.SetValue(ConfKey::DefaultFontColor, style.FontColor);
    conf.SetValue(ConfKey::DefaultBackColor, style.BackColor);
    conf.SetValue(ConfKey::DefaultFontName, style.FontName);
    conf.SetValue(ConfKey::DefaultFontSize, IntegerToText(style.FontSize));
    conf.SetValue(ConfKey::DefaultLineHeight, IntegerToText(style.LineHeight));
    conf.SetValue(ConfKey::DefaultLetterSpacing, IntegerToText(style.LetterSpacing));
    conf.SetValue(ConfKey::DefaultJustification, style.Justification ? "1" : "0");
    conf.SetValue(ConfKey::DefaultTextWidth, IntegerToText(style.TextWidth));
}

} // namespace verdask
