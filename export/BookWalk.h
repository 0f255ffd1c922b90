// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A page's body read twice on its way into a book: once for its contents and
// what the book is (title, language), then line by line into the book's writer,
// which starts a chapter at each heading. Both take the body's lines as the
// page holds them or as a conversion makes them, in pieces, so no line is held
// longer than its first megabyte.

#include "conversion/Contents.h"
#include "conversion/LineStages.h"
#include "export/BookText.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace verdask {

// Splits pieces into the lines of a page body: a line ends at CR (an LF right
// after it belongs to it) or at the end of a converted line.
class TBodyLines : public TLineSink {
public:
    void Put(std::string_view piece) final;
    void End() final;

protected:
    // The line's first bytes (all of it, or its first megabyte), then the rest in parts.
    virtual void LineHead(std::string_view head) = 0;
    virtual void LineMore(std::string_view part) = 0;
    virtual void LineEnd() = 0;

private:
    void PutInLine(std::string_view part);
    void EndLine();

    std::string head_;
    bool headGiven_ = false;
    bool afterCarriageReturn_ = false;
};

// What the first reading tells of the book.
struct TBookSurvey {
    std::vector<THeading> Headings;
    std::int64_t CyrillicLetters = 0;
    std::int64_t LatinLetters = 0;
    int IndentSpaces = 0;               // the blanks before a paragraph's text
};

// The first reading.
class TSurveyReader final : public TBodyLines {
public:
    // A conversion's body has no footer: this gives the finder the page's first footer line.
    void EndOfConvertedBody();
    TBookSurvey Finish();

private:
    void LineHead(std::string_view head) override;
    void LineMore(std::string_view part) override;
    void LineEnd() override {}
    void CountLetters(std::string_view text);

    TContentsFinder finder_;
    TBookSurvey survey_;
    bool indentSeen_ = false;
    bool inMarkup_ = false;
};

// What a book is made of, in the order of its page.
class TBookWriter {
public:
    virtual ~TBookWriter() = default;
    // A heading of the contents (TBookSurvey::Headings[index]): the title, a volume,
    // a part, a chapter or a scene break.
    virtual void Heading(std::size_t index) = 0;
    virtual void BeginParagraph(std::int64_t anchor) = 0;
    virtual void Text(std::string_view xml) = 0;
    virtual void LineBreak() = 0;
    virtual void EndParagraph() = 0;
    virtual void EmptyLine() = 0;
};

// The second reading: the body into the writer.
class TBookWalk final : public TBodyLines, private TTextOutput {
public:
    TBookWalk(const std::vector<THeading>& headings, TBookWriter& writer);
    // The end of the body: the last paragraph is closed.
    void Finish();

private:
    void LineHead(std::string_view head) override;
    void LineMore(std::string_view part) override;
    void LineEnd() override;
    void Text(std::string_view xml) override;
    void LineBreak() override;
    void CloseParagraph();
    void OpenParagraph(std::int64_t anchor);

    TBookWriter& writer_;
    std::map<std::int64_t, std::size_t> headingAt_; // body line -> heading
    std::vector<std::int64_t> nameLines_;           // lines joined to a heading above, in order
    TXmlText text_;
    std::int64_t line_ = 0;
    bool inParagraph_ = false;
    bool takesText_ = false;  // the line's text goes into the book
    bool over_ = false;       // the footer was reached
};

} // namespace verdask
