// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/LineRules.h"

#include "config/Conf.h"
#include "conversion/Source.h"
#include "files/Errors.h"
#include "files/TextFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace verdask {
namespace {

using Lines = std::vector<std::string>;

TConversionOptions Options(int width, int spaces = 4)
{
    TConf conf;
    conf.SetDefaults();
    conf.SetValue(ConfKey::NonBreakingSpaces, std::to_string(spaces));
    return ConversionOptionsFrom(conf, width);
}

// Collects converted lines.
class TLinesSink : public TLineSink {
public:
    void Put(std::string_view piece) override { current_ += piece; }
    void End() override { lines_.push_back(std::move(current_)), current_.clear(); }
    Lines Take() { return std::move(lines_); }

private:
    std::string current_;
    Lines lines_;
};

// The output lines of a whole text; the first line of a text is never written,
// so the cases put a dummy line 1 in front.
Lines Convert(const Lines& source, const TConversionOptions& options)
{
    TLinesSink sink;
    TLineConverter converter(options, sink, nullptr);
    for (const std::string& line : source)
        converter.ConvertLine(line);
    return sink.Take();
}

// The body lines after an author line and a title line.
Lines ConvertBodyLines(const Lines& body, const TConversionOptions& options = Options(5))
{
    Lines source = {"Author", "Title"};
    source.insert(source.end(), body.begin(), body.end());
    Lines out = Convert(source, options);
    out.erase(out.begin()); // the centred title
    return out;
}

std::string Line(const std::vector<std::string>& body)
{
    return ConvertBodyLines(body).at(0);
}

const std::string Five = "     ";
const std::string Nbsp4 = "&nbsp;&nbsp;&nbsp;&nbsp;";

TEST(LineRules, TheWorkedExample)
{
    EXPECT_EQ(ConvertBodyLines({Five + "First -- second", Five + "- Yes", Five + "-- No", Five + "Next", ""}),
              (Lines{
                  "<BR><A Name=a1>" + Nbsp4 + "First &#150; second",
                  "<BR>&nbsp;&#150; Yes",
                  Five + "<BR>&#150; No",
                  "</A><BR><A Name=a2>" + Nbsp4 + "Next",
                  "<P>",
              }));
}

TEST(LineRules, TitleLines)
{
    const auto options = Options(5);
    EXPECT_EQ(Convert({"Author", "Title", "Text"}, options),
              (Lines{"<P style=\"text-align: center\"><B>Title</B></P>", "Text"}));
    // "е ч" on line 2 drops it and centres line 3.
    EXPECT_EQ(Convert({"Author", "\xD0\xE0\xF1\xF1\xEA\xE0\xE7\xE5 \xF7\xE5\xEB\xEE\xE2\xE5\xEA\xE0", "Title", "Text"},
                      options),
              (Lines{"<P style=\"text-align: center\"><B>Title</B></P>", "Text"}));
    EXPECT_EQ(Convert({"Author", ""}, options), (Lines{"<P style=\"text-align: center\"><B></B></P>"}))
        << "an empty title is centred, not <P>";
    EXPECT_EQ(Convert({"Author"}, options), Lines{}) << "line 1 is never written";
    EXPECT_EQ(Convert({}, options), Lines{});
    // A title is no paragraph start: its "<" comes first, and the other rules still run.
    EXPECT_EQ(Convert({"A", "War -- Peace"}, options), (Lines{"<P style=\"text-align: center\"><B>War &#150; Peace</B></P>"}));
}

TEST(LineRules, ParagraphStartsAroundTheIndentWidth)
{
    EXPECT_EQ(Line({Five}), "<BR><A Name=a1>" + Nbsp4) << "exactly W blanks";
    EXPECT_EQ(Line({"    four"}), "    four") << "fewer blanks than W";
    EXPECT_EQ(Line({"      six"}), "<BR><A Name=a1>" + Nbsp4 + " six") << "the blank past W stays";
    EXPECT_EQ(Line({"text"}), "text");
    EXPECT_EQ(ConvertBodyLines({Five + "a", "x", Five + "b", Five + "c"}),
              (Lines{"<BR><A Name=a1>" + Nbsp4 + "a", "x", "</A><BR><A Name=a2>" + Nbsp4 + "b",
                     "</A><BR><A Name=a3>" + Nbsp4 + "c"}));

    // W = 0: every line that starts with a blank, keeping its blanks, and every "--" breaks.
    EXPECT_EQ(ConvertBodyLines({"  two", "x--y", "-dash"}, Options(0)),
              (Lines{"<BR><A Name=a1>" + Nbsp4 + "  two", "x<BR>&#150;y", "<BR>&nbsp;&#150;dash"}));
    // Non-breaking spaces 0 gives no indent text; a negative width counts as 0.
    EXPECT_EQ(ConvertBodyLines({Five + "a"}, Options(5, 0)), Lines{"<BR><A Name=a1>a"});
    EXPECT_EQ(ConvertBodyLines({" a"}, Options(-3, 1)), Lines{"<BR><A Name=a1>&nbsp; a"});
}

TEST(LineRules, SwitchesOffLeaveTheirRuleOut)
{
    TConf conf;
    conf.SetDefaults();
    conf.SetValue(ConfKey::ReplaceNbsps, "yes"); // only exactly "Yes" is on
    conf.SetValue(ConfKey::ReplaceDoubleDash, "No");
    conf.SetValue(ConfKey::ReplaceLeadingDash, "No");
    EXPECT_EQ(ConvertBodyLines({Five + "a -- b", Five + "- c", ""}, ConversionOptionsFrom(conf, 5)),
              (Lines{Five + "a -- b", Five + "- c", "<P>"}));
}

TEST(LineRules, DoubleDashes)
{
    EXPECT_EQ(Line({"a--b"}), "a&#150;b");
    EXPECT_EQ(Line({"a---b"}), "a&#150;-b");
    EXPECT_EQ(Line({"a----b"}), "a&#150;&#150;b");
    EXPECT_EQ(Line({"x" + Five + "--y"}), "x" + Five + "<BR>&#150;y") << "W blanks before the pair";
    EXPECT_EQ(Line({"x    --y"}), "x    &#150;y") << "W-1 blanks are no indent";
    EXPECT_EQ(Line({Five + "-- a -- b"}), Five + "<BR>&#150; a &#150; b");
}

TEST(LineRules, LetterSpacing)
{
    EXPECT_EQ(Line({"see w_o_r_d here"}), "see &nbsp;w&nbsp;o&nbsp;r&nbsp;d&nbsp; here");
    EXPECT_EQ(Line({"file_name"}), "file_name") << "one underscore: the rule does not fire";
    EXPECT_EQ(Line({"a_b c_d"}), "a_b c_d");
    EXPECT_EQ(Line({"x&#9552;y&#9552;z"}), "&nbsp;x&nbsp;y&nbsp;z&nbsp;");
    EXPECT_EQ(Line({"w_o_r_d and file_name"}),
              "&nbsp;w&nbsp;o&nbsp;r&nbsp;d&nbsp; and fil&nbsp;e&nbsp;nam&nbsp;e")
        << "once it fires, every underscore is expanded; a group that reaches the last character "
           "closes before it";
}

TEST(LineRules, LastModifiedAndMarkup)
{
    EXPECT_EQ(Line({"Last-modified: 2001"}), "<P>Last-modified: 2001");
    EXPECT_EQ(Line({"last-modified: 2001"}), "last-modified: 2001");
    EXPECT_EQ(Line({"a < b & c"}), "a < b & c") << "the source is never escaped";
    EXPECT_EQ(Line({"<b>bold</b>"}), "<b>bold</b>");
}

TEST(ConversionOptions, NonBreakingSpacesMustBeANumber)
{
    TConf conf;
    conf.SetDefaults();
    conf.SetValue(ConfKey::NonBreakingSpaces, "four");
    EXPECT_THROW(ConversionOptionsFrom(conf, 5), EConvertError);
    conf.SetValue(ConfKey::NonBreakingSpaces, "-2");
    EXPECT_EQ(ConversionOptionsFrom(conf, 5).IndentText, "");
}

// The rules exactly as they are worded, on whole lines, with the loops that
// search from the start after every replacement. Slow, and the measure of the
// converter, which works on pieces in one pass.
class TLiteralConverter {
public:
    TLiteralConverter(std::size_t width, std::string indentText, bool paragraphs, bool doubleDash, bool leadingDash)
        : width_(width), blanks_(width, ' '), indentText_(std::move(indentText)), paragraphs_(paragraphs),
          doubleDash_(doubleDash), leadingDash_(leadingDash)
    {
    }

