// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/LineReader.h"

#include "files/Errors.h"

#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <random>

namespace verdask {
namespace {

using test::TTempDir;
using Lines = std::vector<std::string>;

Lines ReadAllLines(const std::string& path, LineEnds rule, FileSystem& fileSystem = PlatformFileSystem())
{
    TLineReader reader(fileSystem, path, rule);
    Lines lines;
    std::string line;
    while (reader.ReadLine(line))
        lines.push_back(line);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "");
    reader.Close();
    return lines;
}

struct ReadCase {
    const char* why;
    std::string bytes;
    Lines lines;
};

void ExpectLines(LineEnds rule, const std::vector<ReadCase>& cases)
{
    TTempDir dir;
    const std::string path = dir.File("text");
    for (const auto& c : cases) {
        test::WriteFileBytes(path, c.bytes);
        EXPECT_EQ(ReadAllLines(path, rule), c.lines) << c.why;
    }
}

TEST(LineReader, TextFileRule)
{
    using namespace std::string_literals;
    ExpectLines(LineEnds::CarriageReturn, {
        {"an empty file has no lines", "", {}},
        {"CR LF ends a line, no empty line after the last", "a\r\nb\r\n", {"a", "b"}},
        {"a last line without an end is a line", "a\r\nb", {"a", "b"}},
        {"a lone CR ends a line", "a\rb\r", {"a", "b"}},
        {"a lone LF stays inside its line", "a\nb\r\nc", {"a\nb", "c"}},
        {"a file of LF lines is one line", "a\nb\n", {"a\nb\n"}},
        {"LF CR: the LF is text, the CR ends", "a\n\rb", {"a\n", "b"}},
        {"CR CR LF: one empty line", "a\r\r\nb", {"a", "", "b"}},
        {"empty lines count", "\r\n\r\n", {"", ""}},
        {"a single CR is one empty line", "\r", {""}},
        {"Ctrl-Z ends the input in mid-line", "ab\x1A" "cd\r\nef", {"ab"}},
        {"Ctrl-Z at the start of a line adds no line", "ab\r\n\x1A\r\nmore", {"ab"}},
        {"Ctrl-Z alone: no lines", "\x1A", {}},
        {"NUL is an ordinary byte here", "a\0b"s, {"a\0b"s}},
        {"windows-1251 bytes pass unchanged", "\xC0\xE1\xE2\r\n\xFF", {"\xC0\xE1\xE2", "\xFF"}},
    });
}

TEST(LineReader, ConfigurationRule)
{
    using namespace std::string_literals;
    ExpectLines(LineEnds::AnyBreak, {
        {"an empty file has no lines", "", {}},
        {"CR LF", "a=1\r\nb=2\r\n", {"a=1", "b=2"}},
        {"lone CR", "a=1\rb=2\r", {"a=1", "b=2"}},
        {"lone LF", "a=1\nb=2\n", {"a=1", "b=2"}},
        {"mixed, with a last line without an end", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"LF CR is two line ends", "a\n\rb", {"a", "", "b"}},
        {"NUL ends the text", "a=1\r\nb=2\0c=3\r\n"s, {"a=1", "b=2"}},
        {"Ctrl-Z is an ordinary byte here", "a\x1A" "b", {"a\x1A" "b"}},
    });
}

TEST(LineReader, LineEndsAndLongLinesAcrossBlocks)
{
    TTempDir dir;
    const std::string path = dir.File("text");
    // The CR is the last byte of the first block and its LF the first of the next.
    const std::string first(FileBlockSize - 1, 'x');
    test::WriteFileBytes(path, first + "\r\nnext\r\n");
    EXPECT_EQ(ReadAllLines(path, LineEnds::CarriageReturn), (Lines{first, "next"}));

    const std::string longLine(3 * FileBlockSize + 17, 'y');
    test::WriteFileBytes(path, "a\r\n" + longLine + "\r\nz");
    EXPECT_EQ(ReadAllLines(path, LineEnds::CarriageReturn), (Lines{"a", longLine, "z"}));

    // A Ctrl-Z in the second block still ends the input there.
    test::WriteFileBytes(path, first + "\r\nab\x1A" + "cd");
    EXPECT_EQ(ReadAllLines(path, LineEnds::CarriageReturn), (Lines{first, "ab"}));
}

TEST(LineReader, ReadsInLargeBlocks)
{
    TTempDir dir;
    const std::string path = dir.File("text");
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    test::WriteFileBytes(path, text);
    test::TFailingFileSystem counting;
    const Lines lines = ReadAllLines(path, LineEnds::CarriageReturn, counting);
    EXPECT_EQ(lines.size(), 100000u);
    // open, one read per block, the read that meets the end, close
    EXPECT_LE(counting.Calls(), static_cast<int>(text.size() / FileBlockSize) + 4);
}

TEST(LineReader, ReportsFailuresAsInOutErrors)
{
    TTempDir dir;
    EXPECT_THROW(TLineReader(PlatformFileSystem(), dir.File("missing"), LineEnds::CarriageReturn), EInOutError);
    // A folder where the file should be fails for root too.
    EXPECT_THROW(TLineReader(PlatformFileSystem(), dir.Path().string(), LineEnds::CarriageReturn), EInOutError);

    const std::string path = dir.File("text");
    test::WriteFileBytes(path, "a\r\nb\r\n");
    test::TFailingFileSystem failing(2); // open succeeds, the first read fails
    TLineReader reader(failing, path, LineEnds::CarriageReturn);
    std::string line;
    EXPECT_THROW(reader.ReadLine(line), EInOutError);
}

} // namespace
} // namespace verdask

