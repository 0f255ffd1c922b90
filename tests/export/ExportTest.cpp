// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Export.h"

#include "config/Conf.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Contents.h"
#include "conversion/Source.h"
#include "export/BookMeta.h"
#include "export/BookText.h"
#include "files/Cp1251.h"
#include "files/Errors.h"
#include "style/ViewStyle.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>
#include <unzip.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

std::string Cp1251(std::string_view utf8)
{
    return test::Recoded(utf8, "UTF-8", "WINDOWS-1251");
}

// What a command printed and whether it ended well.
std::pair<int, std::string> RunCommand(const std::string& command)
{
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>&1").c_str(), "r"), ::pclose);
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe.get()))
        output.append(buffer.data(), got);
    const int status = ::pclose(pipe.release());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The epubcheck's findings: empty for a book with no error and no warning.
std::string EpubcheckFindings(const std::string& book)
{
    const auto [status, output] = RunCommand(std::string(VERDASK_JAVA) + " -jar " + VERDASK_EPUBCHECK + " -q '" + book + "'");
    return status == 0 && output.empty() ? std::string() : output + " (status " + std::to_string(status) + ")";
}

// The entries of a zip archive in order, with their contents.
std::vector<std::pair<std::string, std::string>> ZipEntries(const std::string& path)
{
    std::vector<std::pair<std::string, std::string>> entries;
    unzFile zip = unzOpen64(path.c_str());
    if (!zip)
        return entries;
    for (int more = unzGoToFirstFile(zip); more == UNZ_OK; more = unzGoToNextFile(zip)) {
        std::array<char, 512> name{};
        unzGetCurrentFileInfo64(zip, nullptr, name.data(), name.size(), nullptr, 0, nullptr, 0);
        std::string content;
        unzOpenCurrentFile(zip);
        std::array<char, 65536> buffer{};
        for (int got; (got = unzReadCurrentFile(zip, buffer.data(), buffer.size())) > 0;)
            content.append(buffer.data(), static_cast<std::size_t>(got));
        unzCloseCurrentFile(zip);
        entries.emplace_back(name.data(), content);
    }
    unzClose(zip);
    return entries;
}

std::string Entry(const std::string& book, const std::string& name)
{
    for (const auto& [entry, content] : ZipEntries(book)) {
        if (entry == name)
            return content;
    }
    return {};
}

// The texts of the links of the navigation, with their nesting: two blanks a level.
std::vector<std::string> NavigationEntries(const std::string& book)
{
    const std::string nav = Entry(book, "OEBPS/nav.xhtml");
    std::vector<std::string> entries;
    int level = 0;
    static const std::regex token("<ol>|</ol>|<a href=\"[^\"]*\">([^<]*)</a>");
    for (auto match = std::sregex_iterator(nav.begin(), nav.end(), token); match != std::sregex_iterator(); ++match) {
        if ((*match)[0] == "<ol>")
            ++level;
        else if ((*match)[0] == "</ol>")
            --level;
        else
            entries.push_back(std::string(2 * static_cast<std::size_t>(level - 1), ' ') + (*match)[1].str());
    }
    return entries;
}

std::vector<std::string> ContentsTexts(const std::string& page)
{
    std::vector<std::string> texts;
    for (const THeading& heading : ReadContents(page))
        texts.push_back(Windows1251ToUtf8(heading.Text));
    return texts;
}

std::vector<std::string> WithoutNesting(std::vector<std::string> entries)
{
    for (std::string& entry : entries)
        entry.erase(0, entry.find_first_not_of(' '));
    return entries;
}

// Books written for the test, in the library's layout unless told otherwise.
const std::string Volumes = CrLfLines({
    "Иван Петрович Белкин",
    "Повести. Том 1",
    "",
    "Том 1",
    "",
    "ЧАСТЬ ПЕРВАЯ",
    "I",
    "СТРАННЫЙ ГОСТЬ",
    "     Первый абзац <Одна из последних глав> & ещё -- конец.",
    "     -- Реплика, -- сказал он.",
    "",
    "* * *",
    "",
    "     После разрыва.",
    "",
    "II",
    "",
    "     Второй абзац.",
    "         Стих первый,",
    "         Стих второй.",
    "",
    "ЧАСТЬ ВТОРАЯ",
    "",
    "ГЛАВА 1",
    "",
    "     Текст второй части.",
    "",
    "Том 2",
    "",
    "ЧАСТЬ ПЕРВАЯ",
    "",
    "I",
    "",
    "     Второй том.",
});
const std::string NoHeadings = CrLfLines({"Автор Неизвестный", "Рассказ", "     Один абзац.", "     Другой абзац."});
const std::string OneLineEach = CrLfLines({"Рассказ", "", "I", "Первая строка-абзац.", "Вторая строка-абзац.", "",
                                           "II", "Третья.", "Четвёртая."});
