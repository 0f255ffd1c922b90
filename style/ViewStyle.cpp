// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/ViewStyle.h"

#include "config/Conf.h"
#include "files/Cp1251.h"
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

std::int32_t InRange(std::int64_t value, TStyleRange range)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, range.Lowest, range.Highest));
}

std::uint8_t ByteInRange(std::int64_t value, TStyleRange range)
{
    return static_cast<std::uint8_t>(InRange(value, range));
}

namespace {

// Letters of the Latin and Cyrillic scripts, the letters windows-1251 holds.
bool IsLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0x0400 && c <= 0x04FF);
}

} // namespace

std::string FontNameFault(std::string_view name)
{
    for (const char byte : name) {
        const char32_t c = Windows1251ToUnicode(static_cast<unsigned char>(byte));
        if (!IsLetter(c) && !(c >= U'0' && c <= U'9') && c != U' ' && c != U'-' && c != U'.' && c != U'_')
            return FormatMessage("'%s' is not a font name: a name holds letters, digits, blanks, '-', '.' and '_' only",
                                 Windows1251ToUtf8(name));
    }
    return {};
}

std::string ColorFault(std::string_view color)
{
    constexpr std::string_view HexDigits = "0123456789abcdefABCDEF";
    if (color.size() == 7 && color[0] == '#' && color.find_first_not_of(HexDigits, 1) == std::string_view::npos)
        return {};
    return FormatMessage("'%s' is not a colour: a colour is '#' and six hexadecimal digits", Windows1251ToUtf8(color));
}

EStyleValueError::EStyleValueError(std::string_view file, std::string_view key, std::string_view reason)
    : EVerdaskError(std::string(file) + ": " + std::string(key) + ": " + std::string(reason))
{
}

TViewStyle LoadDefaultStyle(const TConf& conf, const TBadSetting& bad)
{
    const auto badValue = [&](std::string_view key, const std::string& reason) {
        if (!bad)
            throw EStyleValueError("the settings", key, reason);
        bad(key, reason);
        return DefaultValueOf(key);
    };
    const auto integer = [&](std::string_view key) -> std::int64_t {
        const std::string value = conf.GetValue(key);
        if (const auto number = TryTextToInteger(value))
            return *number;
        if (!bad)
            throw EConvertError(value);
        return TextToInteger(badValue(key, EConvertError(Windows1251ToUtf8(value)).what()));
    };
    const auto checked = [&](std::string_view key, std::string (*fault)(std::string_view)) {
        std::string value = conf.GetValue(key);
        const std::string reason = fault(value);
        return reason.empty() ? value : badValue(key, reason);
    };
    TViewStyle style;
    style.FontColor = checked(ConfKey::DefaultFontColor, ColorFault);
    style.BackColor = checked(ConfKey::DefaultBackColor, ColorFault);
    style.FontName = checked(ConfKey::DefaultFontName, FontNameFault);
    style.FontSize = ByteInRange(integer(ConfKey::DefaultFontSize), FontSizeRange);
    style.LineHeight = ByteInRange(integer(ConfKey::DefaultLineHeight), LineHeightRange);
    style.LetterSpacing = ByteInRange(integer(ConfKey::DefaultLetterSpacing), LetterSpacingRange);
    style.Justification = integer(ConfKey::DefaultJustification) == 1;
    style.TextWidth = InRange(integer(ConfKey::DefaultTextWidth), TextWidthRange);
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
