// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Layout.h"

#include "conversion/Source.h"
#include "files/Cp1251.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace verdask {
namespace {

// The short lines held back at most while a group may yet turn out to be prose.
constexpr std::size_t MostHeldLines = 256;

constexpr std::array<std::pair<TParagraphLayout, std::string_view>, 4> Names = {{
    {TParagraphLayout::Auto, "Auto"},
    {TParagraphLayout::Indented, "Indented"},
    {TParagraphLayout::OneLineEach, "One line each"},
    {TParagraphLayout::BlankLines, "Blank lines"},
}};

constexpr std::array<std::pair<TParagraphLayout, std::string_view>, 4> ShortNames = {{
    {TParagraphLayout::Auto, "auto"},
    {TParagraphLayout::Indented, "indented"},
    {TParagraphLayout::OneLineEach, "lines"},
    {TParagraphLayout::BlankLines, "blank"},
}};

// Measures a line given in pieces.
class TShapeCounter {
public:
    void Add(std::string_view piece)
    {
        for (const char c : piece) {
            if (position_ == 0 && c == ' ')
                leadingBlank_ = true;
            if (position_ == 0 && c == '\t')
                leadingTab_ = true;
            if (!afterBlanks_ && c != ' ') {
                afterBlanks_ = true;
                if (position_ > 0)
                    shape_.Indent = position_;
            }
            ++position_;
            if (c != ' ' && c != '\t') {
                shape_.Empty = false;
                shape_.Length = position_;
            }
        }
    }
    TLineShape Shape() const
    {
        TLineShape shape = shape_;
        shape.Blank = leadingBlank_ && !shape.Empty;
        shape.Tab = leadingTab_ && !shape.Empty;
        return shape;
    }

private:
    TLineShape shape_;
    std::size_t position_ = 0;
    bool leadingBlank_ = false;
    bool leadingTab_ = false;
    bool afterBlanks_ = false; // a character other than a blank has come
};

std::string_view WithoutLeadingBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

bool EndsInBrokenWord(std::string_view line)
{
    const auto last = line.find_last_not_of(' ');
    return last != std::string_view::npos && last > 0 && line[last] == '-' && line[last - 1] != ' ' &&
           line[last - 1] != '-';
}

} // namespace

bool IsExaminedLine(std::size_t index, std::size_t count)
{
    return count >= 20 && index >= 10 && index <= count - 10;
}

std::string_view LayoutName(TParagraphLayout layout)
{
    for (const auto& [value, name] : Names) {
        if (value == layout)
            return name;
    }
    return "Auto";
}

std::optional<TParagraphLayout> LayoutNamed(std::string_view name)
{
    for (const auto& names : {Names, ShortNames}) {
        for (const auto& [value, known] : names) {
            if (SameText1251(name, known))
                return value;
        }
    }
    return std::nullopt;
}

std::vector<TLineShape> LineShapesOf(const std::vector<std::string>& lines)
{
    std::vector<TLineShape> shapes;
    shapes.reserve(lines.size());
    for (const auto& line : lines) {
        TShapeCounter counter;
        counter.Add(line);
        shapes.push_back(counter.Shape());
    }
    return shapes;
}

std::vector<TLineShape> ReadLineShapes(const std::string& sourcePath, TEncodingGuess encoding, FileSystem& fileSystem)
{
    std::vector<TLineShape> shapes;
    TLineReader reader(fileSystem, sourcePath, LineEnds::SourceText, encoding);
    for (int i = 0; i < PreviewLineCount && reader.StartLine(); ++i) {
        TShapeCounter counter;
        std::string_view piece;
        while (reader.NextPiece(piece))
            counter.Add(piece);
        shapes.push_back(counter.Shape());
    }
    reader.Close();
    return shapes;
}

