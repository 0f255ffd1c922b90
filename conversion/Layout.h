// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a text marks its paragraphs. The library's own texts indent them; books
// from elsewhere put each on a line of its own, or separate them by empty lines
// and wrap their lines. Every layout is fed to the same line rules in the
// library's form, so every page has the same frame and numbered anchors.

#include "conversion/LineRules.h"
#include "files/LineReader.h"
#include "files/SourceEncoding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verdask {

enum class TParagraphLayout { Auto, Indented, OneLineEach, BlankLines };
// Every choice, in the order the settings and the preview offer them.
inline constexpr TParagraphLayout ParagraphLayouts[] = {TParagraphLayout::Auto, TParagraphLayout::Indented,
                                                        TParagraphLayout::OneLineEach, TParagraphLayout::BlankLines};

// "Auto", "Indented", "One line each", "Blank lines": the names of the key "Paragraphs".
std::string_view LayoutName(TParagraphLayout layout);
// The layout of a name, in any letter case; the short names of verdask-convert
// ("auto", "indented", "lines", "blank") too. Nothing for an unknown name.
std::optional<TParagraphLayout> LayoutNamed(std::string_view name);

// What the layout rules need of a line.
struct TLineShape {
    bool Empty = true;       // nothing but blanks
    bool Blank = false;      // starts with a blank and holds more
    bool Tab = false;        // starts with a tab and holds more
    std::size_t Length = 0;  // in bytes, blanks at its end left out
    // What the line adds to the mean indent: its leading blanks, when it starts
    // with a blank and holds more than blanks.
    std::optional<std::size_t> Indent;
};

std::vector<TLineShape> LineShapesOf(const std::vector<std::string>& lines);
// The lines the indent and the layout are told from: the 11th to the tenth from
// the end of the preview; none of fewer than 20 lines.
bool IsExaminedLine(std::size_t index, std::size_t count);
// The shapes of the first PreviewLineCount lines of a text, read in pieces.
std::vector<TLineShape> ReadLineShapes(const std::string& sourcePath, TEncodingGuess encoding = {},
                                       FileSystem& fileSystem = PlatformFileSystem());

// The layout told from the examined lines (the 11th to the tenth from the end, as
// for the indent): Indented when at least three start with a blank or a tab, or
// when too few lines are examined; else Blank lines when there are empty lines,
// most non-empty lines stand in groups of two or more between them and the
// groups' lines are broken at a width (most come near the longest); else One
// line each.
TParagraphLayout DetectLayout(const std::vector<TLineShape>& shapes);

// The indent of the wrapped lines of a text that indents them less than its
// paragraphs ("     " starts a paragraph, "  " goes on with it): most examined
// lines have the least indent, at least three a deeper one, and the lines are
// broken at a width (most come near the longest) of prose, not of verse.
// Nothing for any other text.
std::optional<std::size_t> ContinuationIndent(const std::vector<TLineShape>& shapes);

// Whether the indent of an indented text is a tab: three or more examined lines
// start with one and fewer than three with a blank.
bool TabsIndent(const std::vector<TLineShape>& shapes);

// The width a text's lines are wrapped at: the longest line of a group of two or
// more lines, its group's last line left out.
std::size_t WrapWidthOf(const std::vector<TLineShape>& shapes);

// A text's layout settled for a conversion.
struct TLayout {
    TParagraphLayout Paragraphs = TParagraphLayout::Indented;
    bool TabIndent = false;     // Indented: a leading tab is the indent
    std::size_t WrapWidth = 0;  // Blank lines: what the lines are wrapped at
};

// Feeds a text's lines to the line rules in the library's form: in One line each
// every non-empty line starts a paragraph; in Blank lines a group's first line
// does, the others join it (a line ending in a hyphen joins the next without a
// blank), and a group whose lines all stay well short of the wrap width (a poem,
// a list) keeps its lines as paragraphs of their own. In both, the text's first
// line is the title line: the library's dropped first line comes before it.
class TLayoutFeeder {
public:
    TLayoutFeeder(const TLayout& layout, std::size_t indentWidth, TLineConverter& converter);
    TLayoutFeeder(const TLayoutFeeder&) = delete;
    TLayoutFeeder& operator=(const TLayoutFeeder&) = delete;

    void Line(std::string_view line);
    // A line longer than a block, in pieces, never held whole: a paragraph of
    // its own, or the next line of its group.
    void LongLine(TLineReader& reader);
    // The end of the text: a group held back is given.
    void Finish();

private:
    void Start();
    void Paragraph(std::string_view text);
    void Continuation(std::string_view text);
    void GiveGroup(bool asLines);
    void GiveLine(std::string_view line);

    TLayout layout_;
    std::string indent_;
    TLineConverter& converter_;
    bool started_ = false;
    std::vector<std::string> group_; // Blank lines: the group's lines while it may be a poem
    bool prose_ = false;             // Blank lines: the group has a line near the wrap width
    bool verse_ = false;             // Blank lines: the group has too many short lines to hold
    std::string joined_;             // Blank lines: a line that ended in a hyphen, waiting for the next
    bool joinedStarts_ = false;      // whether joined_ starts a paragraph
    bool afterEmpty_ = true;         // Blank lines: the last line was empty, or none came yet
    bool titleGiven_ = false;        // the first text line, the title's, has been given
};

} // namespace verdask