    std::optional<std::string> Convert(std::string line)
    {
        ++number_;
        if (number_ == 1)
            return std::nullopt;
        if (number_ == 2) {
            titleOnLine3_ = line.find("\xE5\x20\xF7") != std::string::npos;
            if (titleOnLine3_)
                return std::nullopt;
            line = Centre(line);
        } else if (number_ == 3 && titleOnLine3_) {
            line = Centre(line);
        }
        if (paragraphs_ && !line.empty() && line[0] == ' ' && line.substr(0, width_) == blanks_ &&
            (line.size() == width_ || line[width_] != '-')) {
            line = (anchor_ == 1 ? "" : "</A>") + std::string("<BR><A Name=a") + std::to_string(anchor_) + ">" +
                   indentText_ + line.substr(width_);
            ++anchor_;
        }
        if (doubleDash_)
            line = DoubleDashes(line);
        if (leadingDash_ && line.size() >= width_ + 1 && line.substr(0, width_ + 1) == blanks_ + "-")
            line = "<BR>&nbsp;&#150;" + line.substr(width_ + 1);
        if (line.empty())
            line = "<P>";
        const auto first = line.find('_');
        if ((first != std::string::npos && first + 2 < line.size() && line[first + 2] == '_') ||
            line.find("&#9552;") != std::string::npos)
            line = LetterSpacing(line);
        for (std::size_t at = 0; (at = line.find("Last-modified:", at)) != std::string::npos; at += 17)
            line.replace(at, 14, "<P>Last-modified:");
        return line;
    }

private:
    static std::string Centre(const std::string& line)
    {
        return "<P style=\"text-align: center\"><B>" + line + "</B></P>";
    }

