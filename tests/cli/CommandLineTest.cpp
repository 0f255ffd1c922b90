// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.h"

#include <gtest/gtest.h>

namespace verdask::cli {
namespace {

using Words = std::vector<std::string>;

// The command line as one text, so that a table row says all of it.
std::string Described(const TCommandLine& line)
{
    std::string text;
    const auto add = [&text](const std::string& word) { text += (text.empty() ? "" : " ") + word; };
    const auto addValue = [&add](const char* name, const std::optional<std::string>& value) {
        if (value)
            add(std::string(name) + "=" + *value);
    };
    if (line.Help)
        add("help");
    if (line.Version)
        add("version");
    if (line.Force)
        add("force");
    if (line.Restyle)
        add("restyle");
    if (line.Progress)
        add("progress");
    addValue("config", line.ConfigPath);
    addValue("style", line.StylePath);
    addValue("out", line.OutPath);
    addValue("print-style", line.PrintStylePage);
    addValue("contents", line.ContentsPage);
    if (line.Encoding)
        add("encoding");
    if (line.Paragraphs)
        add("paragraphs=" + std::string(LayoutName(*line.Paragraphs)));
    if (line.To)
        add(std::string("to=") + (*line.To == TBookFormat::Epub ? "epub" : "fb2"));
    addValue("title", line.Book.Title);
    addValue("author", line.Book.Author);
    addValue("lang", line.Book.Language);
    for (const auto& text : line.Texts)
        add("[" + text + "]");
    return text;
}

TEST(ParseCommandLine, TakesEveryFormOfEveryOption)
{
    const struct {
        Words Arguments;
        std::string Parsed;
    } rows[] = {
        {{"a.txt"}, "[a.txt]"},
        {{"a=b.txt"}, "[a=b.txt]"},
        {{"a.txt", "--out=p.html"}, "out=p.html [a.txt]"},
        {{"-o", "p.html", "a.txt"}, "out=p.html [a.txt]"},
        {{"--out", "-", "a.txt"}, "out=- [a.txt]"},
        {{"-f", "-c", "v.con", "-s", "d.sty", "a.txt", "b.txt"}, "force config=v.con style=d.sty [a.txt] [b.txt]"},
        {{"--force", "--config=v.con", "--style=d.sty", "a.txt"}, "force config=v.con style=d.sty [a.txt]"},
        {{"--encoding", "KOI8-R", "a.txt"}, "encoding [a.txt]"},
        {{"--encoding=utf-8", "a.txt"}, "encoding [a.txt]"},
        {{"--paragraphs", "LINES", "a.txt"}, "paragraphs=One line each [a.txt]"},
        {{"--paragraphs=blank", "a.txt"}, "paragraphs=Blank lines [a.txt]"},
        {{"--", "-f", "--out"}, "[-f] [--out]"},
        {{"--restyle", "--style", "d.sty", "p.html", "q.html"}, "restyle style=d.sty [p.html] [q.html]"},
        {{"--print-style", "p.html", "-c", "v.con"}, "config=v.con print-style=p.html"},
        {{"--contents=p.html"}, "contents=p.html"},
        {{"-h"}, "help"},
        {{"--version", "a.txt"}, "version [a.txt]"},
        {{"-t", "epub", "--title=T", "--author", "A B", "--lang", "en-GB", "a.txt", "p.html"},
         "to=epub title=T author=A B lang=en-GB [a.txt] [p.html]"},
        {{"--to=fb2", "-o", "b.fb2", "a.txt"}, "out=b.fb2 to=fb2 [a.txt]"},
        {{"--to", "html", "a.txt"}, "[a.txt]"},
        {{"--progress", "books", "p.html"}, "progress [books] [p.html]"},
    };
    for (const auto& row : rows) {
        const TParseResult result = ParseCommandLine(row.Arguments);
        ASSERT_TRUE(result.CommandLine) << row.Parsed << ": " << result.Error;
        EXPECT_EQ(Described(*result.CommandLine), row.Parsed);
    }
}

TEST(ParseCommandLine, NamesWhatMakesNoCommand)
{
    const struct {
        Words Arguments;
        std::string Error;
    } rows[] = {
        {{}, "no text to convert"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"-x", "a.txt"}, "unknown option -x"},
        {{"--force=yes", "a.txt"}, "--force takes no value"},
        {{"a.txt", "--out"}, "--out needs a value"},
        {{"--out=", "a.txt"}, "--out needs a value"},
        {{"-o", "p.html", "a.txt", "b.txt"}, "--out goes with exactly one text"},
        {{"--encoding", "latin-1", "a.txt"},
         "unknown encoding latin-1 (Auto, windows-1251, UTF-8, KOI8-R, CP866 or UTF-16)"},
        {{"--paragraphs", "poems", "a.txt"}, "unknown paragraph layout poems (auto, indented, lines or blank)"},
        {{"--contents", "p.html", "a.txt"}, "--contents takes a page and nothing else"},
        {{"--contents", "p.html", "-f"}, "--contents takes a page and nothing else"},
        {{"--restyle", "p.html"}, "--restyle needs --style"},
        {{"--restyle", "-s", "d.sty"}, "no page to restyle"},
        {{"--restyle", "-s", "d.sty", "-f", "p.html"},
         "--restyle takes no --print-style, --out, --encoding, --paragraphs or --force"},
        {{"--print-style", "p.html", "a.txt"},
         "--print-style takes no texts and no --style, --out, --encoding, --paragraphs or --force"},
        {{"-"}, "- (standard input) is not read; name a file"},
        {{"-t", "pdf", "a.txt"}, "unknown format pdf (html, epub or fb2)"},
        {{"--progress"}, "--progress needs a page or a folder"},
        {{"--progress", "-f", "books"}, "--progress takes pages and folders and nothing else"},
        {{"--title", "T", "a.txt"}, "--title, --author and --lang go with --to epub or --to fb2"},
        {{"-t", "epub", "-o", "-", "a.txt"}, "a book is written to a file, not to standard output (-o -)"},
        {{"-t", "fb2", "--contents", "p.html"},
         "--to goes with texts and pages to export, not with --restyle, --print-style or --contents"},
        {{"-t", "epub", "--lang", "ru\"x", "a.txt"}, "--lang takes a language code such as ru, en or uk, not ru\"x"},
        {{"-c", "-", "a.txt"}, "- (standard input) is not read; name a file"},
        {{"--contents", "-"}, "- (standard input) is not read; name a file"},
    };
    for (const auto& row : rows) {
        const TParseResult result = ParseCommandLine(row.Arguments);
        EXPECT_FALSE(result.CommandLine) << row.Error;
        EXPECT_EQ(result.Error, row.Error);
    }
}

} // namespace
} // namespace verdask::cli
