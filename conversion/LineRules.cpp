#include "conversion/LineRules.h"

#include "config/Conf.h"
#include "conversion/LineReader.h"
#include "conversion/Misc.h"
#include "conversion/Source.h"
#include "conversion/TextFile.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace verdask {
namespace {

constexpr std::string_view TitleMark = "\xE5\x20\xF7"; // "е ч" in windows-1251
constexpr std::string_view Nbsp = "&nbsp;";
constexpr std::string_view LongDash = "&#150;";
constexpr std::string_view BreakAndLongDash = "<BR>&#150;";
constexpr std::string_view DialogueDash = "<BR>&nbsp;&#150;";
constexpr std::string_view BoxDrawing = "&#9552;";
constexpr std::string_view LastModified = "Last-modified:";
constexpr std::string_view MarkedLastModified = "<P>Last-modified:";

// Builds a line through a cursor. The rules may append millions of short pieces
// to one long line; this keeps each append to a bounds check and a copy.
class TLineBuilder {
public:
    explicit TLineBuilder(std::string& target) : target_(target) {}
    TLineBuilder(const TLineBuilder&) = delete;
    TLineBuilder& operator=(const TLineBuilder&) = delete;

    void Put(char c)
    {
        MakeRoom(1);
        target_[used_++] = c;
    }
    void Put(std::string_view text)
    {
        MakeRoom(text.size());
        std::memcpy(target_.data() + used_, text.data(), text.size());
        used_ += text.size();
    }
    // Takes back the last character put.
    char TakeLast() { return target_[--used_]; }
    bool Empty() const { return used_ == 0; }
    // Leaves the built text, and only that, in the target.
    void Finish() { target_.resize(used_); }

private:
    void MakeRoom(std::size_t extra)
    {
        if (used_ + extra > target_.size())
            target_.resize(std::max(used_ + extra, 2 * target_.size() + 64));
    }

    std::string& target_;
    std::size_t used_ = 0;
};

bool StartsWithBlanks(std::string_view line, std::size_t count)
{
    return line.size() >= count && std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(count),
                                                [](char c) { return c == ' '; });
}

// A text to search for. Boyer-Moore-Horspool skips ahead on the long needles,
// where a search that stops at every "&" of a line of entities would crawl.
class TNeedle {
public:
    explicit TNeedle(std::string_view text) : text_(text), searcher_(text_.begin(), text_.end()) {}

    std::size_t FindIn(std::string_view haystack, std::size_t from = 0) const
    {
        if (from >= haystack.size())
            return std::string_view::npos;
        const auto found = searcher_(haystack.begin() + static_cast<std::ptrdiff_t>(from), haystack.end()).first;
        return found == haystack.end() ? std::string_view::npos : static_cast<std::size_t>(found - haystack.begin());
    }
    std::size_t Size() const { return text_.size(); }

private:
    std::string_view text_;
    std::boyer_moore_horspool_searcher<std::string_view::const_iterator> searcher_;
};

const TNeedle& BoxDrawingNeedle()
{
    static const TNeedle needle(BoxDrawing);
    return needle;
}

const TNeedle& LastModifiedNeedle()
{
    static const TNeedle needle(LastModified);
    return needle;
}

// Every occurrence of the needle becomes to, left to right, in one pass.
void ReplaceAll(std::string& line, const TNeedle& from, std::string_view to, std::string& scratch)
{
    std::size_t found = from.FindIn(line);
    if (found == std::string::npos)
        return;
    scratch.clear();
    std::size_t rest = 0;
    for (; found != std::string::npos; found = from.FindIn(line, rest)) {
        scratch.append(line, rest, found - rest);
        scratch += to;
        rest = found + from.Size();
    }
    scratch.append(line, rest);
    line.swap(scratch);
}

