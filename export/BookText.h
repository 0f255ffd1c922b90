// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The text of a page's body as a book holds it: what each line of the body
// starts (a paragraph, an empty line, the title) and its text in UTF-8, escaped
// for XML. The page writes the text as windows-1251 with the few tags and
// entities its rules make; anything else that looks like markup is the book's
// own text ("<Одна из последних глав>") and stays text.

#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

enum class TLineKind {
    Title,        // the centred title line
    EmptyLine,    // "<P>": an empty line; text after it starts a paragraph
    Paragraph,    // a line break, and with an anchor a paragraph of the text
    Continuation, // more text of the paragraph above: joined with a blank
    Footer,       // the first line of the page's footer: the body is over
};

struct TLineStart {
    TLineKind Kind = TLineKind::Continuation;
    std::int64_t Anchor = 0;  // a paragraph's anchor, 0 for none
    std::size_t TextAt = 0;   // where the line's text begins
};

// What the line starts as, told from its first bytes.
TLineStart ReadLineStart(std::string_view head);

// Where converted text goes: text ready for XML and the page's line breaks.
class TTextOutput {
public:
    virtual ~TTextOutput() = default;
    virtual void Text(std::string_view xml) = 0;
    virtual void LineBreak() = 0;
};

// Converts the text of a line given in parts. A tag or an entity cut between
// two parts is held until the next one.
class TXmlText {
public:
    explicit TXmlText(TTextOutput& output) : output_(output) {}

    // Blanks at the start of a paragraph and after a line break are left out:
    // the book's style indents.
    void StartParagraph() { atLineStart_ = true; }
    // The next line goes on the paragraph, after a blank (the page's line end).
    void JoinLine() { run_ += ' '; }
    void Put(std::string_view part);
    // The line is over: what is held is text.
    void EndLine();

private:
    // Returns how many bytes of text it took, 0 when the markup may go on in the next part.
    std::size_t PutMarkup(std::string_view text, bool more);
    void PutCodePoint(char32_t c);
    void PutXml(std::string_view xml);

    TTextOutput& output_;
    std::string held_;
    std::string run_;
    bool atLineStart_ = false;
};

// Text of the page (windows-1251, its entities) in UTF-8 for XML, in one piece,
// without blanks around it: a heading, a title.
std::string XmlTextOf(std::string_view pageText);

// Text in UTF-8 escaped for XML: "<", "&" and ">" as references; characters
// XML does not allow are left out.
std::string EscapedXml(std::string_view utf8);

} // namespace verdask
