// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a style back out of a page: any page is read without harm, the one-pass
// search finds what a search per key finds, and the style of a page this program
// wrote is the style it was written with.

#include "FuzzSupport.h"
#include "files/Errors.h"
#include "style/PageFrame.h"
#include "style/StyleCss.h"

#include <array>

using namespace verdask;

namespace {

constexpr std::array<std::string_view, 3> Keys = {BodyRuleKey, ParagraphRuleKey, TableRuleKey};

void ReadAnyPage(std::string_view bytes)
{
    const std::string path = fuzz::File("any.html");
    fuzz::Write(path, bytes);
    const auto lines = FindHeadLines(path, Keys);
    for (std::size_t i = 0; i < Keys.size(); ++i)
        fuzz::Require(lines[i] == FindHeadLine(path, Keys[i]));
    try {
        const TViewStyle style = ReadStyleFromPage(path, TViewStyle{});
        if (lines[0].empty())
            fuzz::Require(style == TViewStyle{});
    } catch (const EConvertError&) {
        // a font size or line height that is no number: the user is told
    }
}

// The style as the head holds it: a text that is no name or colour as the
// default's, and the numbers within their ranges.
TViewStyle AsWritten(TViewStyle style)
{
    const TViewStyle defaults;
    if (!FontNameFault(style.FontName).empty())
        style.FontName = defaults.FontName;
    if (!ColorFault(style.FontColor).empty())
        style.FontColor = defaults.FontColor;
    if (!ColorFault(style.BackColor).empty())
        style.BackColor = defaults.BackColor;
    style.FontSize = ByteInRange(style.FontSize, FontSizeRange);
    style.LineHeight = ByteInRange(style.LineHeight, LineHeightRange);
    style.LetterSpacing = ByteInRange(style.LetterSpacing, LetterSpacingRange);
    style.TextWidth = InRange(style.TextWidth, TextWidthRange);
    return style;
}

// The read-back finds its fields by the first place of their labels in the line, so
// a font name holding a label, a line end or the head's end reads back otherwise;
// colours are read as seven characters.
bool ReadsBackAsWritten(const TViewStyle& style)
{
    if (style.FontColor.size() != 7 || style.BackColor.size() != 7)
        return false;
    constexpr std::array<std::string_view, 9> Labels = {
        BodyRuleKey, ParagraphRuleKey, TableRuleKey, "font-size", "line-height:", "letter-spacing", "</HEAD>", "\r",
        "\x1A"};
    for (const std::string_view part : Labels) {
        if (fuzz::Holds(style.FontName, part) || fuzz::Holds(style.FontColor, part) ||
            fuzz::Holds(style.BackColor, part))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const TViewStyle style = fuzz::StyleFrom(input);
    const std::string path = fuzz::File("book.html");
    fuzz::Write(path, PageHeaderText(path, style) + std::string(input.Rest()));
    if (const TViewStyle written = AsWritten(style); ReadsBackAsWritten(written))
        fuzz::Require(ReadStyleFromPage(path, TViewStyle{}) == written);
    ReadAnyPage(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