namespace {

// Whether the lines of the groups are broken at a width: most lines that another
// of their group follows come near the width of the longest of them (the longest
// but a tenth, so that a stray long line does not count). Lines that are whole
// paragraphs vary far more: empty lines around chapter numbers alone make groups
// of such lines, which are not wrapped.
// The width they are broken at, or nothing.
std::optional<std::size_t> WidthOfBrokenLines(const std::vector<TLineShape>& shapes)
{
    std::vector<std::size_t> lengths;
    for (std::size_t i = 0; i + 1 < shapes.size(); ++i) {
        if (IsExaminedLine(i, shapes.size()) && !shapes[i].Empty && !shapes[i + 1].Empty)
            lengths.push_back(shapes[i].Length);
    }
    if (lengths.size() < 3)
        return std::nullopt;
    std::sort(lengths.begin(), lengths.end());
    const std::size_t width = lengths[lengths.size() * 9 / 10];
    const auto near = std::count_if(lengths.begin(), lengths.end(),
                                    [width](std::size_t length) { return 10 * length >= 7 * width; });
    if (3 * static_cast<std::size_t>(near) < 2 * lengths.size())
        return std::nullopt;
    return width;
}

bool BrokenAtAWidth(const std::vector<TLineShape>& shapes)
{
    return WidthOfBrokenLines(shapes).has_value();
}

} // namespace

std::optional<std::size_t> ContinuationIndent(const std::vector<TLineShape>& shapes)
{
    // Verse is broken at a width too, but a narrower one than prose's.
    constexpr std::size_t NarrowestProse = 50;
    const auto width = WidthOfBrokenLines(shapes);
    if (!width || *width < NarrowestProse)
        return std::nullopt;
    std::vector<std::size_t> indents;
    std::size_t nonEmpty = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (!IsExaminedLine(i, shapes.size()) || shapes[i].Empty)
            continue;
        ++nonEmpty;
        if (shapes[i].Indent)
            indents.push_back(*shapes[i].Indent);
    }
    if (indents.empty())
        return std::nullopt;
    const std::size_t least = *std::min_element(indents.begin(), indents.end());
    const auto atLeast = static_cast<std::size_t>(std::count(indents.begin(), indents.end(), least));
    const std::size_t deeper = indents.size() - atLeast;
    // Most lines are wrapped ones; a text whose wrapped lines start at the margin
    // has its paragraphs' indent as its least.
    if (2 * atLeast <= nonEmpty || deeper < 3)
        return std::nullopt;
    return least;
}

TParagraphLayout DetectLayout(const std::vector<TLineShape>& shapes)
{
    std::size_t indented = 0;
    std::size_t nonEmpty = 0;
    std::size_t grouped = 0;
    std::size_t empty = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (!IsExaminedLine(i, shapes.size()))
            continue;
        if (shapes[i].Empty) {
            ++empty;
            continue;
        }
        indented += shapes[i].Blank || shapes[i].Tab;
        ++nonEmpty;
        const bool before = i > 0 && !shapes[i - 1].Empty;
        const bool after = i + 1 < shapes.size() && !shapes[i + 1].Empty;
        grouped += before || after;
    }
    if (indented >= 3 || nonEmpty == 0)
        return TParagraphLayout::Indented;
    // Without empty lines there are no groups, only lines.
    return empty > 0 && 2 * grouped > nonEmpty && BrokenAtAWidth(shapes) ? TParagraphLayout::BlankLines
                                                                          : TParagraphLayout::OneLineEach;
}

bool TabsIndent(const std::vector<TLineShape>& shapes)
{
    std::size_t tabs = 0;
    std::size_t blanks = 0;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (IsExaminedLine(i, shapes.size())) {
            tabs += shapes[i].Tab;
            blanks += shapes[i].Blank;
        }
    }
    return tabs >= 3 && blanks < 3;
}

std::size_t WrapWidthOf(const std::vector<TLineShape>& shapes)
{
    std::size_t width = 0;
    for (std::size_t i = 0; i + 1 < shapes.size(); ++i) {
        if (!shapes[i].Empty && !shapes[i + 1].Empty)
            width = std::max(width, shapes[i].Length);
    }
    return width;
}

TLayoutFeeder::TLayoutFeeder(const TLayout& layout, std::size_t indentWidth, TLineConverter& converter)
    : layout_(layout), indent_(std::max<std::size_t>(indentWidth, 1), ' '), converter_(converter)
{
}

void TLayoutFeeder::Start()
{
    if (started_)
        return;
    started_ = true;
    // The library's texts give their author on a line the page leaves out; here
    // the first line is the title's.
    if (layout_.Paragraphs != TParagraphLayout::Indented)
        converter_.ConvertLine({});
}

void TLayoutFeeder::GiveLine(std::string_view line)
{
    converter_.ConvertLine(line);
}

