// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/BookText.h"

#include "files/Cp1251.h"

#include <algorithm>
#include <array>
#include <utility>

namespace verdask {
namespace {

constexpr std::string_view TitleStart = "<P style=\"text-align: center\"><B>";
constexpr std::string_view FooterStart = "</A><BR>&nbsp;<BR>Formatted by the ";
constexpr std::string_view AnchorStart = "<BR><A Name=a";
constexpr std::string_view LineBreakTag = "<BR>";
constexpr std::string_view AnchorEnd = "</A>";
constexpr std::string_view EmptyLineTag = "<P>";
constexpr std::size_t LongestEntity = 10; // "&#1114111;"
constexpr char32_t NoBreakSpace = 0xA0;

// The digits of an anchor and the ">" after them: their length, 0 for none.
std::size_t AnchorNumberLength(std::string_view text, std::int64_t* anchor = nullptr)
{
    std::size_t at = 0;
    std::int64_t number = 0;
    while (at < text.size() && at < 12 && text[at] >= '0' && text[at] <= '9')
        number = number * 10 + (text[at++] - '0');
    if (at == 0 || at >= text.size() || text[at] != '>')
        return 0;
    if (anchor)
        *anchor = number;
    return at + 1;
}

bool IsXmlCharacter(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Each byte of the page as UTF-8 for XML; empty for a byte XML has no place for.
const std::array<std::string, 256>& ByteTable()
{
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> made;
        for (int byte = 0; byte < 256; ++byte) {
            const char32_t c = byte == '\t' ? U' ' : Windows1251ToUnicode(static_cast<unsigned char>(byte));
            if (c == U'<')
                made[static_cast<std::size_t>(byte)] = "&lt;";
            else if (c == U'&')
                made[static_cast<std::size_t>(byte)] = "&amp;";
            else if (c == U'>')
                made[static_cast<std::size_t>(byte)] = "&gt;";
            else if (c >= 0x20 && c != 0xFFFD)
                AppendUtf8(c, made[static_cast<std::size_t>(byte)]);
        }
        return made;
    }();
    return table;
}

bool IsBlankByte(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\xA0';
}

} // namespace

TLineStart ReadLineStart(std::string_view head)
{
    if (head.starts_with(TitleStart))
        return {TLineKind::Title, 0, 0};
    if (head.starts_with(FooterStart))
        return {TLineKind::Footer, 0, 0};
    if (head.starts_with(EmptyLineTag))
        return {TLineKind::EmptyLine, 0, EmptyLineTag.size()};
    std::size_t at = head.starts_with(AnchorEnd) ? AnchorEnd.size() : 0;
    const std::string_view rest = head.substr(at);
    if (rest.starts_with(AnchorStart)) {
        std::int64_t anchor = 0;
        if (const std::size_t length = AnchorNumberLength(rest.substr(AnchorStart.size()), &anchor))
            return {TLineKind::Paragraph, anchor, at + AnchorStart.size() + length};
    }
    if (rest.starts_with(LineBreakTag))
        return {TLineKind::Paragraph, 0, at + LineBreakTag.size()};
    return {TLineKind::Continuation, 0, at};
}

void TXmlText::PutXml(std::string_view xml)
{
    run_ += xml;
    atLineStart_ = false;
}

void TXmlText::PutCodePoint(char32_t c)
{
    if (!IsXmlCharacter(c) || c == 0xFFFD)
        return;
    if (atLineStart_ && (c == U' ' || c == NoBreakSpace))
        return;
    if (c == U'<')
        PutXml("&lt;");
    else if (c == U'&')
        PutXml("&amp;");
    else if (c == U'>')
        PutXml("&gt;");
    else {
        AppendUtf8(c == U'\t' ? U' ' : c, run_);
        atLineStart_ = false;
    }
}

std::size_t TXmlText::PutMarkup(std::string_view text, bool more)
{
    if (text.front() == '<') {
        // "<P>" stands inside a line before a "Last-modified:" of the text.
        for (const std::string_view tag : {LineBreakTag, AnchorEnd, EmptyLineTag}) {
            if (text.starts_with(tag)) {
                if (tag != AnchorEnd) {
                    // The blanks before a break are the indent of the line that was joined here.
                    while (run_.ends_with(' '))
                        run_.pop_back();
                    output_.Text(std::exchange(run_, {}));
                    output_.LineBreak();
                    atLineStart_ = true;
                }
                return tag.size();
            }
            if (more && tag.starts_with(text))
                return 0;
        }
        constexpr std::string_view Anchor = "<A Name=a";
        if (text.starts_with(Anchor)) {
            if (const std::size_t length = AnchorNumberLength(text.substr(Anchor.size())))
                return Anchor.size() + length;
            if (more && text.size() < Anchor.size() + 13)
                return 0;
        } else if (more && Anchor.starts_with(text)) {
            return 0;
        }
        PutCodePoint(U'<');
        return 1;
    }
    const std::size_t end = text.substr(0, LongestEntity + 1).find(';');
    if (end == std::string_view::npos && more && text.size() <= LongestEntity)
        return 0;
    if (end != std::string_view::npos) {
        if (const auto c = HtmlEntityCodePoint(text.substr(1, end - 1))) {
            PutCodePoint(*c);
            return end + 1;
        }
    }
    PutCodePoint(U'&');
    return 1;
}

void TXmlText::Put(std::string_view part)
{
    std::string joined;
    if (!held_.empty()) {
        joined = std::exchange(held_, {});
        joined += part;
        part = joined;
    }
    const auto& table = ByteTable();
    std::size_t at = 0;
    while (at < part.size()) {
        const char byte = part[at];
        if (byte == '<' || byte == '&') {
            const std::size_t taken = PutMarkup(part.substr(at), true);
            if (taken == 0) {
                held_ = part.substr(at);
                break;
            }
            at += taken;
            continue;
        }
        if (atLineStart_ && IsBlankByte(byte)) {
            ++at;
            continue;
        }
        // A run of plain bytes goes in one step.
        std::size_t end = at;
        while (end < part.size() && part[end] != '<' && part[end] != '&') {
            const std::string& utf8 = table[static_cast<unsigned char>(part[end])];
            run_ += utf8;
            ++end;
        }
        atLineStart_ = false;
        at = end;
    }
    output_.Text(std::exchange(run_, {}));
}

void TXmlText::EndLine()
{
    std::string_view held = held_;
    while (!held.empty()) {
        const std::size_t taken = PutMarkup(held, false);
        held.remove_prefix(taken);
        if (!held.empty() && held.front() != '<' && held.front() != '&') {
            const std::size_t next = std::min(held.find_first_of("<&"), held.size());
            for (const char byte : held.substr(0, next))
                run_ += ByteTable()[static_cast<unsigned char>(byte)];
            held.remove_prefix(next);
        }
    }
    held_.clear();
    output_.Text(std::exchange(run_, {}));
}

std::string XmlTextOf(std::string_view pageText)
{
    struct TCollect final : TTextOutput {
        std::string Xml;
        void Text(std::string_view xml) override { Xml += xml; }
        void LineBreak() override { Xml += ' '; }
    } collect;
    TXmlText text(collect);
    text.StartParagraph();
    text.Put(pageText);
    text.EndLine();
    std::string_view xml = collect.Xml;
    while (xml.ends_with(' ') || xml.ends_with("\xC2\xA0"))
        xml.remove_suffix(xml.back() == ' ' ? 1 : 2);
    return std::string(xml);
}

std::string EscapedXml(std::string_view utf8)
{
    std::string out;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const char32_t c = NextUtf8CodePoint(utf8, at);
        if (c == U'<')
            out += "&lt;";
        else if (c == U'&')
            out += "&amp;";
        else if (c == U'>')
            out += "&gt;";
        else if (c == U'"')
            out += "&quot;";
        else if (IsXmlCharacter(c) && c != 0xFFFD)
            AppendUtf8(c, out);
    }
    return out;
}

} // namespace verdask
