#include "style/ViewStyle.h"

#include "config/Conf.h"
#include "files/Misc.h"

namespace verdask {

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