void TLayoutFeeder::Paragraph(std::string_view text)
{
    // The first line is the title's, which takes no indent.
    if (!titleGiven_) {
        titleGiven_ = true;
        GiveLine(WithoutLeadingBlanks(text));
        return;
    }
    GiveLine(indent_ + std::string(WithoutLeadingBlanks(text)));
}

void TLayoutFeeder::Continuation(std::string_view text)
{
    GiveLine(WithoutLeadingBlanks(text));
}

void TLayoutFeeder::GiveGroup(bool asLines)
{
    for (std::size_t i = 0; i < group_.size(); ++i) {
        if (asLines || i == 0)
            Paragraph(group_[i]);
        else
            Continuation(group_[i]);
    }
    group_.clear();
}

void TLayoutFeeder::Line(std::string_view line)
{
    Start();
    switch (layout_.Paragraphs) {
    case TParagraphLayout::Auto:
    case TParagraphLayout::Indented:
        if (layout_.TabIndent && line.starts_with('\t'))
            GiveLine(indent_ + std::string(WithoutLeadingBlanks(line)));
        else
            GiveLine(line);
        return;
    case TParagraphLayout::OneLineEach:
        if (!WithoutLeadingBlanks(line).empty())
            Paragraph(line);
        else if (titleGiven_)
            GiveLine(line);
        return;
    case TParagraphLayout::BlankLines:
        break;
    }
    if (WithoutLeadingBlanks(line).empty()) {
        Finish();
        afterEmpty_ = true;
        // Empty lines before the first text are no title: the first text is.
        if (titleGiven_)
            GiveLine(line);
        return;
    }
    const bool starts = afterEmpty_;
    afterEmpty_ = false;
    // A word broken at the line's end is whole again with the next line.
    if (!joined_.empty()) {
        std::string whole = std::move(joined_);
        joined_.clear();
        whole.append(WithoutLeadingBlanks(line));
        const bool wholeStarts = joinedStarts_;
        if (EndsInBrokenWord(whole) && whole.size() < FileBlockSize) {
            joined_ = std::move(whole);
            joinedStarts_ = wholeStarts;
            return;
        }
        wholeStarts ? Paragraph(whole) : Continuation(whole);
        return;
    }
    const std::size_t length = line.find_last_not_of(" \t") + 1;
    const bool wellShort = 3 * length < 2 * layout_.WrapWidth;
    if (verse_) {
        Paragraph(line);
        return;
    }
    if (!prose_ && wellShort) {
        group_.emplace_back(line);
        // So many short lines in one group are verse, or a list: no more are held.
        if (group_.size() == MostHeldLines) {
            verse_ = true;
            GiveGroup(true);
        }
        return;
    }
    // A line near the wrap width: the group is prose, and its lines join.
    if (!prose_) {
        prose_ = true;
        GiveGroup(false);
    }
    if (EndsInBrokenWord(line) && line.size() < FileBlockSize) {
        joined_.assign(line.substr(0, length));
        joinedStarts_ = starts;
        return;
    }
    starts ? Paragraph(line) : Continuation(line);
}

void TLayoutFeeder::LongLine(TLineReader& reader)
{
    Start();
    bool starts = true;
    if (layout_.Paragraphs == TParagraphLayout::BlankLines) {
        starts = afterEmpty_;
        if (!prose_) {
            prose_ = true;
            GiveGroup(false);
        }
        if (!joined_.empty()) {
            joinedStarts_ ? Paragraph(joined_) : Continuation(joined_);
            joined_.clear();
        }
        afterEmpty_ = false;
    }
    const bool indented = layout_.Paragraphs == TParagraphLayout::Indented ||
                          layout_.Paragraphs == TParagraphLayout::Auto;
    if (!converter_.BeginLongLine(reader))
        return;
    std::string_view piece;
    bool leading = !indented;
    if (!indented && starts && titleGiven_)
        converter_.Put(indent_);
    titleGiven_ = titleGiven_ || !indented;
    while (reader.NextPiece(piece)) {
        if (leading) {
            piece = WithoutLeadingBlanks(piece);
            leading = piece.empty();
        }
        converter_.Put(piece);
    }
    converter_.EndLine();
}

void TLayoutFeeder::Finish()
{
    if (!joined_.empty()) {
        joinedStarts_ ? Paragraph(joined_) : Continuation(joined_);
        joined_.clear();
    }
    // A group that never came near the wrap width keeps its lines.
    GiveGroup(!prose_);
    prose_ = false;
    verse_ = false;
}

} // namespace verdask
