// SPDX-License-Identifier: GPL-3.0-or-later
// Texts in other encodings than windows-1251: told, decoded on the way, and
// converted into exactly the page their windows-1251 text gives.

#include "config/Conf.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/LineRules.h"
#include "conversion/Source.h"
#include "files/Errors.h"
#include "style/ViewStyle.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace verdask {
namespace {

using test::ReadFileBytes;
using test::Recoded;
using test::TTempDir;
using test::WriteFileBytes;

// A book in windows-1251 with what the rules look at: the title mark on line 2,
// paragraphs, dashes, underscores, a box-drawing reference, letters every
// encoding has and some only a few have (quotes, the long dash, the numero sign),
// a line longer than the small blocks below, and Ctrl-Z with bytes behind it.
std::string Windows1251Book()
{
    std::string longLine = "     ";
    for (int i = 0; i < 300; ++i)
        longLine += "\xC4\xEB\xE8\xED\xED\xE0\xFF -- \xF1\xF2\xF0\xEE\xEA\xE0 \xB8\xEB\xEA\xE0 ";
    const std::string utf8 =
        "Лев Толстой\r\n"
        "е ч\r\n"
        "Война и мир\r\n"
        "     Глава первая\r\n"
        "     - Eh bien, mon prince. Genes et Lucques -- ce ne sont plus que des apanages.\r\n"
        "     «Ну, что, князь?» — сказала Анна Павловна, № 1, _курсив_ и &#9552; рамка.\r\n"
        "   Ёлки стояли тёмные.\r\n" +
        Recoded(longLine, "CP1251", "UTF-8") +
        "\r\n"
        "     Последняя строка.\r\n"
        "\x1A"
        "хвост после конца\r\n";
    return Recoded(utf8, "UTF-8", "CP1251");
}

struct TEncodedCase {
    const char* Why;
    std::string Prefix;     // a byte-order mark
    const char* IconvName;  // what iconv makes of the windows-1251 text
    TEncodingGuess Encoding;
    bool Lossy = false;     // the encoding lacks letters of the book
};

std::vector<TEncodedCase> Cases()
{
    return {
        {"UTF-8", "", "UTF-8", {TSourceEncoding::Utf8}},
        {"UTF-8 with a mark", "\xEF\xBB\xBF", "UTF-8", {TSourceEncoding::Utf8}},
        {"UTF-16 LE", "\xFF\xFE", "UTF-16LE", {TSourceEncoding::Utf16, false}},
        {"UTF-16 BE", "\xFE\xFF", "UTF-16BE", {TSourceEncoding::Utf16, true}},
        {"KOI8-R", "", "KOI8-R//IGNORE", {TSourceEncoding::Koi8R}, true},
        {"CP866", "", "CP866//IGNORE", {TSourceEncoding::Cp866}, true},
    };
}

struct EncodedSource : ::testing::Test {
    EncodedSource() { conf.SetDefaults(); }

    TSourceState Loaded(const std::string& path, TSourceEncoding chosen)
    {
        TSourceState source;
        source.SourcePath = path;
        source.Encoding = ExamineSource(path, chosen).Encoding;
        source.IndentWidth = IndentWidthOfText(conf, path, source.Encoding);
        return source;
    }

    // The page of a text, always at the same path, so that the headers agree.
    std::string PageOf(const TSourceState& source)
    {
        WritePage(page, conf, source, style, {});
        return ReadFileBytes(page);
    }

    // The body in blocks of the given size, so that long lines are read twice.
    std::string BodyOf(const TSourceState& source, std::size_t blockSize)
    {
        std::filesystem::remove(body);
        TTextWriter writer(TFile::CreateNew(PlatformFileSystem(), body, body));
        ConvertBody(conf, source, writer, {}, PlatformFileSystem(), blockSize);
        writer.Close();
        return ReadFileBytes(body);
    }

