// SPDX-License-Identifier: GPL-3.0-or-later
// verdask-convert: the program's conversions without a window.

#include "cli/CommandLine.h"
#include "config/Conf.h"
#include "conversion/Contents.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Shelf.h"
#include "conversion/Source.h"
#include "export/Export.h"
#include "files/Cp1251.h"
#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/Misc.h"
#include "files/OwnPage.h"
#include "files/TextFile.h"
#include "style/Restyle.h"
#include "style/StyleCss.h"
#include "style/StyleFile.h"

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <set>
#include <unistd.h>

namespace verdask::cli {
namespace {

constexpr const char* Name = "verdask-convert";

std::string ProgramPath(const char* argv0)
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(argv0) : path.string();
}

// Where the window keeps its settings: beside the window's program, which is
// installed beside this one, or in the user's configuration folder.
std::string WindowConfigurationPath(const std::string& programPath)
{
    return ConfigurationPath(FileBeside(DirectoryPart(programPath), "verdask"));
}

// The configuration a conversion runs with: the file given, else the program's own
// when there is one, and the default of every key that neither holds.
TConf ConversionSettings(const TCommandLine& line, const std::string& programPath)
{
    TConf conf;
    if (line.ConfigPath)
        conf.LoadFromFile(*line.ConfigPath);
    else if (const std::string window = WindowConfigurationPath(programPath); PlatformFileSystem().Exists(window))
        conf.LoadFromFile(window);
    for (const auto& entry : ConfDefaults()) {
        if (conf.GetValue(entry.Key).empty())
            conf.SetValue(entry.Key, DefaultValueOf(entry.Key));
    }
    return conf;
}

// The default style of the settings; a value that is none of its kind is told
// and takes its default, as the window does.
TViewStyle DefaultStyleOf(const TConf& conf)
{
    return LoadDefaultStyle(conf, [](std::string_view key, const std::string& reason) {
        std::cerr << Name << ": settings: " << key << ": " << reason << "; the default is used\n";
    });
}

TViewStyle PageStyle(const TCommandLine& line, const TConf& conf)
{
    TViewStyle style = DefaultStyleOf(conf);
    if (line.StylePath)
        ReadStyleFile(*line.StylePath, style);
    return style;
}

void Complain(const std::string& file, const std::string& reason)
{
    std::cerr << Name << ": " << file << ": " << reason << '\n';
}

// Once a folder: removes the temporary files that stopped runs left beside the
// pages, and names the files an interrupted rewrite of an earlier version left,
// which may hold the only whole copy of a page.
void LookAroundFolderOf(const std::string& page)
{
    static std::set<std::string> folders;
    const std::string folder = DirectoryPart(page);
    if (!folders.insert(folder).second)
        return;
    if (const int removed = RemoveAbandonedTemporaryFiles(PlatformFileSystem(), folder))
        Complain(folder.empty() ? "." : folder,
                 "removed " + std::to_string(removed) + " temporary file" + (removed == 1 ? "" : "s") +
                     " left by stopped runs");
    for (const auto& leftover : LeftoverPageCopies(page))
        Complain(leftover, "left by an interrupted rewrite of an earlier version; it may hold the only whole copy "
                           "of a page, so it is left as it is");
}

// The page of a text written to standard output ("-o -").
void WritePageToStandardOutput(const TConf& conf, const TSourceState& source, const TViewStyle& style)
{
    TTextWriter out(TFile::Adopt(PlatformFileSystem(), STDOUT_FILENO, "standard output"));
    WritePageInto(out, PageNameFor(source.SourcePath), conf, source, style, {});
    out.Close();
}

std::string ExistingPageText(const std::string& page)
{
    return "the page " + page + " exists; not converted (--force replaces it)";
}

constexpr const char* NotAPage = "not a page of this program";

// Throws EInOutError when the file cannot be read.
bool IsPageOfThisProgram(const std::string& path)
{
    TFile file = TFile::OpenForReading(PlatformFileSystem(), path);
    return IsOwnPage(file);
}

// The source state of a text, as Load settles it; nothing when it is not to be read.
std::optional<TSourceState> LoadedText(const TCommandLine& line, const TConf& conf, const std::string& text)
{
    const TSourceKind kind = ExamineSource(text, line.Encoding.value_or(ChosenEncoding(conf)));
    if (kind.Binary && !line.Encoding) {
        Complain(text, "does not look like a text: it holds bytes that no text holds; not converted "
                       "(--encoding converts it anyway)");
        return std::nullopt;
    }
    TSourceState source;
    source.SourcePath = text;
    source.Encoding = kind.Encoding;
    const std::vector<TLineShape> shapes = ReadLineShapes(text, kind.Encoding);
    source.IndentWidth = IndentWidthOf(conf, shapes);
    source.Layout = LayoutOfText(line.Paragraphs.value_or(ChosenLayout(conf)), shapes);
    return source;
}

// Exports one text or page of this program as a book; false when it was not exported.
bool ExportBook(const TCommandLine& line, const TConf& conf, const TViewStyle& style, const std::string& file)
{
    const TBookFormat format = *line.To;
    const std::string book = line.OutPath ? *line.OutPath : BookNameFor(file, format);
    if (IsSameFile(book, file)) {
        Complain(file, "the book " + book + " would replace the file itself; not exported");
        return false;
    }
    if (PlatformFileSystem().Exists(book) && !line.Force) {
        Complain(file, "the book " + book + " exists; not exported (--force replaces it)");
        return false;
    }
    LookAroundFolderOf(book);
    TExportRequest request = line.Book;
    request.Format = format;
    const WhenTaken whenTaken = line.Force ? WhenTaken::Replace : WhenTaken::Refuse;
    try {
        if (IsPageOfThisProgram(file)) {
            ExportPage(file, book, request, style, {}, PlatformFileSystem(), whenTaken);
        } else {
            const auto source = LoadedText(line, conf, file);
            if (!source)
                return false;
            ExportText(conf, *source, style, book, request, {}, PlatformFileSystem(), whenTaken);
        }
    } catch (const EInOutError& error) {
        Complain(file, error.Code() == EEXIST && !line.Force
                           ? "the book " + book + " exists; not exported (--force replaces it)"
                           : error.what());
        return false;
    } catch (const EVerdaskError& error) {
        Complain(file, error.what());
        return false;
    }
    std::cout << book << '\n';
    return true;
}

// Converts one text; false when it was not converted.
bool ConvertText(const TCommandLine& line, const TConf& conf, const TViewStyle& style, const std::string& text)
{
    const std::string page = line.OutPath ? *line.OutPath : PageNameFor(text);
    const bool toStandardOutput = page == "-";
    if (!toStandardOutput && IsSameFile(page, text)) {
        Complain(text, "the page " + page + " would replace the text itself; not converted");
        return false;
    }
    // A link counts as a name taken, even one that leads nowhere.
    if (!toStandardOutput && PlatformFileSystem().Exists(page) && !line.Force) {
        Complain(text, ExistingPageText(page));
        return false;
    }
    if (!toStandardOutput)
        LookAroundFolderOf(page);
    try {
        const auto source = LoadedText(line, conf, text);
        if (!source)
            return false;
        if (toStandardOutput) {
            WritePageToStandardOutput(conf, *source, style);
            return true;
        }
        WritePage(page, conf, *source, style, {}, PlatformFileSystem(),
                  line.Force ? WhenTaken::Replace : WhenTaken::Refuse);
    } catch (const EInOutError& error) {
        // Another run took the name since it was looked at.
        Complain(text, error.Code() == EEXIST && !line.Force ? ExistingPageText(page) : error.what());
        return false;
    } catch (const EVerdaskError& error) {
        Complain(text, error.what());
        return false;
    }
    std::cout << page << '\n';
    return true;
}

// Restyles one page of this program; false when it was not restyled.
bool RestyleOnePage(const TViewStyle& style, const std::string& page)
{
    try {
        if (FileNamePart(page) == "readme.html") {
            Complain(page, "a readme page is never restyled; left untouched");
            return false;
        }
        if (!IsRestylablePage(page)) {
            Complain(page, "made by another program; left untouched");
            return false;
        }
        LookAroundFolderOf(page);
        // A page of this program asks nothing.
        const TRestyleResult result = RestylePage(page, style, {});
        if (result.Code != 0) {
            Complain(page, "I/O error, code " + std::to_string(result.Code) + ": " + result.Reason);
            return false;
        }
    } catch (const EVerdaskError& error) {
        Complain(page, error.what());
        return false;
    }
    std::cout << page << '\n';
    return true;
}

int PrintStyle(const TConf& conf, const std::string& page)
{
    try {
        if (!IsPageOfThisProgram(page)) {
            Complain(page, NotAPage);
            return 1;
        }
        std::cout << StyleFileText(ReadStyleFromPage(page, DefaultStyleOf(conf)));
        return 0;
    } catch (const EVerdaskError& error) {
        Complain(page, error.what());
        return 1;
    }
}

int PrintContents(const std::string& page)
{
    try {
        if (!IsPageOfThisProgram(page)) {
            Complain(page, NotAPage);
            return 1;
        }
        for (const THeading& heading : ReadContents(page)) {
            std::cout << heading.Anchor << '\t' << std::string(2 * static_cast<std::size_t>(heading.Depth), ' ')
                      << Windows1251ToUtf8(heading.Text) << '\n';
        }
        return 0;
    } catch (const EVerdaskError& error) {
        Complain(page, error.what());
        return 1;
    }
}

// One line a page of this program among paths: the percent read, the place of
// the last paragraph, the title and the path.
int PrintProgress(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            Complain(path, "no such file or folder");
    }
    const std::vector<TShelfBook> books = ScanShelf(paths, {true, nullptr, nullptr});
    for (const TShelfBook& book : books) {
        std::cout << book.Percent() << '\t' << book.Anchor << '/' << book.Paragraphs << '\t' << book.Title << '\t'
                  << book.Path << '\n';
    }
    if (books.empty()) {
        std::cerr << Name << ": no page of this program was found\n";
        return 1;
    }
    return 0;
}