    std::string DoubleDashes(std::string line) const
    {
        for (std::size_t found; (found = line.find("--")) != std::string::npos;) {
            const std::size_t p = found + 1; // 1-based
            bool afterIndent = width_ == 0;
            if (!afterIndent && p > width_)
                afterIndent = line.substr(p - width_ - 1, width_) == blanks_;
            line.replace(found, 2, afterIndent ? "<BR>&#150;" : "&#150;");
        }
        return line;
    }

    static std::string LetterSpacing(std::string line)
    {
        for (std::size_t found; (found = line.find("&#9552;")) != std::string::npos;)
            line.replace(found, 7, "_");
        for (std::size_t found; (found = line.find('_')) != std::string::npos;) {
            const std::size_t p = found + 1;
            const std::size_t n = line.size();
            std::size_t q = p + 2;
            while (!(q >= n || line[q - 1] == ' '))
                q += 2;
            const std::size_t trailing = q > n ? n : q - 1; // 0-based, before the leading insert
            line.insert(trailing, "_");
            const std::size_t leading = p == 1 ? 0 : p - 2;
            line.insert(leading, "_");
            std::string expanded;
            for (std::size_t i = leading; i <= trailing + 1; ++i)
                expanded += line[i] == '_' ? std::string("&nbsp;") : std::string(1, line[i]);
            line.replace(leading, trailing + 2 - leading, expanded);
        }
        return line;
    }

    std::size_t width_;
    std::string blanks_;
    std::string indentText_;
    bool paragraphs_;
    bool doubleDash_;
    bool leadingDash_;
    int number_ = 0;
    int anchor_ = 1;
    bool titleOnLine3_ = false;
};

struct TRandomText {
    explicit TRandomText(unsigned seed) : random(seed) {}

    std::string Line()
    {
        static const std::vector<std::string> pieces = {
            " ", " ", " ", "-", "-", "_", "_", "a", "\xE1", "&#9552;", ";", "&", "<", "Last-modified:", "\xE5 \xF7"};
        std::string line;
        const int length = static_cast<int>(random() % 28);
        for (int i = 0; i < length; ++i)
            line += pieces[random() % pieces.size()];
        return line;
    }

