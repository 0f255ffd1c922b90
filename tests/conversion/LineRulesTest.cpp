#include "conversion/LineRules.h"

#include "config/Conf.h"
#include "conversion/Errors.h"

#include <gtest/gtest.h>

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

// The output lines of a whole text; the first line of a text is never written,
// so the cases put a dummy line 1 in front.
Lines Convert(const Lines& source, const TConversionOptions& options)
{
    TLineConverter converter(options, nullptr);
    Lines out;
    for (std::string line : source) {
        if (converter.ConvertLine(line))
            out.push_back(line);
    }
    return out;
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

// The rules exactly as their loops are worded: search from the start after every
// replacement. Slow, and the measure of the linear versions.
std::string LiteralDoubleDashes(std::string line, std::size_t width)
{
    for (std::size_t found; (found = line.find("--")) != std::string::npos;) {
        const std::size_t p = found + 1; // 1-based
        bool afterIndent = width == 0;
        if (!afterIndent && p > width)
            afterIndent = line.substr(p - width - 1, width) == std::string(width, ' ');
        line.replace(found, 2, afterIndent ? "<BR>&#150;" : "&#150;");
    }
    return line;
}

std::string LiteralLetterSpacing(std::string line)
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

TEST(LineRules, LinearRulesGiveWhatTheLiteralLoopsGive)
{
    std::mt19937 random(20261208);
    const std::vector<std::string> pieces = {" ", " ", "-", "-", "_", "_", "a", "b", "&#9552;", ";", "&"};
    std::string scratch;
    int fired = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const int length = static_cast<int>(random() % 24);
        for (int i = 0; i < length; ++i)
            line += pieces[random() % pieces.size()];
        const std::size_t width = random() % 6;

        std::string dashes = line;
        LineRule::ReplaceDoubleDashes(dashes, width, scratch, nullptr);
        ASSERT_EQ(dashes, LiteralDoubleDashes(line, width)) << "line '" << line << "' W " << width;

        if (LineRule::HasLetterSpacing(line)) {
            ++fired;
            std::string spaced = line;
            LineRule::ExpandLetterSpacing(spaced, scratch, nullptr);
            ASSERT_EQ(spaced, LiteralLetterSpacing(line)) << "line '" << line << "'";
        }
    }
    EXPECT_GT(fired, 1000);
}

TEST(LineRules, ReplacementLoopsLetThePendingEventsRun)
{
    int calls = 0;
    const PendingEvents pending = [&calls] { ++calls; };
    std::string scratch;
    std::string line = "a--b--c";
    LineRule::ReplaceDoubleDashes(line, 5, scratch, pending);
    EXPECT_EQ(calls, 2);
    line = "x_y_z q_r";
    LineRule::ExpandLetterSpacing(line, scratch, pending);
    EXPECT_EQ(calls, 4);
}

} // namespace
} // namespace verdask
