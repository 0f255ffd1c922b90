// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/BookWalk.h"

#include "style/PageFrame.h"

#include <algorithm>
#include <utility>

namespace verdask {
namespace {

// As much of a line as the contents finder looks at (ReadContents keeps as much).
constexpr std::size_t HeadSize = 1 << 20;

bool IsCyrillic(unsigned char byte)
{
    return byte >= 0xC0 || byte == 0xA8 || byte == 0xB8;
}

bool IsLatin(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

std::string FirstFooterLine()
{
    const std::string footer = PageFooterText();
    return footer.substr(0, footer.find('\r'));
}

} // namespace

void TBodyLines::Put(std::string_view piece)
{
    while (!piece.empty()) {
        if (afterCarriageReturn_ && piece.front() == '\n')
            piece.remove_prefix(1);
        afterCarriageReturn_ = false;
        const std::size_t end = piece.find('\r');
        PutInLine(piece.substr(0, end));
        if (end == std::string_view::npos)
            return;
        EndLine();
        afterCarriageReturn_ = true;
        piece.remove_prefix(end + 1);
    }
}

void TBodyLines::End()
{
    // A converted line ends here; one that ended at a CR of its own has no second end.
    if (!afterCarriageReturn_ || headGiven_ || !head_.empty())
        EndLine();
    afterCarriageReturn_ = false;
}

void TBodyLines::PutInLine(std::string_view part)
{
    if (headGiven_) {
        LineMore(part);
        return;
    }
    const std::size_t room = HeadSize - head_.size();
    head_ += part.substr(0, room);
    if (part.size() < room)
        return;
    LineHead(head_);
    headGiven_ = true;
    head_.clear();
    LineMore(part.substr(room));
}

void TBodyLines::EndLine()
{
    if (!headGiven_)
        LineHead(head_);
    head_.clear();
    headGiven_ = false;
    LineEnd();
}

void TSurveyReader::LineHead(std::string_view head)
{
    finder_.AddLine(head);
    const TLineStart start = ReadLineStart(head);
    if (start.Kind == TLineKind::Title)
        return;
    if (!indentSeen_ && start.Kind == TLineKind::Paragraph && start.Anchor > 0) {
        indentSeen_ = true;
        std::string_view text = head.substr(start.TextAt);
        while (text.starts_with("&nbsp;")) {
            ++survey_.IndentSpaces;
            text.remove_prefix(6);
        }
    }
    inMarkup_ = false;
    CountLetters(head.substr(start.TextAt));
}

void TSurveyReader::LineMore(std::string_view part)
{
    CountLetters(part);
}

// Letters of the text only: the page's tags and entities are Latin.
void TSurveyReader::CountLetters(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (inMarkup_) {
            inMarkup_ = c != '>' && c != ';' && c != ' ';
            continue;
        }
        if (c == '<' || c == '&')
            inMarkup_ = true;
        else if (IsCyrillic(byte))
            ++survey_.CyrillicLetters;
        else if (IsLatin(byte))
            ++survey_.LatinLetters;
    }
}

void TSurveyReader::EndOfConvertedBody()
{
    finder_.AddLine(FirstFooterLine());
}

TBookSurvey TSurveyReader::Finish()
{
    survey_.Headings = finder_.Finish();
    return std::move(survey_);
}

TBookWalk::TBookWalk(const std::vector<THeading>& headings, TBookWriter& writer) : writer_(writer), text_(*this)
{
    for (std::size_t index = 0; index < headings.size(); ++index) {
        headingAt_.emplace(headings[index].Line, index);
        if (headings[index].NameLine > 0)
            nameLines_.push_back(headings[index].NameLine);
    }
}

void TBookWalk::CloseParagraph()
{
    if (std::exchange(inParagraph_, false))
        writer_.EndParagraph();
}

void TBookWalk::OpenParagraph(std::int64_t anchor)
{
    CloseParagraph();
    writer_.BeginParagraph(anchor);
    inParagraph_ = true;
    text_.StartParagraph();
}

void TBookWalk::LineHead(std::string_view head)
{
    ++line_;
    takesText_ = false;
    if (over_)
        return;
    const TLineStart start = ReadLineStart(head);
    if (start.Kind == TLineKind::Footer) {
        over_ = true;
        return;
    }
    if (const auto heading = headingAt_.find(line_); heading != headingAt_.end()) {
        CloseParagraph();
        writer_.Heading(heading->second);
        return;
    }
    if (start.Kind == TLineKind::Title || std::binary_search(nameLines_.begin(), nameLines_.end(), line_))
        return;
    const std::string_view text = head.substr(start.TextAt);
    switch (start.Kind) {
    case TLineKind::EmptyLine:
        CloseParagraph();
        writer_.EmptyLine();
        if (text.empty())
            return;
        OpenParagraph(0);
        break;
    case TLineKind::Paragraph:
        OpenParagraph(start.Anchor);
        break;
    default:
        if (text.find_first_not_of(' ') == std::string_view::npos)
            return;
        if (inParagraph_)
            text_.JoinLine();
        else
            OpenParagraph(0);
        break;
    }
    takesText_ = true;
    text_.Put(text);
}

void TBookWalk::LineMore(std::string_view part)
{
    if (takesText_)
        text_.Put(part);
}

void TBookWalk::LineEnd()
{
    if (takesText_)
        text_.EndLine();
    takesText_ = false;
}

void TBookWalk::Finish()
{
    CloseParagraph();
}

void TBookWalk::Text(std::string_view xml)
{
    if (!xml.empty())
        writer_.Text(xml);
}

void TBookWalk::LineBreak()
{
    writer_.LineBreak();
}

} // namespace verdask