// The first "--" at or after from.
std::size_t FindDoubleDash(std::string_view line, std::size_t from)
{
    const char* const data = line.data();
    const std::size_t size = line.size();
    if (from + 1 < size && data[from] == '-' && data[from + 1] == '-')
        return from; // a run of dashes
    while (from + 1 < size) {
        const void* dash = std::memchr(data + from, '-', size - from - 1);
        if (dash == nullptr)
            return std::string_view::npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(dash) - data);
        if (data[at + 1] == '-')
            return at;
        from = at + 2;
    }
    return std::string_view::npos;
}

} // namespace

TConversionOptions ConversionOptionsFrom(const TConf& conf, int indentWidth)
{
    TConversionOptions options;
    options.IndentWidth = indentWidth > 0 ? static_cast<std::size_t>(indentWidth) : 0;
    const std::int32_t spaces = TextToInteger(conf.GetValue(ConfKey::NonBreakingSpaces));
    for (std::int32_t i = 0; i < spaces; ++i)
        options.IndentText += Nbsp;
    options.ReplaceNbsps = IsYes(conf.GetValue(ConfKey::ReplaceNbsps));
    options.ReplaceDoubleDash = IsYes(conf.GetValue(ConfKey::ReplaceDoubleDash));
    options.ReplaceLeadingDash = IsYes(conf.GetValue(ConfKey::ReplaceLeadingDash));
    return options;
}

std::string CenterTitle(std::string_view line)
{
    std::string title = "<P style=\"text-align: center\"><B>";
    title += line;
    title += "</B></P>";
    return title;
}

namespace LineRule {

bool IsParagraphStart(std::string_view line, std::size_t indentWidth)
{
    return !line.empty() && line[0] == ' ' && StartsWithBlanks(line, indentWidth) &&
           (line.size() == indentWidth || line[indentWidth] != '-');
}

// Each "--" is replaced where the rule's loop would find it when it searches from
// the start after every replacement: the replacements hold no "-", so the pairs
// are those of one left-to-right pass, and the text before a pair is the output
// built so far, whose trailing blanks decide the indent.
void ReplaceDoubleDashes(std::string& line, std::size_t indentWidth, std::string& scratch,
                         const PendingEvents& pending)
{
    std::size_t found = FindDoubleDash(line, 0);
    if (found == std::string::npos)
        return;
    const std::string_view text = line;
    TLineBuilder out(scratch);
    std::size_t rest = 0;
    std::size_t trailingBlanks = 0;
    for (; found != std::string::npos; found = FindDoubleDash(text, rest)) {
        if (found > rest) {
            const std::string_view before = text.substr(rest, found - rest);
            out.Put(before);
            const auto lastText = before.find_last_not_of(' ');
            trailingBlanks = lastText == std::string_view::npos ? trailingBlanks + before.size()
                                                                 : before.size() - lastText - 1;
        }
        const bool afterIndent = indentWidth == 0 || trailingBlanks >= indentWidth;
        out.Put(afterIndent ? BreakAndLongDash : LongDash);
        trailingBlanks = 0;
        rest = found + 2;
        if (pending)
            pending();
    }
    out.Put(text.substr(rest));
    out.Finish();
    line.swap(scratch);
}

void ReplaceLeadingDash(std::string& line, std::size_t indentWidth)
{
    if (line.size() > indentWidth && line[indentWidth] == '-' && StartsWithBlanks(line, indentWidth))
        line.replace(0, indentWidth + 1, DialogueDash);
}

bool HasLetterSpacing(std::string_view line)
{
    const auto first = line.find('_');
    return (first != std::string_view::npos && first + 2 < line.size() && line[first + 2] == '_') ||
           BoxDrawingNeedle().FindIn(line) != std::string_view::npos;
}

// The rule's loop expands the group at the first "_" and searches from the start
// again; everything before that group then holds no "_", so the groups are those
// of one left-to-right pass. A group's leading "_" goes before the character in
// front of its first "_", which may be the last character already written.
void ExpandLetterSpacing(std::string& line, std::string& scratch, const PendingEvents& pending)
{
    ReplaceAll(line, BoxDrawingNeedle(), "_", scratch);
    const std::string_view text = line;
    const std::size_t size = text.size();
    TLineBuilder out(scratch);
    std::size_t rest = 0;
    for (std::size_t first = text.find('_'); first != std::string::npos; first = text.find('_', rest)) {
        // The trailing "_" goes before the character at end, or after the line
        // when end is past it: every second character from the first "_" on until
        // a blank or the line's last character.
        std::size_t end = first + 2;
        while (end + 1 < size && text[end] != ' ')
            end += 2;
        end = std::min(end, size);

        if (first > rest) {
            out.Put(text.substr(rest, first - 1 - rest));
            out.Put(Nbsp);
            out.Put(text[first - 1]);
        } else if (!out.Empty()) {
            const char before = out.TakeLast();
            out.Put(Nbsp);
            out.Put(before);
        } else {
            out.Put(Nbsp);
        }
        for (std::size_t i = first; i < end; ++i) {
            if (text[i] == '_')
                out.Put(Nbsp);
            else
                out.Put(text[i]);
        }
        out.Put(Nbsp);
        rest = end;
        if (pending)
            pending();
    }
    out.Put(text.substr(rest));
    out.Finish();
    line.swap(scratch);
}

void MarkLastModified(std::string& line, std::string& scratch)
{
    ReplaceAll(line, LastModifiedNeedle(), MarkedLastModified, scratch);
}

} // namespace LineRule

