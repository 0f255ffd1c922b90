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

std::string PageHeaderText(std::string_view pagePath, const TViewStyle& style)
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
    AppendLine(text, PlainScriptLine);
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

void WritePageHeader(TTextWriter& page, std::string_view pagePath, const TViewStyle& style)
{
    page.Write(PageHeaderText(pagePath, style));
}

void AppendPageFooter(TTextWriter& page)
{
    page.Write(PageFooterText());
}

} // namespace verdask
