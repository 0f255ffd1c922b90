// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandLine.h"

#include <algorithm>
#include <utility>

namespace verdask::cli {

const char* const UsageText =
    "Usage: verdask-convert [-c FILE] [-s FILE.sty] [--encoding NAME] [--paragraphs KIND] [-o PAGE] [-f] TEXT...\n"
    "       verdask-convert -t epub|fb2 [--title T] [--author A] [--lang L] [-o BOOK] [-f] TEXT-OR-PAGE...\n"
    "       verdask-convert [--config FILE] --print-style PAGE\n"
    "       verdask-convert --contents PAGE\n"
    "       verdask-convert --restyle --style FILE.sty PAGE...\n"
    "       verdask-convert --progress PAGE-OR-FOLDER...\n"
    "       verdask-convert --help | --version\n"
    "\n"
    "Converts book texts into pages, exactly as the program's Convert does.\n"
    "\n"
    "  -c, --config FILE   read the conversion options and the default style from FILE\n"
    "                      (default: the window's verdask.con, beside verdask or else in\n"
    "                      $XDG_CONFIG_HOME, when it exists; keys it lacks take their\n"
    "                      default values)\n"
    "  -s, --style FILE.sty  write the pages in the style of a style file\n"
    "  --encoding NAME     read the texts in NAME: Auto (tell from the text), windows-1251,\n"
    "                      UTF-8, KOI8-R, CP866 or UTF-16 (default: \"Source encoding\" of the\n"
    "                      configuration, else Auto); a file that does not look like a text\n"
    "                      is converted only when this is given\n"
    "  --paragraphs KIND   how the texts mark their paragraphs: auto (tell from the text),\n"
    "                      indented (the library's), lines (one line each) or blank (empty\n"
    "                      lines between, lines wrapped) (default: \"Paragraphs\" of the\n"
    "                      configuration, else auto)\n"
    "  -o, --out PAGE      the page of the one TEXT (default: TEXT with the extension .html;\n"
    "                      - writes it to standard output)\n"
    "  -f, --force         replace existing pages (a page never replaces its own text)\n"
    "  -t, --to FORMAT     html (pages, the default), epub (EPUB 3) or fb2 (FictionBook 2):\n"
    "                      a book for e-readers with a chapter for each heading of the\n"
    "                      contents, from a text or from a page of this program; -o names\n"
    "                      the book (default: the file with the extension .epub or .fb2)\n"
    "  --title TITLE       the book's title (default: the page's title line, else the file name)\n"
    "  --author NAME       the book's author (default: line 1 of a text in the library's\n"
    "                      layout, else Unknown)\n"
    "  --lang CODE         the book's language (default: ru when most letters are Cyrillic,\n"
    "                      else und)\n"
    "  --print-style PAGE  print the style of a page as the lines of a style file\n"
    "  --contents PAGE     print the headings of a page of this program, one a line: the\n"
    "                      paragraph to go to, a tab, two blanks a level, the heading\n"
    "  --restyle           give pages of this program the style of the style file, keeping\n"
    "                      their text (other programs' pages and readme.html are left alone)\n"
    "  --progress          print how far each page of this program has been read, one a\n"
    "                      line: the percent, a tab, the bookmark's paragraph/the last\n"
    "                      paragraph, a tab, the title, a tab, the path; folders are read\n"
    "                      with their subfolders; sorted by path; exit status 1 when no\n"
    "                      file was a page of this program\n"
    "  -h, --help          show this help\n"
    "  -V, --version       show the version\n"
    "Options take their value after a blank or after \"=\" (--out=PAGE).\n"
    "\n"
    "Exit status: 0 when every text was converted, 1 when any was not, 2 for a usage error.\n";

namespace {

bool TakesValue(const std::string& option)
{
    return option == "--config" || option == "--style" || option == "--out" || option == "--print-style" ||
           option == "--encoding" || option == "--contents" || option == "--paragraphs" || option == "--to" ||
           option == "--title" || option == "--author" || option == "--lang";
}

// An empty text, or why the value makes no command.
std::string SetValue(TCommandLine& line, const std::string& option, const std::string& value)
{
    if (option == "--encoding") {
        line.Encoding = EncodingNamed(value);
        if (!line.Encoding)
            return "unknown encoding " + value + " (Auto, windows-1251, UTF-8, KOI8-R, CP866 or UTF-16)";
    } else if (option == "--paragraphs") {
        line.Paragraphs = LayoutNamed(value);
        if (!line.Paragraphs)
            return "unknown paragraph layout " + value + " (auto, indented, lines or blank)";
    } else if (option == "--to") {
        if (value == "epub")
            line.To = TBookFormat::Epub;
        else if (value == "fb2")
            line.To = TBookFormat::Fb2;
        else if (value == "html")
            line.To.reset();
        else
            return "unknown format " + value + " (html, epub or fb2)";
    } else if (option == "--title") {
        line.Book.Title = value;
    } else if (option == "--author") {
        line.Book.Author = value;
    } else if (option == "--lang") {
        if (value.size() > 35 || value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-") !=
                                     std::string::npos)
            return "--lang takes a language code such as ru, en or uk, not " + value;
        line.Book.Language = value;
    } else if (option == "--contents") {
        line.ContentsPage = value;
    } else if (option == "--config")
        line.ConfigPath = value;
    else if (option == "--style")
        line.StylePath = value;
    else if (option == "--out")
        line.OutPath = value;
    else
        line.PrintStylePage = value;
    return {};
}

// Inputs are files: a pipe or a terminal is never read, so "-" names none.
bool NamesStandardInput(const TCommandLine& line)
{
    const auto isDash = [](const std::optional<std::string>& value) { return value == "-"; };
    return isDash(line.ConfigPath) || isDash(line.StylePath) || isDash(line.PrintStylePage) ||
           isDash(line.ContentsPage) || std::find(line.Texts.begin(), line.Texts.end(), "-") != line.Texts.end();
}

std::string CheckCombination(const TCommandLine& line)
{
    if (line.Help || line.Version)
        return {};
    if (NamesStandardInput(line))
        return "- (standard input) is not read; name a file";
    const bool namesBook = line.Book.Title || line.Book.Author || line.Book.Language;
    if (namesBook && !line.To)
        return "--title, --author and --lang go with --to epub or --to fb2";
    if (line.To && (line.Restyle || line.PrintStylePage || line.ContentsPage))
        return "--to goes with texts and pages to export, not with --restyle, --print-style or --contents";
    if (line.To && line.OutPath == "-")
        return "a book is written to a file, not to standard output (-o -)";
    if (line.Progress) {
        if (line.Restyle || line.PrintStylePage || line.ContentsPage || line.OutPath || line.StylePath ||
            line.ConfigPath || line.Force || line.Encoding || line.Paragraphs || line.To)
            return "--progress takes pages and folders and nothing else";
        if (line.Texts.empty())
            return "--progress needs a page or a folder";
        return {};
    }
    if (line.ContentsPage) {
        if (line.Restyle || line.PrintStylePage || line.OutPath || line.StylePath || line.Force || line.Encoding ||
            line.Paragraphs || !line.Texts.empty())
            return "--contents takes a page and nothing else";
        return {};
    }
    if (line.Restyle) {
        if (line.PrintStylePage || line.OutPath || line.Force || line.Encoding || line.Paragraphs)
            return "--restyle takes no --print-style, --out, --encoding, --paragraphs or --force";
        if (!line.StylePath)
            return "--restyle needs --style";
        if (line.Texts.empty())
            return "no page to restyle";
        return {};
    }
    if (line.PrintStylePage) {
        if (!line.Texts.empty() || line.OutPath || line.StylePath || line.Force || line.Encoding || line.Paragraphs)
            return "--print-style takes no texts and no --style, --out, --encoding, --paragraphs or --force";
        return {};
    }
    if (line.Texts.empty())
        return "no text to convert";
    if (line.OutPath && line.Texts.size() != 1)
        return "--out goes with exactly one text";
    return {};
}

} // namespace

// The long name of a short option ("-o" is "--out"), or the argument as it is.
std::string LongForm(const std::string& argument)
{
    static const std::pair<const char*, const char*> shortForms[] = {
        {"-o", "--out"}, {"-t", "--to"}, {"-f", "--force"}, {"-s", "--style"}, {"-c", "--config"}, {"-h", "--help"}, {"-V", "--version"}};
    for (const auto& [shortForm, longForm] : shortForms) {
        if (argument == shortForm)
            return longForm;
    }
    return argument;
}

TParseResult ParseCommandLine(const std::vector<std::string>& arguments)
{
    TCommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = LongForm(arguments[i]);
        // "--out=FILE" is "--out FILE".
        std::optional<std::string> attached;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            attached = argument.substr(equals + 1);
            argument.resize(equals);
            if (!TakesValue(argument))
                return {std::nullopt, argument + " takes no value"};
        }
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            line.Texts.push_back(arguments[i]);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            line.Help = true;
        } else if (argument == "--version") {
            line.Version = true;
        } else if (argument == "--force") {
            line.Force = true;
        } else if (argument == "--restyle") {
            line.Restyle = true;
        } else if (argument == "--progress") {
            line.Progress = true;
        } else if (TakesValue(argument)) {
            if ((!attached && i + 1 == arguments.size()) || (attached && attached->empty()))
                return {std::nullopt, argument + " needs a value"};
            if (std::string error = SetValue(line, argument, attached ? *attached : arguments[++i]); !error.empty())
                return {std::nullopt, error};
        } else {
            return {std::nullopt, "unknown option " + argument};
        }
    }
    if (std::string error = CheckCombination(line); !error.empty())
        return {std::nullopt, error};
    return {line, {}};
}

} // namespace verdask::cli