TLineConverter::TLineConverter(TConversionOptions options, PendingEvents pending)
    : options_(std::move(options)), pending_(std::move(pending))
{
}

bool TLineConverter::ApplyTitleRules(std::string& line)
{
    if (lineNumber_ == 2) {
        titleOnLine3_ = line.find(TitleMark) != std::string::npos;
        if (titleOnLine3_)
            return false;
        line = CenterTitle(line);
    } else if (lineNumber_ == 3 && titleOnLine3_) {
        line = CenterTitle(line);
    }
    return true;
}

void TLineConverter::MarkParagraphStart(std::string& line)
{
    scratch_.clear();
    if (anchor_ != 1)
        scratch_ += "</A>";
    scratch_ += "<BR><A Name=a";
    scratch_ += IntegerToText(anchor_);
    scratch_ += '>';
    scratch_ += options_.IndentText;
    scratch_.append(line, options_.IndentWidth);
    line.swap(scratch_);
    ++anchor_;
}

bool TLineConverter::ConvertLine(std::string& line)
{
    ++lineNumber_;
    if (lineNumber_ == 1)
        return false;
    if (!ApplyTitleRules(line))
        return false;
    const std::size_t width = options_.IndentWidth;
    if (options_.ReplaceNbsps && LineRule::IsParagraphStart(line, width))
        MarkParagraphStart(line);
    if (options_.ReplaceDoubleDash)
        LineRule::ReplaceDoubleDashes(line, width, scratch_, pending_);
    if (options_.ReplaceLeadingDash)
        LineRule::ReplaceLeadingDash(line, width);
    if (line.empty())
        line = "<P>";
    if (LineRule::HasLetterSpacing(line))
        LineRule::ExpandLetterSpacing(line, scratch_, pending_);
    LineRule::MarkLastModified(line, scratch_);
    return true;
}

void ConvertBody(const TConf& conf, const TSourceState& source, TTextWriter& page, const PendingEvents& pending,
                 FileSystem& fileSystem)
{
    TLineConverter converter(ConversionOptionsFrom(conf, source.IndentWidth), pending);
    TLineReader reader(fileSystem, source.SourcePath, LineEnds::SourceText);
    std::string line;
    while (reader.ReadLine(line)) {
        if (converter.ConvertLine(line))
            page.WriteLine(line);
        if (pending)
            pending();
    }
    reader.Close();
}

} // namespace verdask
