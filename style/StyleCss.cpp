// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/StyleCss.h"

#include "files/LineReader.h"
#include "files/Misc.h"

#include <array>
#include <cstdint>
#include <vector>

namespace verdask {

namespace {

// The value when it is one of its kind, else the default style's: nothing but a
// name or a colour is ever written into a rule.
std::string RuleValue(const std::string& value, std::string (*fault)(std::string_view), const std::string& fallback)
{
    return fault(value).empty() ? value : fallback;
}

} // namespace

std::string SpacingText(const TViewStyle& style)
{
    return style.LetterSpacing == 0 ? std::string("normal") : IntegerToText(style.LetterSpacing) + "pt";
}

std::string AlignmentText(const TViewStyle& style)
{
    return style.Justification ? "justify" : "left";
}

std::string BodyRule(const TViewStyle& style)
{
    const TViewStyle defaults;
    return "BODY { color: " + RuleValue(style.FontColor, ColorFault, defaults.FontColor) + ";" +
           "background: " + RuleValue(style.BackColor, ColorFault, defaults.BackColor) + ";" +
           "font-family: " + RuleValue(style.FontName, FontNameFault, defaults.FontName) + ";" +
           "font-size: " + IntegerToText(style.FontSize) + "pt;" +
           "line-height: " + IntegerToText(style.LineHeight) + "pt;" + "letter-spacing: " + SpacingText(style) +
           " } ";
}

std::string ParagraphRule(const TViewStyle& style)
{
    return "P { text-align: " + AlignmentText(style) + ";" + "font-size: " + IntegerToText(style.FontSize) + "pt;" +
           "line-height: " + IntegerToText(style.LineHeight) + "pt;" + "letter-spacing: " + SpacingText(style) +
           " } ";
}

std::string TableRule(const TViewStyle& style)
{
    return "TABLE { width: " + IntegerToText(style.TextWidth) + "%" + " } ";
}

namespace {

constexpr std::string_view HeadEnd = "</HEAD>";

// The cuts of the read-back work on 1-based positions. Pos is 0 when key is absent.
std::int64_t Pos(std::string_view key, std::string_view line)
{
    const auto at = line.find(key);
    return at == std::string_view::npos ? 0 : static_cast<std::int64_t>(at) + 1;
}

// Up to count characters from 1-based start; a start below 1 counts as 1.
std::string Sub(std::string_view line, std::int64_t start, std::int64_t count)
{
    if (start < 1)
        start = 1;
    const auto length = static_cast<std::int64_t>(line.size());
    if (count <= 0 || start > length)
        return {};
    return std::string(line.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

} // namespace

std::vector<std::string> FindHeadLines(const std::string& pagePath, std::span<const std::string_view> keys,
                                       FileSystem& fileSystem)
{
    const std::size_t keyCount = keys.size();
    std::vector<std::string> found(keyCount);
    std::vector<bool> done(keyCount, false);
    std::size_t remaining = keyCount;
    // The rule lines are short; no more of any line is held.
    constexpr std::size_t MostOfALine = 64 * 1024;
    TLineReader reader(fileSystem, pagePath, LineEnds::CarriageReturn);
    std::string line;
    while (remaining > 0 && reader.ReadLineHead(line, MostOfALine)) {
        if (line.find(HeadEnd) != std::string::npos)
            break;
        for (std::size_t i = 0; i < keyCount; ++i) {
            if (!done[i] && line.find(keys[i]) != std::string::npos) {
                found[i] = line;
                done[i] = true;
                --remaining;
            }
        }
    }
    reader.Close();
    return found;
}

std::string FindHeadLine(const std::string& pagePath, std::string_view key, FileSystem& fileSystem)
{
    return FindHeadLines(pagePath, std::span(&key, 1), fileSystem)[0];
}

TViewStyle StyleFromHeadLines(std::string_view bodyLine, std::string_view paragraphLine, std::string_view tableLine,
                              const TViewStyle& defaultStyle)
{
    TViewStyle style = defaultStyle;
    if (bodyLine.empty())
        return style;

    const std::string_view L = bodyLine;
    style.FontColor = RuleValue(Sub(L, Pos("color: #", L) + 7, 7), ColorFault, defaultStyle.FontColor);
    style.BackColor = RuleValue(Sub(L, Pos("background: #", L) + 12, 7), ColorFault, defaultStyle.BackColor);
    const std::int64_t f = Pos("font-family", L);
    const std::int64_t s = Pos("font-size", L);
    style.FontName = RuleValue(Sub(L, f + 13, s - f - 14), FontNameFault, defaultStyle.FontName);
    const std::int64_t h = Pos("line-height:", L);
    style.FontSize = ByteInRange(TextToInteger(Sub(L, s + 11, h - s - 14)), FontSizeRange);
    const std::int64_t g = Pos("letter-spacing", L);
    style.LineHeight = ByteInRange(TextToInteger(Sub(L, h + 13, g - h - 16)), LineHeightRange);
    std::string spacing = Sub(L, g + 16, static_cast<std::int64_t>(L.size()) - g - 20);
    if (spacing == "norm")
        spacing = "0";
    style.LetterSpacing = ByteInRange(TryTextToInteger(spacing).value_or(0), LetterSpacingRange);

    const std::int64_t a = Pos("text-align:", paragraphLine);
    style.Justification = a != 0 && Sub(paragraphLine, a + 12, 1) == "j";

    style.TextWidth = 100;
    const std::int64_t w = Pos("width:", tableLine);
    const std::int64_t p = Pos("%", tableLine);
    if (w != 0 && p != 0)
        style.TextWidth = InRange(TryTextToInteger(Sub(tableLine, w + 7, p - w - 7)).value_or(100), TextWidthRange);
    return style;
}

TViewStyle ReadStyleFromPage(const std::string& pagePath, const TViewStyle& defaultStyle, FileSystem& fileSystem)
{
    static constexpr std::array<std::string_view, 3> Keys = {BodyRuleKey, ParagraphRuleKey, TableRuleKey};
    const auto lines = FindHeadLines(pagePath, Keys, fileSystem);
    return StyleFromHeadLines(lines[0], lines[1], lines[2], defaultStyle);
}

} // namespace verdask