namespace verdask {
namespace {

// The line-end rules as plain splitting of a whole text.
Lines SplitByRule(const std::string& text, LineEnds rule)
{
    const char inputEnd = rule == LineEnds::AnyBreak ? '\0' : '\x1A';
    const std::string input = text.substr(0, text.find(inputEnd));
    if (rule == LineEnds::SourceText) {
        const auto firstEnd = input.find_first_of("\r\n");
        rule = firstEnd != std::string::npos && input[firstEnd] == '\n' ? LineEnds::LineFeed : LineEnds::CarriageReturn;
    }
    Lines lines;
    std::string line;
    for (std::size_t i = 0; i < input.size(); ++i) {
        const char c = input[i];
        const bool cr = c == '\r' && rule != LineEnds::LineFeed;
        const bool lf = c == '\n' && (rule == LineEnds::LineFeed || rule == LineEnds::AnyBreak);
        if (!cr && !lf) {
            line += c;
            continue;
        }
        if (lf && rule == LineEnds::LineFeed && !line.empty() && line.back() == '\r')
            line.pop_back();
        if (cr && i + 1 < input.size() && input[i + 1] == '\n')
            ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

TEST(LineReader, PiecesWholeLinesAndRewindsAgreeWithTheRules)
{
    TTempDir dir;
    const std::string path = dir.File("text");
    std::mt19937 random(1251);
    const char bytes[] = {'a', 'b', '\r', '\n', '\r', '\n', '\x1A', '\0', ' '};
    for (int round = 0; round < 600; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            text += random() % 4 == 0 ? bytes[random() % sizeof bytes] : 'x';
        test::WriteFileBytes(path, text);
        for (const LineEnds rule :
             {LineEnds::CarriageReturn, LineEnds::AnyBreak, LineEnds::SourceText, LineEnds::LineFeed}) {
            const Lines expected = SplitByRule(text, rule);
            for (const std::size_t block : {2u, 3u, 5u, 16u, 64u}) {
                TLineReader reader(PlatformFileSystem(), path, rule, block);
                Lines lines;
                std::string_view piece;
                while (reader.StartLine()) {
                    const bool rewind = random() % 2 == 0;
                    std::string line;
                    if (const auto whole = rewind ? std::nullopt : reader.WholeLine()) {
                        line = *whole;
                    } else {
                        if (rewind) {
                            while (reader.NextPiece(piece)) {
                            }
                            reader.RewindLine();
                        }
                        while (reader.NextPiece(piece))
                            line += piece;
                    }
                    lines.push_back(line);
                }
                ASSERT_EQ(lines, expected) << "round " << round << " rule " << static_cast<int>(rule) << " block "
                                           << block;
            }
        }
    }
}

} // namespace
} // namespace verdask