    TTempDir dir;
    TConf conf;
    TViewStyle style;
    const std::string page = dir.File("book.html");
    const std::string body = dir.File("body.html");
};

TEST_F(EncodedSource, EveryEncodingGivesThePageOfItsWindows1251Text)
{
    const std::string book = Windows1251Book();
    for (const std::string& lineEnd : {std::string("\r\n"), std::string("\n")}) {
        std::string text = book;
        if (lineEnd == "\n")
            std::erase(text, '\r');
        for (const TEncodedCase& c : Cases()) {
            SCOPED_TRACE(std::string(c.Why) + (lineEnd == "\n" ? ", LF lines" : ", CR LF lines"));
            const std::string encoded = c.Prefix + Recoded(text, "CP1251", c.IconvName);
            // What the encoding lacks is lost on the way; the page to match lost it too.
            const std::string windows =
                c.Lossy ? Recoded(Recoded(text, "CP1251", c.IconvName), c.Why, "CP1251") : text;
            ASSERT_EQ(c.Lossy, windows != text) << "the book holds letters this encoding lacks";
            WriteFileBytes(dir.File("windows.txt"), windows);
            WriteFileBytes(dir.File("encoded.txt"), encoded);

            const TSourceState reference = Loaded(dir.File("windows.txt"), TSourceEncoding::Auto);
            ASSERT_EQ(reference.Encoding, TEncodingGuess{TSourceEncoding::Windows1251});
            const TSourceState detected = Loaded(dir.File("encoded.txt"), TSourceEncoding::Auto);
            EXPECT_EQ(detected.Encoding, c.Encoding);
            EXPECT_EQ(detected.IndentWidth, reference.IndentWidth);
            EXPECT_EQ(ReadPreview(detected.SourcePath, detected.Encoding), ReadPreview(reference.SourcePath));
            const std::string expected = PageOf(reference);
            EXPECT_EQ(PageOf(detected), expected);
            const TSourceState chosen = Loaded(dir.File("encoded.txt"), c.Encoding.Encoding);
            EXPECT_EQ(chosen.Encoding, c.Encoding) << "chosen, with the byte order of the mark";
            EXPECT_EQ(PageOf(chosen), expected);
            for (const std::size_t block : {5u, 64u, 4096u})
                EXPECT_EQ(BodyOf(detected, block), BodyOf(reference, block)) << "blocks of " << block;
        }
    }
}

TEST_F(EncodedSource, CharactersTheCodePageLacksBecomeReferences)
{
    // "═" stays a character; "&#9552;" written as such is the library's letter-spacing mark in any encoding.
    WriteFileBytes(dir.File("utf8.txt"),
                   "Автор\r\nЗаголовок ═\r\n     Улыбка 😀, ǅ и ═══ рамка.\r\n     Р&#9552;а&#9552;з.\r\n");
    WriteFileBytes(dir.File("windows.txt"),
                   Recoded("Автор\r\nЗаголовок &#x2550;\r\n     Улыбка &#128512;, &#453; и &#x2550;&#x2550;&#x2550; "
                           "рамка.\r\n     Р&#9552;а&#9552;з.\r\n",
                           "UTF-8", "CP1251"));
    const TSourceState utf8 = Loaded(dir.File("utf8.txt"), TSourceEncoding::Auto);
    EXPECT_EQ(utf8.Encoding, TEncodingGuess{TSourceEncoding::Utf8});
    const std::string expected = PageOf(Loaded(dir.File("windows.txt"), TSourceEncoding::Auto));
    EXPECT_EQ(PageOf(utf8), expected);
    EXPECT_NE(expected.find("&#128512;"), std::string::npos);
    EXPECT_NE(expected.find("&#x2550;&#x2550;&#x2550; "), std::string::npos);
    EXPECT_EQ(expected.find("&#9552;"), std::string::npos) << "the mark fired the rule";
}

TEST_F(EncodedSource, TheFirstBlockTellsWhatIsNoText)
{
    WriteFileBytes(dir.File("image.png"), std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    EXPECT_TRUE(ExamineSource(dir.File("image.png"), TSourceEncoding::Auto).Binary);
    EXPECT_TRUE(ExamineSource(dir.File("image.png"), TSourceEncoding::Windows1251).Binary);

    // UTF-16 without a mark is told by no one: to Auto it is bytes with NULs.
    WriteFileBytes(dir.File("utf16.txt"), Recoded("Книга\r\n", "UTF-8", "UTF-16BE"));
    EXPECT_TRUE(ExamineSource(dir.File("utf16.txt"), TSourceEncoding::Auto).Binary);
    const TSourceKind chosen = ExamineSource(dir.File("utf16.txt"), TSourceEncoding::Utf16);
    EXPECT_FALSE(chosen.Binary);
    EXPECT_EQ(chosen.Encoding, (TEncodingGuess{TSourceEncoding::Utf16, false})) << "without a mark: LE";

    WriteFileBytes(dir.File("tabs.txt"), "a\tb\fc\x1B[0m\r\n\x1A");
    EXPECT_FALSE(ExamineSource(dir.File("tabs.txt"), TSourceEncoding::Auto).Binary);
    WriteFileBytes(dir.File("empty.txt"), "");
    EXPECT_FALSE(ExamineSource(dir.File("empty.txt"), TSourceEncoding::Auto).Binary);
}

TEST_F(EncodedSource, APipeOrADeviceIsRefusedAtOnce)
{
    // Read, a pipe with no writer would wait for ever and a device might never end.
    const std::string fifo = dir.File("book.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero")}) {
        try {
            ExamineSource(path, TSourceEncoding::Auto);
            ADD_FAILURE() << path << " was read";
        } catch (const EInOutError& error) {
            EXPECT_EQ(std::string(error.what()), "I/O error on file " + path +
                                                     ": not a regular file but a pipe, a device or a socket, "
                                                     "which the program does not read");
        }
        EXPECT_THROW(ReadPreview(path), EInOutError);
    }
}

} // namespace
} // namespace verdask
