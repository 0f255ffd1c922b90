// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/LineRules.h"

#include "config/Conf.h"
#include "conversion/Layout.h"
#include "conversion/Source.h"
#include "files/LineReader.h"
#include "files/Misc.h"
#include "files/TextFile.h"

#include <algorithm>
#include <array>

namespace verdask {
namespace {

constexpr std::string_view TitleMark = "\xE5\x20\xF7"; // "е ч" in windows-1251
constexpr std::string_view BoxDrawing = "&#9552;";
constexpr std::string_view LastModified = "Last-modified:";
constexpr std::string_view MarkedLastModified = "<P>Last-modified:";
constexpr std::size_t LongestSought = 14; // "Last-modified:"

// A page line goes to the page file with its line end.
class TPageSink final : public TLineSink {
public:
    explicit TPageSink(TTextWriter& page) : page_(page) {}
    void Put(std::string_view piece) override { page_.Write(piece); }
    void End() override { page_.Write(LineEnd); }

private:
    TTextWriter& page_;
};

} // namespace

TConversionOptions ConversionOptionsFrom(const TConf& conf, int indentWidth)
{
    TConversionOptions options;
    options.IndentWidth = indentWidth > 0 ? static_cast<std::size_t>(indentWidth) : 0;
    const std::int32_t spaces = TextToInteger(conf.GetValue(ConfKey::NonBreakingSpaces));
    for (std::int32_t i = 0; i < spaces; ++i)
        options.IndentText += "&nbsp;";
    options.ReplaceNbsps = IsYes(conf.GetValue(ConfKey::ReplaceNbsps));
    options.ReplaceDoubleDash = IsYes(conf.GetValue(ConfKey::ReplaceDoubleDash));
    options.ReplaceLeadingDash = IsYes(conf.GetValue(ConfKey::ReplaceLeadingDash));
    return options;
}

void TLineScanner::Look(std::string_view text)
{
    facts_.TitleMark = facts_.TitleMark || (seekTitleMark_ && text.find(TitleMark) != std::string_view::npos);
    facts_.BoxDrawing = facts_.BoxDrawing || text.find(BoxDrawing) != std::string_view::npos;
    facts_.LastModified = facts_.LastModified || text.find(LastModified) != std::string_view::npos;
}

void TLineScanner::Add(std::string_view piece)
{
    facts_.Underscore = facts_.Underscore || piece.find('_') != std::string_view::npos;
    facts_.Dash = facts_.Dash || piece.find('-') != std::string_view::npos;
    constexpr std::size_t Keep = LongestSought - 1;
    if (!tail_.empty()) {
        // A text sought may run from the pieces before into this one.
        const std::size_t kept = tail_.size();
        tail_.append(piece.substr(0, Keep));
        Look(tail_);
        tail_.resize(kept);
    }
    Look(piece);
    if (piece.size() >= Keep) {
        tail_.assign(piece.substr(piece.size() - Keep));
    } else {
        tail_.append(piece);
        if (tail_.size() > Keep)
            tail_.erase(0, tail_.size() - Keep);
    }
}

TLineFacts ScanLine(std::string_view line, bool seekTitleMark)
{
    TLineScanner scanner(seekTitleMark);
    scanner.Add(line);
    return scanner.Facts();
}

TLineConverter::TLineConverter(TConversionOptions options, TLineSink& output, PendingEvents pending)
    : options_(std::move(options)),
      pending_(std::move(pending)),
      lastModified_(output, LastModified, MarkedLastModified),
      letterSpacing_(lastModified_, pending_),
      emptyLine_(letterSpacing_),
      leadingDash_(emptyLine_, options_.IndentWidth),
      doubleDash_(leadingDash_, options_.IndentWidth, pending_),
      lineStart_(doubleDash_)
{
    MakeParagraphPrefix();
}

void TLineConverter::MakeParagraphPrefix()
{
    paragraphPrefix_ = anchor_ == 1 ? "" : "</A>";
    paragraphPrefix_ += "<BR><A Name=a" + IntegerToText(anchor_) + ">";
    paragraphPrefix_ += options_.IndentText;
}

bool TLineConverter::BeginLine(const TLineFacts& facts)
{
    ++lineNumber_;
    if (lineNumber_ == 1)
        return false;
    bool title = false;
    if (lineNumber_ == 2) {
        titleOnLine3_ = facts.TitleMark;
        if (titleOnLine3_)
            return false;
        title = true;
    } else if (lineNumber_ == 3) {
        title = titleOnLine3_;
    }
    // From the last stage to the first: the first may hand on text at once.
    lastModified_.Begin(facts.LastModified);
    letterSpacing_.Begin(facts.Underscore || facts.BoxDrawing, facts.BoxDrawing);
    emptyLine_.Begin();
    leadingDash_.Begin(options_.ReplaceLeadingDash && facts.Dash);
    doubleDash_.Begin(options_.ReplaceDoubleDash && facts.Dash);
    lineStart_.Begin(title, options_.ReplaceNbsps ? &paragraphPrefix_ : nullptr, options_.IndentWidth);
    return true;
}

void TLineConverter::Put(std::string_view piece)
{
    lineStart_.Put(piece);
}

void TLineConverter::EndLine()
{
    lineStart_.End();
    if (lineStart_.WasParagraph()) {
        ++anchor_;
        MakeParagraphPrefix();
    }
}

bool TLineConverter::ConvertLine(std::string_view line)
{
    if (!BeginLine(ScanLine(line, NeedsTitleMark())))
        return false;
    Put(line);
    EndLine();
    return true;
}

// A line longer than a block is read twice: once for its facts, once to convert it.
bool TLineConverter::BeginLongLine(TLineReader& reader)
{
    TLineScanner scanner(NeedsTitleMark());
    std::string_view piece;
    while (reader.NextPiece(piece))
        scanner.Add(piece);
    if (!BeginLine(scanner.Facts()))
        return false;
    reader.RewindLine();
    return true;
}

namespace {

void ConvertLongLine(TLineReader& reader, TLineConverter& converter)
{
    if (!converter.BeginLongLine(reader))
        return;
    std::string_view piece;
    while (reader.NextPiece(piece))
        converter.Put(piece);
    converter.EndLine();
}

} // namespace

std::int64_t ConvertBody(const TConf& conf, const TSourceState& source, TTextWriter& page, const TConversionEvents& events,
                 FileSystem& fileSystem, std::size_t blockSize)
{
    TPageSink sink(page);
    return ConvertBodyInto(conf, source, sink, events, fileSystem, blockSize);
}

std::int64_t ConvertBodyInto(const TConf& conf, const TSourceState& source, TLineSink& body,
                             const TConversionEvents& events, FileSystem& fileSystem, std::size_t blockSize)
{
    TLineConverter converter(ConversionOptionsFrom(conf, source.IndentWidth), body, events.Pending);
    TLineReader reader(fileSystem, source.SourcePath, LineEnds::SourceText, source.Encoding, blockSize);
    // The library's own layout goes to the rules line by line, as it always has.
    const bool libraryLayout = source.Layout.Paragraphs == TParagraphLayout::Indented && !source.Layout.TabIndent;
    TLayoutFeeder feeder(source.Layout, static_cast<std::size_t>(std::max(source.IndentWidth, 1)), converter);
    while (reader.StartLine()) {
        const auto line = reader.WholeLine();
        if (libraryLayout && line)
            converter.ConvertLine(*line);
        else if (libraryLayout)
            ConvertLongLine(reader, converter);
        else if (line)
            feeder.Line(*line);
        else
            feeder.LongLine(reader);
        if (events.Progress)
            events.Progress(reader.FileOffset());
        if (events.Pending)
            events.Pending();
    }
    if (!libraryLayout)
        feeder.Finish();
    reader.Close();
    return converter.NextAnchor() - 1;
}

} // namespace verdask