    std::mt19937 random;
};

TEST(LineRules, PiecesGiveWhatTheLiteralRulesGive)
{
    TRandomText text(20261208);
    std::mt19937& random = text.random;
    int lines = 0;
    for (int round = 0; round < 1500; ++round) {
        const std::size_t width = random() % 6;
        const int spaces = static_cast<int>(random() % 3);
        const bool paragraphs = random() % 5 != 0;
        const bool doubleDash = random() % 5 != 0;
        const bool leadingDash = random() % 5 != 0;
        TConversionOptions options;
        options.IndentWidth = width;
        for (int i = 0; i < spaces; ++i)
            options.IndentText += "&nbsp;";
        options.ReplaceNbsps = paragraphs;
        options.ReplaceDoubleDash = doubleDash;
        options.ReplaceLeadingDash = leadingDash;
        TLiteralConverter literal(width, options.IndentText, paragraphs, doubleDash, leadingDash);
        TLinesSink sink;
        TLineConverter converter(options, sink, nullptr);
        Lines expected;
        for (int i = 0; i < 12; ++i, ++lines) {
            const std::string line = text.Line();
            if (auto converted = literal.Convert(line))
                expected.push_back(*converted);
            if (!converter.BeginLine(ScanLine(line)))
                continue;
            // In pieces of 1 to 5 characters, as a long line comes from the reader.
            for (std::size_t at = 0; at < line.size();) {
                const std::size_t size = std::min<std::size_t>(1 + random() % 5, line.size() - at);
                converter.Put(std::string_view(line).substr(at, size));
                at += size;
            }
            converter.EndLine();
        }
        ASSERT_EQ(sink.Take(), expected) << "round " << round << " W " << width;
    }
    EXPECT_EQ(lines, 1500 * 12);
}

TEST(ConvertBody, LongLinesReadInPiecesConvertAsWholeLines)
{
    test::TTempDir dir;
    const std::string sourcePath = dir.File("book.txt");
    const std::string pagePath = dir.File("book.html");
    TRandomText text(1251);
    TConf conf;
    conf.SetDefaults();
    for (int round = 0; round < 60; ++round) {
        std::vector<std::string> lines;
        for (int i = 0; i < 10; ++i) {
            std::string line = text.Line();
            if (i % 3 == 0)
                line += text.Line() + text.Line() + text.Line();
            lines.push_back(line);
        }
        const std::string lineEnd = round % 2 == 0 ? "\r\n" : "\n";
        std::string bytes;
        for (const auto& line : lines)
            bytes += line + lineEnd;
        test::WriteFileBytes(sourcePath, bytes);

        TLiteralConverter literal(3, "&nbsp;&nbsp;&nbsp;&nbsp;", true, true, true);
        std::string expected;
        for (const auto& line : lines) {
            if (auto converted = literal.Convert(line))
                expected += *converted + "\r\n";
        }
        TSourceState source;
        source.SourcePath = sourcePath;
        source.IndentWidth = 3;
        for (const std::size_t block : {4u, 9u, 31u, 4096u}) {
            {
                std::filesystem::remove(pagePath);
                TTextWriter page(TFile::CreateNew(PlatformFileSystem(), pagePath, pagePath));
                ConvertBody(conf, source, page, {}, PlatformFileSystem(), block);
                page.Close();
            }
            ASSERT_EQ(test::ReadFileBytes(pagePath), expected) << "round " << round << " block " << block;
        }
    }
}

TEST(LineRules, ReplacementLoopsLetThePendingEventsRun)
{
    int calls = 0;
    TLinesSink sink;
    TLineConverter converter(Options(5), sink, [&calls] { ++calls; });
    converter.ConvertLine("author");
    converter.ConvertLine("title");
    converter.ConvertLine("a--b--c");
    EXPECT_EQ(calls, 2);
    converter.ConvertLine("x_y_z q_r");
    EXPECT_EQ(calls, 4);
}

} // namespace
} // namespace verdask
