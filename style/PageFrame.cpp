// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/PageFrame.h"

#include "files/Cp1251.h"
#include "files/Misc.h"
#include "files/TextFile.h"
#include "style/StyleCss.h"

#include <array>

namespace verdask {
namespace {

// A file name holding "<", ">" or "&" or a control character would otherwise put
// markup, or a line break, into the head; the invariants of the head (no "<BODY"
// before the body start line, one line per header line) must hold for any name.
std::string EscapeTitle(std::string_view title)
{
    std::string escaped;
    escaped.reserve(title.size());
    for (const char c : title) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else if (byte < 0x20 || byte == 0x7F)
            escaped += "&#" + std::to_string(byte) + ";";
        else
            escaped += c;
    }
    return escaped;
}

void AppendLine(std::string& text, std::string_view line)
{
    text += line;
    text += LineEnd;
}

} // namespace

std::string PageTitle(std::string_view pagePath)
{
    return Utf8ToHtml1251(EscapeTitle(FileNamePart(pagePath)));
}

std::string MakeBookmarkScript(std::int64_t position)
{
    const std::string body = position > 0 ? "{window.navigate('#a" + IntegerToText(position) + "'); window.focus();}"
                                          : std::string("{window.focus();}");
    return "<SCRIPT language=\"javascript\">function doLoad() " + body + "</SCRIPT>";
}

std::int64_t BookmarkAnchorOf(std::string_view scriptLine)
{
    constexpr std::string_view Jump = "<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a";
    constexpr std::string_view JumpEnd = "'); window.focus();}</SCRIPT>";
    if (!scriptLine.starts_with(Jump) || !scriptLine.ends_with(JumpEnd))
        return 0;
    const std::string_view number = scriptLine.substr(Jump.size(), scriptLine.size() - Jump.size() - JumpEnd.size());
    const auto anchor = TryTextToInteger(number);
    return anchor && *anchor > 0 && scriptLine == MakeBookmarkScript(static_cast<std::int64_t>(*anchor)) ? *anchor : 0;
}

std::string PageHeaderText(std::string_view pagePath, const TViewStyle& style, std::int64_t position)
{
    std::string text;
    AppendLine(text, "<HTML>");
    AppendLine(text, "<HEAD>");
    AppendLine(text, "<TITLE>" + PageTitle(pagePath) + "</TITLE>");
    AppendLine(text, "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">");
    AppendLine(text, "<STYLE TYPE=\"text/css\">");
    AppendLine(text, BodyRule(style));
    AppendLine(text, ParagraphRule(style));
    AppendLine(text, TableRule(style));
    AppendLine(text, "</STYLE>");
    AppendLine(text, MakeBookmarkScript(position));
    AppendLine(text, "</HEAD>");
    AppendLine(text, style.TextWidth == 100 ? BodyStartLine : CentredBodyStartLine);
    AppendLine(text, HeaderEndMarker);
    return text;
}

std::string PageFooterText()
{
    std::string text;
    AppendLine(text, std::string("</A><BR>&nbsp;<BR>Formatted by the <I>Verdask Library Text Converter</I>, <A HREF=") +
                         std::string(HomePageAddress) + ">" + "<NOBR>" + std::string(HomePageAddress) + "</NOBR>" +
                         "</A>");
    AppendLine(text, "</TD></TR></TABLE>");
    AppendLine(text, "</BODY></HTML>");
    return text;
}

void WritePageHeader(TTextWriter& page, std::string_view pagePath, const TViewStyle& style, std::int64_t position)
{
    page.Write(PageHeaderText(pagePath, style, position));
}

void AppendPageFooter(TTextWriter& page)
{
    page.Write(PageFooterText());
}

} // namespace verdask
