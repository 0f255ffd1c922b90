// SPDX-License-Identifier: GPL-3.0-or-later
// A page's body on its way into a book: whatever the body holds, the text the
// book writers get is XML text (no markup but the escapes, valid UTF-8, no
// character XML forbids), paragraphs open and close in pairs, every heading
// is one of the contents, and the body given in pieces gives the same book.

#include "conversion/Contents.h"
#include "export/BookText.h"
#include "export/BookWalk.h"
#include "files/Cp1251.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

using namespace verdask;

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// XML character data: no "<", an "&" only in the escapes the converter makes.
void RequireXmlText(std::string_view xml)
{
    Require(xml.find('<') == std::string_view::npos);
    for (std::size_t at = xml.find('&'); at != std::string_view::npos; at = xml.find('&', at + 1)) {
        const std::string_view rest = xml.substr(at);
        Require(rest.starts_with("&lt;") || rest.starts_with("&gt;") || rest.starts_with("&amp;") ||
                rest.starts_with("&quot;"));
    }
    for (std::size_t at = 0; at < xml.size();) {
        const char32_t c = NextUtf8CodePoint(xml, at);
        Require(c != 0xFFFD && (c >= 0x20 || c == 0x9 || c == 0xA || c == 0xD));
        Require(c < 0xD800 || c > 0xDFFF);
    }
}

class TCheckedBook final : public TBookWriter {
public:
    explicit TCheckedBook(std::size_t headings) : headings_(headings) {}

    void Heading(std::size_t index) override
    {
        Require(!inParagraph_ && index < headings_);
        Book += "[h" + std::to_string(index) + "]";
    }
    void BeginParagraph(std::int64_t anchor) override
    {
        Require(!inParagraph_ && anchor >= 0);
        inParagraph_ = true;
        Book += "[p" + std::to_string(anchor) + "]";
    }
    void Text(std::string_view xml) override
    {
        Require(inParagraph_);
        RequireXmlText(xml);
        Book += xml;
    }
    void LineBreak() override
    {
        Require(inParagraph_);
        Book += "[br]";
    }
    void EndParagraph() override
    {
        Require(std::exchange(inParagraph_, false));
        Book += "[/p]";
    }
    void EmptyLine() override
    {
        Require(!inParagraph_);
        Book += "[e]";
    }
    void Finish() const { Require(!inParagraph_); }

    std::string Book;

private:
    std::size_t headings_;
    bool inParagraph_ = false;
};

// The body given to a reader in pieces of size bytes, a line end after it.
void Give(TLineSink& reader, std::string_view body, std::size_t size)
{
    for (std::size_t at = 0; at < body.size(); at += size)
        reader.Put(body.substr(at, size));
    reader.End();
}

std::string BookOf(std::string_view body, std::size_t size)
{
    TSurveyReader survey;
    Give(survey, body, size);
    const TBookSurvey found = survey.Finish();
    for (const THeading& heading : found.Headings)
        RequireXmlText(XmlTextOf(heading.Text));
    TCheckedBook book(found.Headings.size());
    TBookWalk walk(found.Headings, book);
    Give(walk, body, size);
    walk.Finish();
    book.Finish();
    return book.Book;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t pieces = 1 + data[0] % 7;
    const std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string whole = BookOf(body, body.size() + 1);
    Require(BookOf(body, pieces) == whole);
    RequireXmlText(EscapedXml(body));
    return 0;
}
