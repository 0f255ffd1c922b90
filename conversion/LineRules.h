// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The rules that turn the lines of a source text into the body of a page.

#include "conversion/LineStages.h"
#include "files/FileSystem.h"
#include "files/TextFile.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

class TConf;
class TLineReader;
class TTextWriter;
struct TSourceState;

struct TConversionOptions {
    std::size_t IndentWidth = 5;    // W: leading blanks of a paragraph start
    std::string IndentText;         // N: "&nbsp;" as often as "Non-breaking spaces" says
    bool ReplaceNbsps = true;       // paragraph starts get anchors and N
    bool ReplaceDoubleDash = true;  // "--" becomes a long dash
    bool ReplaceLeadingDash = true; // a dash after the indent becomes a long dash
};

// The options of a conversion from the configuration and the loaded indent width;
// throws EConvertError when "Non-breaking spaces" is no whole number. A negative
// width counts as 0.
TConversionOptions ConversionOptionsFrom(const TConf& conf, int indentWidth);

// What the rules must know of a whole line before its first character is written.
struct TLineFacts {
    bool TitleMark = false;    // "е ч", which on line 2 moves the title to line 3
    bool BoxDrawing = false;   // "&#9552;"
    bool Underscore = false;
    bool Dash = false;
    bool LastModified = false; // "Last-modified:"
};

// Gathers the facts of a line given in pieces. The title mark matters on line 2
// only, and its first byte is a common letter, so it is sought only when asked.
class TLineScanner {
public:
    explicit TLineScanner(bool seekTitleMark = true) : seekTitleMark_(seekTitleMark) {}
    void Add(std::string_view piece);
    const TLineFacts& Facts() const { return facts_; }

private:
    void Look(std::string_view text);

    bool seekTitleMark_;
    TLineFacts facts_;
    std::string tail_; // the end of the last piece, where a text sought may begin
};

TLineFacts ScanLine(std::string_view line, bool seekTitleMark = true);

// Converts the lines of one source text in order into the sink, carrying the line
// number, the anchor counter and the title flag from line to line.
class TLineConverter {
public:
    TLineConverter(TConversionOptions options, TLineSink& output, PendingEvents pending);
    TLineConverter(const TLineConverter&) = delete;
    TLineConverter& operator=(const TLineConverter&) = delete;

    // Starts the next source line; false when the line is dropped, and then
    // nothing of it is to be given.
    bool BeginLine(const TLineFacts& facts);
    // Whether the next line's facts must tell of the title mark.
    bool NeedsTitleMark() const { return lineNumber_ == 1; }
    void Put(std::string_view piece);
    void EndLine();

    // The whole next line; false when it was dropped.
    bool ConvertLine(std::string_view line);
    // Starts a line longer than a block, which the reader has just begun: its
    // pieces are read once for its facts and the reader goes back to its start.
    // False when the line is dropped.
    bool BeginLongLine(TLineReader& reader);

    // The number the next paragraph anchor gets.
    std::int64_t NextAnchor() const { return anchor_; }

private:
    void MakeParagraphPrefix();

    TConversionOptions options_;
    PendingEvents pending_;
    std::int64_t lineNumber_ = 0;
    std::int64_t anchor_ = 1;
    bool titleOnLine3_ = false;
    std::string paragraphPrefix_;

    // The stages, from the last to the first, each handing on to the one before it here.
    stages::TReplace lastModified_;
    stages::TLetterSpacing letterSpacing_;
    stages::TEmptyLine emptyLine_;
    stages::TLeadingDash leadingDash_;
    stages::TDoubleDash doubleDash_;
    stages::TLineStart lineStart_;
};

// What a conversion tells its caller while it runs.
struct TConversionEvents {
    PendingEvents Pending;                        // between lines and inside the replacement rules
    std::function<void(std::uint64_t)> Progress;  // the bytes of the source file read, between lines
};

// Converts the whole source text of the last load into the page, a line at a
// time and a long line a block at a time, so memory does not grow with the book.
// Returns the number of paragraphs written. Throws EConvertError (before any
// line is written) or EInOutError.
// blockSize is the reader's: a line longer than that is read in pieces.
std::int64_t ConvertBody(const TConf& conf, const TSourceState& source, TTextWriter& page, const TConversionEvents& events,
                 FileSystem& fileSystem = PlatformFileSystem(), std::size_t blockSize = FileBlockSize);
// The same into a sink of the caller's: the body's lines as the page would hold them.
std::int64_t ConvertBodyInto(const TConf& conf, const TSourceState& source, TLineSink& body,
                             const TConversionEvents& events, FileSystem& fileSystem = PlatformFileSystem(),
                             std::size_t blockSize = FileBlockSize);

} // namespace verdask