int Run(const TCommandLine& line, const std::string& programPath)
{
    if (line.Help) {
        std::cout << UsageText;
        return 0;
    }
    if (line.Version) {
        std::cout << Name << ' ' << VERDASK_VERSION << '\n';
        return 0;
    }
    if (line.ContentsPage)
        return PrintContents(*line.ContentsPage);
    if (line.Progress)
        return PrintProgress(line.Texts);
    TConf conf;
    TViewStyle style;
    try {
        conf = ConversionSettings(line, programPath);
        if (line.PrintStylePage)
            return PrintStyle(conf, *line.PrintStylePage);
        style = PageStyle(line, conf);
    } catch (const EVerdaskError& error) {
        std::cerr << Name << ": " << error.what() << '\n';
        return 1;
    }
    bool allDone = true;
    for (const auto& text : line.Texts)
        allDone = (line.Restyle ? RestyleOnePage(style, text)
                   : line.To    ? ExportBook(line, conf, style, text)
                                : ConvertText(line, conf, style, text)) &&
                  allDone;
    return allDone ? 0 : 1;
}

} // namespace
} // namespace verdask::cli

int main(int argc, char** argv)
{
    using namespace verdask::cli;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const TParseResult parsed = ParseCommandLine(arguments);
    if (!parsed.CommandLine) {
        std::cerr << "verdask-convert: " << parsed.Error << "\nTry 'verdask-convert --help' for more information.\n";
        return 2;
    }
    int status = 1;
    try {
        status = Run(*parsed.CommandLine, ProgramPath(argv[0]));
    } catch (const std::exception& error) {
        std::cerr << "verdask-convert: " << error.what() << '\n';
    }
    // What was printed must have arrived: a full disk is a failure.
    if (!std::cout.flush()) {
        std::cerr << "verdask-convert: cannot write to standard output\n";
        return 1;
    }
    return status;
}
