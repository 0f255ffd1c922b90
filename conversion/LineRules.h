#pragma once

// The rules that turn the lines of a source text into the body of a page.
// Every rule runs in time linear in the length of its line.

#include "conversion/FileSystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace verdask {

class TConf;
class TTextWriter;
struct TSourceState;

// Lets the window handle its pending events; called between lines and inside the
// two replacement rules, so it must be cheap when nothing is pending.
using PendingEvents = std::function<void()>;

struct TConversionOptions {
    std::size_t IndentWidth = 5;      // W: leading blanks of a paragraph start
    std::string IndentText;           // N: "&nbsp;" as often as "Non-breaking spaces" says
    bool ReplaceNbsps = true;         // paragraph starts get anchors and N
    bool ReplaceDoubleDash = true;    // "--" becomes a long dash
    bool ReplaceLeadingDash = true;   // a dash after the indent becomes a long dash
};

// The options of a conversion from the configuration and the loaded indent width;
// throws EConvertError when "Non-breaking spaces" is no whole number. A negative
// width counts as 0.
TConversionOptions ConversionOptionsFrom(const TConf& conf, int indentWidth);

std::string CenterTitle(std::string_view line);

// The single rules, each rewriting line in place; scratch is working space.
namespace LineRule {
bool IsParagraphStart(std::string_view line, std::size_t indentWidth);
void ReplaceDoubleDashes(std::string& line, std::size_t indentWidth, std::string& scratch,
                         const PendingEvents& pending);
void ReplaceLeadingDash(std::string& line, std::size_t indentWidth);
bool HasLetterSpacing(std::string_view line);
void ExpandLetterSpacing(std::string& line, std::string& scratch, const PendingEvents& pending);
void MarkLastModified(std::string& line, std::string& scratch);
} // namespace LineRule

// Converts the lines of one source text in order: it carries the line number, the
// anchor counter and the title flag from line to line.
class TLineConverter {
public:
    TLineConverter(TConversionOptions options, PendingEvents pending);

    // Rewrites the next source line in place; false when the line is dropped.
    bool ConvertLine(std::string& line);

    // The number the next paragraph anchor gets.
    std::int64_t NextAnchor() const { return anchor_; }

private:
    bool ApplyTitleRules(std::string& line);
    void MarkParagraphStart(std::string& line);

    TConversionOptions options_;
    PendingEvents pending_;
    std::int64_t lineNumber_ = 0;
    std::int64_t anchor_ = 1;
    bool titleOnLine3_ = false;
    std::string scratch_;
};

// Converts the whole source text of the last load into the page, a line at a time.
// Throws EConvertError (before any line is written) or EInOutError.
void ConvertBody(const TConf& conf, const TSourceState& source, TTextWriter& page, const PendingEvents& pending,
                 FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