const std::string BlankLines = CrLfLines({"Рассказ", "", "I", "", "Первый абзац, его строки",
                                          "перенесены на ширине строки.", "", "Второй абзац, его строки",
                                          "тоже перенесены на ширине.", "", "II", "", "Третий абзац."});

struct ExportFixture : ::testing::Test {
    ExportFixture() { conf.SetDefaults(); }

    // The text, its page, and its book made from each.
    void Make(const std::string& utf8, TParagraphLayout layout = TParagraphLayout::Indented)
    {
        text = dir.File("book.txt");
        WriteFileBytes(text, Cp1251(utf8));
        source.SourcePath = text;
        source.IndentWidth = 5;
        source.Layout.Paragraphs = layout;
        page = dir.File("book.html");
        WritePage(page, conf, source, style, {});
    }

    std::string ExportedText(TBookFormat format, const std::string& name)
    {
        const std::string book = dir.File(name);
        ExportText(conf, source, style, book, {format, {}, {}, {}});
        return book;
    }

    std::string ExportedPage(TBookFormat format, const std::string& name)
    {
        const std::string book = dir.File(name);
        ExportPage(page, book, {format, {}, {}, {}}, style);
        return book;
    }

    TTempDir dir;
    TConf conf;
    TSourceState source;
    TViewStyle style;
    std::string text;
    std::string page;
};

TEST(BookText, KeepsTheTextAndTakesThePagesMarkupOnly)
{
    const struct {
        std::string Page; // windows-1251 as the page holds it
        std::string Xml;
    } cases[] = {
        {Cp1251("<Одна из последних глав>"), "&lt;Одна из последних глав&gt;"},
        {"A & B &amp; C &nbsp;D", "A &amp; B &amp; C \xC2\xA0" "D"},
        {"&#150;&#9552;&#x2550;&#0;&#55296;", "\xE2\x80\x93\xE2\x95\x90\xE2\x95\x90"},
        {"one<BR>two</A><A Name=a7>three<P>four", "one twothree four"},
        {"&nbsp;&nbsp; \xA0 lead", "lead"},
        {Cp1251("«Ёлки» ") + "\x98", "«Ёлки»"},
        {"<B>&bogus;", "&lt;B&gt;&amp;bogus;"},
    };
    for (const auto& [page, xml] : cases) {
        EXPECT_EQ(XmlTextOf(page), xml) << page;
        // Given a byte at a time, a tag or entity cut between parts comes out the same.
        struct TCollect final : TTextOutput {
            std::string Xml;
            void Text(std::string_view text) override { Xml += text; }
            void LineBreak() override { Xml += ' '; }
        } collect;
        TXmlText bytes(collect);
        bytes.StartParagraph();
        for (const char byte : page)
            bytes.Put(std::string_view(&byte, 1));
        bytes.EndLine();
        EXPECT_EQ(collect.Xml.substr(0, xml.size()), xml) << page;
    }
    EXPECT_EQ(ReadLineStart("</A><BR><A Name=a12>&nbsp;x").Anchor, 12);
    EXPECT_EQ(ReadLineStart("<BR>&nbsp;&#150; x").Kind, TLineKind::Paragraph);
    EXPECT_EQ(ReadLineStart("<P>").Kind, TLineKind::EmptyLine);
    EXPECT_EQ(ReadLineStart("plain").Kind, TLineKind::Continuation);
}

TEST(BookMeta, NamesAuthorsAndTitlesFromLineOne)
{
    const struct {
        std::string Line1;
        std::string Author;
        std::string Title;
    } cases[] = {
        {"Лев Николаевич Толстой", "Лев Николаевич Толстой", ""},
        {"М.Ю.Лермонтов. Мцыри", "М.Ю.Лермонтов", "Мцыри"},
        {"  Денис Иванович Фонвизин. Недоросль", "Денис Иванович Фонвизин", "Недоросль"},
        {"Глава седьмая", "", ""},
        {"ЧАСТЬ ПЕРВАЯ", "", ""},
        {"1", "", ""},
        {"", "", ""},
    };
    for (const auto& [line, author, title] : cases) {
        const TNamedBook named = BookNamedByLine(Cp1251(line));
        EXPECT_EQ(named.Author, author) << line;
        EXPECT_EQ(named.Title, title) << line;
    }
    const TAuthorName tolstoy = PartedName("Лев Николаевич Толстой");
    EXPECT_EQ(tolstoy.First + "|" + tolstoy.Middle + "|" + tolstoy.Last, "Лев|Николаевич|Толстой");
    const TAuthorName initials = PartedName("М.Ю.Лермонтов");
    EXPECT_EQ(initials.First + "|" + initials.Last, "М.Ю.|Лермонтов");
    EXPECT_TRUE(PartedName("Unknown").Last.empty());
    EXPECT_EQ(BookIdentifier("A", "B"), BookIdentifier("A", "B"));
    EXPECT_NE(BookIdentifier("A", "B"), BookIdentifier("A", "C"));
}

struct TTestBook {
    const char* Name;
    const std::string& Text;
    TParagraphLayout Layout;
};
const TTestBook TestBooks[] = {
    {"Volumes", Volumes, TParagraphLayout::Indented},
    {"NoHeadings", NoHeadings, TParagraphLayout::Indented},
    {"OneLineEach", OneLineEach, TParagraphLayout::OneLineEach},
    {"BlankLines", BlankLines, TParagraphLayout::BlankLines},
};

// One book a test, so that the validator (a few seconds a book) runs beside the others.
struct EveryLayout : ExportFixture, ::testing::WithParamInterface<TTestBook> {};

// Every book passes epubcheck, and its navigation is the page's contents.
TEST_P(EveryLayout, MakesAValidEpubWhoseNavigationIsTheContents)
{
    Make(GetParam().Text, GetParam().Layout);
    const std::vector<std::string> contents = ContentsTexts(page);
    for (const std::string& epub : {ExportedText(TBookFormat::Epub, "text.epub"),
                                    ExportedPage(TBookFormat::Epub, "page.epub")}) {
        // A page makes the book its text makes, but for the author.
        if (epub.ends_with("text.epub")) {
            EXPECT_EQ(EpubcheckFindings(epub), "");
        }
        const auto entries = ZipEntries(epub);
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front(), std::make_pair(std::string("mimetype"), std::string("application/epub+zip")));
        const auto nav = WithoutNesting(NavigationEntries(epub));
        if (contents.empty())
            EXPECT_EQ(nav.size(), 1u);
        else
            EXPECT_EQ(nav, contents);
    }
}

INSTANTIATE_TEST_SUITE_P(Export, EveryLayout, ::testing::ValuesIn(TestBooks),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ExportFixture, HeadingsStayHeadingsAndTheTextStaysText)
{
    Make(Volumes);
    const std::string epub = ExportedText(TBookFormat::Epub, "book.epub");
    EXPECT_EQ(NavigationEntries(epub),
              (std::vector<std::string>{"Повести. Том 1", "Том 1", "  ЧАСТЬ ПЕРВАЯ", "    I. СТРАННЫЙ ГОСТЬ",
                                        "      * * *", "    II", "  ЧАСТЬ ВТОРАЯ", "    ГЛАВА 1", "Том 2",
                                        "  ЧАСТЬ ПЕРВАЯ", "    I"}));
    std::string chapters;
    for (const auto& [name, content] : ZipEntries(epub)) {
        if (name.ends_with(".xhtml") && name != "OEBPS/nav.xhtml")
            chapters += content;
    }
    EXPECT_NE(chapters.find("<h2 id=\"h2\">ЧАСТЬ ПЕРВАЯ</h2>\n<h3 id=\"h3\">I. СТРАННЫЙ ГОСТЬ</h3>"), std::string::npos);
    EXPECT_NE(chapters.find("Первый абзац &lt;Одна из последних глав&gt; &amp; ещё – конец.<br/>– Реплика"), std::string::npos) << chapters;
    EXPECT_NE(chapters.find("<p class=\"break\""), std::string::npos);
    EXPECT_NE(chapters.find("Стих первый,</p>\n<p id=\"a5\">Стих второй."), std::string::npos) << chapters;
    EXPECT_EQ(chapters.find("<p>I</p>"), std::string::npos);
    const std::string opf = Entry(epub, "OEBPS/content.opf");
    EXPECT_NE(opf.find("<dc:creator>Иван Петрович Белкин</dc:creator>"), std::string::npos);
    EXPECT_NE(opf.find("<dc:language>ru</dc:language>"), std::string::npos);
    EXPECT_NE(opf.find("<dc:title>Повести. Том 1</dc:title>"), std::string::npos);

    // The user's names win, escaped; a page no longer holds the author.
    const std::string named = dir.File("named.epub");
    ExportPage(page, named, {TBookFormat::Epub, "Tom & Jerry", "A <B>", "en"}, style);
    EXPECT_EQ(EpubcheckFindings(named), "");
    const std::string namedOpf = Entry(named, "OEBPS/content.opf");
    EXPECT_NE(namedOpf.find("<dc:title>Tom &amp; Jerry</dc:title>"), std::string::npos);
    EXPECT_NE(namedOpf.find("<dc:creator>A &lt;B&gt;</dc:creator>"), std::string::npos);
    EXPECT_NE(Entry(ExportedPage(TBookFormat::Epub, "page.epub"), "OEBPS/content.opf").find("Unknown"),
              std::string::npos);
}

TEST_F(ExportFixture, FictionBookIsWellFormedWithASectionForEachHeading)
{
    for (const std::string* text : {&Volumes, &NoHeadings}) {
        Make(*text);
        for (const std::string& fb2 : {ExportedText(TBookFormat::Fb2, "text.fb2"),
                                       ExportedPage(TBookFormat::Fb2, "page.fb2")}) {
            const auto [status, output] = RunCommand(std::string(VERDASK_XMLLINT) + " --noout '" + fb2 + "'");
            EXPECT_EQ(status, 0) << output;
            const std::string book = ReadFileBytes(fb2);
            std::vector<std::string> titles;
            static const std::regex title("<section id=\"h[0-9]+\">\n<title><p>([^<]*)</p></title>");
            for (auto match = std::sregex_iterator(book.begin(), book.end(), title); match != std::sregex_iterator();
                 ++match)
                titles.push_back((*match)[1]);
            std::vector<std::string> sections;
            for (const THeading& heading : ReadContents(page)) {
                if (heading.Kind != THeadingKind::Title && heading.Kind != THeadingKind::Break)
                    sections.push_back(Windows1251ToUtf8(heading.Text));
            }
            EXPECT_EQ(titles, sections);
        }
    }
    Make(Volumes);
    const std::string fb2 = ReadFileBytes(ExportedText(TBookFormat::Fb2, "book.fb2"));
    EXPECT_NE(fb2.find("<first-name>Иван</first-name><middle-name>Петрович</middle-name><last-name>Белкин</last-name>"),
              std::string::npos);
    EXPECT_NE(fb2.find("<subtitle id=\"h4\">* * *</subtitle>"), std::string::npos);
    EXPECT_NE(fb2.find("<p>– Реплика, – сказал он.</p>"), std::string::npos) << fb2;
}

// Killed at any call, an export leaves the book that was there or the whole new one.
TEST_F(ExportFixture, AKilledOrFailedExportLeavesNoPartOfABook)
{
    Make(Volumes);
    const std::string book = dir.File("book.epub");
    const auto exportBook = [&](FileSystem& fileSystem) {
        ExportText(conf, source, style, book, {TBookFormat::Epub, {}, {}, {}}, {}, fileSystem);
    };
    test::TFailingFileSystem counting;
    exportBook(counting);
    const std::string whole = ReadFileBytes(book);
    std::filesystem::remove(book);
    for (int killAt = 1; killAt <= counting.Calls(); ++killAt) {
        const pid_t child = ::fork();
        if (child == 0) {
            test::TFailingFileSystem dying(killAt, test::TFailingFileSystem::Fault::Kill);
            try {
                exportBook(dying);
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        const bool exists = std::filesystem::exists(book);
        EXPECT_TRUE(!exists || ReadFileBytes(book).size() == whole.size()) << counting.Log()[static_cast<std::size_t>(killAt - 1)];
        std::filesystem::remove(book);
        test::RemoveTemporaryFiles(dir.Path());
    }
    for (int failAt = 1; failAt <= counting.Calls(); ++failAt) {
        test::TFailingFileSystem failing(failAt);
        try {
            exportBook(failing);
        } catch (const EInOutError&) {
            if (!failing.RenamedBeforeFailure(book)) {
                EXPECT_FALSE(std::filesystem::exists(book)) << counting.Log()[static_cast<std::size_t>(failAt - 1)];
            }
        }
        EXPECT_TRUE(test::TemporaryFilesIn(dir.Path()).empty()) << counting.Log()[static_cast<std::size_t>(failAt - 1)];
        std::filesystem::remove(book);
    }
}

} // namespace
} // namespace verdask
