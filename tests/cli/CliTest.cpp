// SPDX-License-Identifier: GPL-3.0-or-later
// verdask-convert run as a user runs it: a real process on real files.

#include "config/Conf.h"
#include "conversion/Bookmark.h"
#include "files/OwnPage.h"
#include "style/PageFrame.h"
#include "style/StyleFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::ReadFileBytes;
using test::TTempDir;
using test::WriteFileBytes;

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Starts the converter with its output going to outPath and errPath; inFolder:
// in the temporary folder as its working folder. Returns its process, or -1.
pid_t StartConverter(const TTempDir& dir, const std::vector<std::string>& arguments, bool inFolder,
                     const std::string& outPath = "/dev/null", const std::string& errPath = "/dev/null")
{
    std::vector<std::string> words = {VERDASK_CONVERT};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string folder = dir.Path().string();
    if (inFolder)
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status of a started converter; -1 when it did not exit by itself.
int ExitStatusOf(pid_t pid)
{
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the converter; inFolder: with the temporary folder as its working folder.
TRun RunConverter(const TTempDir& dir, const std::vector<std::string>& arguments, bool inFolder = false)
{
    const std::string out = dir.File(".out");
    const std::string err = dir.File(".err");
    TRun run;
    run.Status = ExitStatusOf(StartConverter(dir, arguments, inFolder, out, err));
    run.Out = ReadFileBytes(out);
    run.Err = ReadFileBytes(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

const std::string Book = CrLfLines({"Author", "Title", "   Three -- blanks", "   Again", "", "   More"});

std::string Body(const std::string& indent)
{
    return CrLfLines({"<P style=\"text-align: center\"><B>Title</B></P>",
                      "<BR><A Name=a1>" + indent + "Three &#150; blanks", "</A><BR><A Name=a2>" + indent + "Again",
                      "<P>", "</A><BR><A Name=a3>" + indent + "More"});
}

TEST(VerdaskConvert, ConvertsBesideTheTextAndNeverReplacesWithoutForce)
{
    TTempDir dir;
    const std::string text = dir.File("tale.txt");
    const std::string page = dir.File("tale.html");
    WriteFileBytes(text, Book);
    TRun run = RunConverter(dir, {text});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, page + "\n");
    // Too few lines to detect: the indent width is 4, and 3 blanks are no paragraph.
    EXPECT_EQ(ReadFileBytes(page), PageHeaderText(page, TViewStyle{}) +
                                       CrLfLines({"<P style=\"text-align: center\"><B>Title</B></P>",
                                                  "   Three &#150; blanks", "   Again", "<P>", "   More"}) +
                                       PageFooterText());

    WriteFileBytes(page, "kept");
    run = RunConverter(dir, {text});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(text), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("--force"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFileBytes(page), "kept");

    run = RunConverter(dir, {"--force", text});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(ReadFileBytes(page), "kept");
}

TEST(VerdaskConvert, TakesTheConfigurationStyleAndOutputGiven)
{
    TTempDir dir;
    const std::string text = dir.File("tale.txt");
    WriteFileBytes(text, Book);
    // Keys the file lacks take their defaults.
    WriteFileBytes(dir.File("my.con"), CrLfLines({"Autodetect=No", "Leading spaces=3", "Non-breaking spaces=1"}));
    TViewStyle style;
    style.FontName = "Georgia";
    style.TextWidth = 60;
    WriteStyleFile(dir.File("my.sty"), style);
    const std::string page = dir.File("out.html");
    TRun run;
    // The long, the short and the attached forms of the options.
    for (const std::vector<std::string>& options : std::vector<std::vector<std::string>>{
             {"--config", dir.File("my.con"), "--style", dir.File("my.sty"), "--out", page},
             {"-c", dir.File("my.con"), "-s", dir.File("my.sty"), "-o", page, "-f"},
             {"--config=" + dir.File("my.con"), "--style=" + dir.File("my.sty"), "--out=" + page, "--force"}}) {
        std::vector<std::string> arguments = options;
        arguments.push_back(text);
        run = RunConverter(dir, arguments);
        ASSERT_EQ(run.Status, 0) << options[0] << ": " << run.Err;
        EXPECT_EQ(ReadFileBytes(page), PageHeaderText(page, style) + Body("&nbsp;") + PageFooterText());
    }

    run = RunConverter(dir, {"--config", dir.File("my.con"), "--print-style", page});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, StyleFileText(style));
}

TEST(VerdaskConvert, FailuresNameTheFileAndTheReason)
{
    TTempDir dir;
    const std::string text = dir.File("book.html");
    WriteFileBytes(text, Book);
    TRun run = RunConverter(dir, {"--force", text});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("would replace the text itself"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadFileBytes(text), Book);

    run = RunConverter(dir, {dir.File("missing.txt"), text});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(dir.File("missing.txt")), std::string::npos) << run.Err;

    WriteFileBytes(dir.File("bad.con"), CrLfLines({"Non-breaking spaces=many"}));
    WriteFileBytes(dir.File("tale.txt"), Book);
    run = RunConverter(dir, {"--config", dir.File("bad.con"), dir.File("tale.txt")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("'many' is not a valid integer value"), std::string::npos) << run.Err;

    run = RunConverter(dir, {"--config", dir.File("none.con"), dir.File("tale.txt")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Cannot open file " + dir.File("none.con")), std::string::npos) << run.Err;

    // A pipe is no page to replace, even with --force (nor, as root, /dev/null).
    const std::string fifo = dir.File("mynull");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    run = RunConverter(dir, {"--force", "--out", fifo, dir.File("tale.txt")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("a device, a pipe or a socket"), std::string::npos) << run.Err;
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(VerdaskConvert, ReadsEveryEncodingAndRefusesWhatIsNoText)
{
    TTempDir dir;
    const std::string expected = PageHeaderText(dir.File("tale.html"), TViewStyle{}) +
                                 test::Recoded(CrLfLines({"<P style=\"text-align: center\"><B>Сказка</B></P>",
                                                          "   Ёлка &#150; ель"}),
                                               "UTF-8", "CP1251") +
                                 PageFooterText();
    const std::string book = CrLfLines({"Автор", "Сказка", "   Ёлка -- ель"});
    const std::string text = dir.File("tale.txt");
    for (const char* encoding : {"UTF-8", "KOI8-R", "CP866", "CP1251"}) {
        WriteFileBytes(text, test::Recoded(book, "UTF-8", encoding));
        const TRun run = RunConverter(dir, {"--force", text});
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), expected) << encoding;
    }
    // Chosen in the configuration or on the command line, an encoding is used as it stands.
    WriteFileBytes(text, test::Recoded(book, "UTF-8", "UTF-16LE"));
    WriteFileBytes(dir.File("utf16.con"), CrLfLines({"Source encoding=utf-16"}));
    TRun run = RunConverter(dir, {"--config", dir.File("utf16.con"), "--force", text});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), expected);

    std::filesystem::remove(dir.File("tale.html"));
    run = RunConverter(dir, {text});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "verdask-convert: " + text +
                           ": does not look like a text: it holds bytes that no text holds; not converted "
                           "(--encoding converts it anyway)\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("tale.html")));
    run = RunConverter(dir, {"--encoding", "UTF-16", text});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), expected);

    ASSERT_EQ(::mkfifo(dir.File("pipe.txt").c_str(), 0600), 0);
    run = RunConverter(dir, {dir.File("pipe.txt")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("not a regular file"), std::string::npos) << run.Err;
}

TEST(VerdaskConvert, PrintsThePagesContents)
{
    TTempDir dir;
    WriteFileBytes(dir.File("tale.txt"), test::Recoded(CrLfLines({"Автор", "Сказка", "", "ЧАСТЬ ПЕРВАЯ", "I", "",
                                                                  "     Абзац.", "", "II", "", "     Ещё."}),
                                                       "UTF-8", "CP1251"));
    ASSERT_EQ(RunConverter(dir, {dir.File("tale.txt")}).Status, 0);
    TRun run = RunConverter(dir, {"--contents", dir.File("tale.html")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "0\tСказка\n1\t  ЧАСТЬ ПЕРВАЯ\n1\t    I\n2\t    II\n");
    run = RunConverter(dir, {"--contents", dir.File("none.html")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find(dir.File("none.html")), std::string::npos);
    // What is no page of this program, however long its lines, is told so.
    WriteFileBytes(dir.File("other.html"), "<HTML><BODY>\r\n<P>another program's page</P>\r\n");
    WriteFileBytes(dir.File("random.bin"), std::string(3 << 20, '\x8f') + "<BODY\x01\x02");
    for (const char* option : {"--contents", "--print-style"}) {
        for (const char* file : {"tale.txt", "other.html", "random.bin"}) {
            run = RunConverter(dir, {option, dir.File(file)});
            EXPECT_EQ(run.Status, 1) << option << ' ' << file;
            EXPECT_EQ(run.Err, "verdask-convert: " + dir.File(file) + ": not a page of this program\n");
            EXPECT_EQ(run.Out, "");
        }
    }

    // What cannot be written to standard output (a full disk) is a failure.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--contents", dir.File("tale.html")}, {"--print-style", dir.File("tale.html")},
          {"--version"}, {"--help"}}) {
        const std::string err = dir.File(".err");
        EXPECT_EQ(ExitStatusOf(StartConverter(dir, arguments, false, "/dev/full", err)), 1) << arguments[0];
        EXPECT_NE(ReadFileBytes(err).find("cannot write to standard output"), std::string::npos) << arguments[0];
    }
}

TEST(VerdaskConvert, RestylesPagesOfThisProgramOnly)
{
    TTempDir dir;
    const std::string text = dir.File("tale.txt");
    WriteFileBytes(text, Book);
    ASSERT_EQ(RunConverter(dir, {text}).Status, 0);
    const std::string page = dir.File("tale.html");
    const std::string converted = ReadFileBytes(page);
    TViewStyle style;
    style.FontName = "Georgia";
    style.TextWidth = 50;
    WriteStyleFile(dir.File("shelf.sty"), style);
    const std::string foreign = dir.File("other.html");
    WriteFileBytes(foreign, "<html><body>x</body></html>");
    const std::string readme = dir.File("readme.html");
    WriteFileBytes(readme, converted);

    const TRun run = RunConverter(dir, {"--restyle", "--style", dir.File("shelf.sty"), page, foreign, readme});
    EXPECT_EQ(run.Status, 1) << "two pages were skipped";
    EXPECT_NE(run.Err.find(foreign + ": made by another program"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find(readme + ": a readme page"), std::string::npos) << run.Err;
    const std::string body = converted.substr(PageHeaderText(page, TViewStyle{}).size());
    EXPECT_EQ(ReadFileBytes(page), PageHeaderText(page, style) + body);
    EXPECT_EQ(ReadFileBytes(foreign), "<html><body>x</body></html>");
    EXPECT_EQ(ReadFileBytes(readme), converted);
    EXPECT_EQ(RunConverter(dir, {"--restyle", page}).Status, 2) << "--restyle needs --style";
}

TEST(VerdaskConvert, NamesWithoutAFolderAreInTheWorkingFolderAndSoAreTheTemporaryFiles)
{
    TTempDir dir;
    WriteFileBytes(dir.File("tale.txt"), Book);
    TViewStyle style;
    style.FontName = "Georgia";
    WriteStyleFile(dir.File("shelf.sty"), style);
    ASSERT_EQ(RunConverter(dir, {"tale.txt"}, true).Status, 0);
    const std::string converted = ReadFileBytes(dir.File("tale.html"));
    EXPECT_EQ(RunConverter(dir, {"--force", "tale.txt"}, true).Status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), converted);

    const TRun run = RunConverter(dir, {"--restyle", "--style", "shelf.sty", "tale.html"}, true);
    EXPECT_EQ(run.Status, 0) << run.Err;
    const std::string body = converted.substr(PageHeaderText("tale.html", TViewStyle{}).size());
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")), PageHeaderText("tale.html", style) + body);
    EXPECT_EQ(test::FolderEntries(dir.Path()), (std::vector<std::string>{"shelf.sty", "tale.html", "tale.txt"}));
}

// A book of its own for each number, of a size that keeps a converter busy a while.
std::string NumberedBook(int number, std::size_t bytes)
{
    std::string text = "Author " + std::to_string(number) + "\r\nTitle\r\n";
    for (int i = 0; text.size() < bytes; ++i)
        text += "   Book " + std::to_string(number) + ", paragraph " + std::to_string(i) + " -- and its words.\r\n";
    return text;
}

TEST(VerdaskConvert, ConversionsAndRestylesAtOnceInOneFolderNeverMixPages)
{
    TTempDir dir;
    TViewStyle style;
    style.FontName = "Georgia";
    WriteStyleFile(dir.File("shelf.sty"), style);
    constexpr int Books = 16; // the first half converted over old pages, the second half restyled
    std::vector<std::string> texts;
    std::vector<std::string> pages;
    std::vector<std::string> plain; // each page as its book gives it alone
    std::vector<std::string> expected;
    for (int i = 0; i < Books; ++i) {
        texts.push_back(dir.File("book" + std::to_string(i) + ".txt"));
        pages.push_back(dir.File("book" + std::to_string(i) + ".html"));
        WriteFileBytes(texts[i], NumberedBook(i, 200000 + 50000 * static_cast<std::size_t>(i)));
        ASSERT_EQ(RunConverter(dir, {texts[i]}).Status, 0);
        plain.push_back(ReadFileBytes(pages[i]));
        if (i >= Books / 2) {
            ASSERT_EQ(RunConverter(dir, {"--restyle", "--style", dir.File("shelf.sty"), pages[i]}).Status, 0);
        }
        expected.push_back(ReadFileBytes(pages[i]));
    }
    for (int round = 0; round < 4; ++round) {
        std::vector<pid_t> runs;
        for (int i = 0; i < Books; ++i) {
            WriteFileBytes(pages[i], i < Books / 2 ? "an older page" : plain[i]);
            runs.push_back(StartConverter(dir, i < Books / 2 ? std::vector<std::string>{"--force", texts[i]}
                                                             : std::vector<std::string>{"--restyle", "--style",
                                                                                        dir.File("shelf.sty"), pages[i]},
                                          false));
        }
        for (int i = 0; i < Books; ++i) {
            EXPECT_EQ(ExitStatusOf(runs[i]), 0) << "book " << i << " round " << round;
        }
        for (int i = 0; i < Books; ++i) {
            ASSERT_EQ(ReadFileBytes(pages[i]), expected[i]) << "book " << i << " round " << round;
        }
        EXPECT_EQ(test::TemporaryFilesIn(dir.Path()), std::vector<std::string>{});
    }

    // Several restyles of one page at once: the last whole write wins.
    const std::string& page = pages[0];
    WriteFileBytes(page, plain[0]);
    const std::string body = plain[0].substr(PageHeaderText(page, TViewStyle{}).size());
    std::vector<pid_t> runs;
    std::vector<std::string> wholePages;
    for (int width = 50; width <= 90; width += 10) {
        TViewStyle narrow;
        narrow.TextWidth = width;
        const std::string styleFile = dir.File("width" + std::to_string(width) + ".sty");
        WriteStyleFile(styleFile, narrow);
        wholePages.push_back(PageHeaderText(page, narrow) + body);
        runs.push_back(StartConverter(dir, {"--restyle", "--style", styleFile, page}, false));
    }
    for (const pid_t run : runs)
        EXPECT_EQ(ExitStatusOf(run), 0);
    EXPECT_NE(std::find(wholePages.begin(), wholePages.end(), ReadFileBytes(page)), wholePages.end());
}

TEST(VerdaskConvert, AConverterKilledAtAnyMomentLeavesTheOldPageOrTheNewOne)
{
    TTempDir dir;
    const std::string text = dir.File("book.txt");
    const std::string page = dir.File("book.html");
    WriteFileBytes(text, NumberedBook(1, 2 * 1000 * 1000));
    TViewStyle style;
    style.TextWidth = 60;
    WriteStyleFile(dir.File("narrow.sty"), style);
    ASSERT_EQ(RunConverter(dir, {"--style", dir.File("narrow.sty"), text}).Status, 0);
    const std::string narrow = ReadFileBytes(page);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunConverter(dir, {"--force", text}).Status, 0);
    const auto lasts = std::chrono::steady_clock::now() - start;
    const std::string plain = ReadFileBytes(page);

    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        const std::string& before;
        const std::string& after;
    };
    const Case cases[] = {
        {"--force", {"--force", text}, narrow, plain},
        {"--restyle", {"--restyle", "--style", dir.File("narrow.sty"), page}, plain, narrow},
    };
    constexpr int Moments = 10;
    for (const auto& c : cases) {
        for (int moment = 0; moment < Moments; ++moment) {
            WriteFileBytes(page, c.before);
            const pid_t run = StartConverter(dir, c.arguments, false);
            std::this_thread::sleep_for(lasts * moment / Moments);
            kill(run, SIGKILL);
            ExitStatusOf(run);
            const std::string now = ReadFileBytes(page);
            EXPECT_TRUE(now == c.before || now == c.after) << c.what << " killed at moment " << moment;
            // The next run removes what the killed one left, and says so.
            const bool left = !test::TemporaryFilesIn(dir.Path()).empty();
            const TRun next = RunConverter(dir, c.arguments);
            EXPECT_EQ(next.Status, 0) << c.what << " after a kill";
            EXPECT_EQ(next.Err.find("removed 1 temporary file left by stopped runs") != std::string::npos, left)
                << next.Err;
            EXPECT_EQ(ReadFileBytes(page), c.after) << c.what << " after a kill";
            EXPECT_EQ(test::TemporaryFilesIn(dir.Path()), std::vector<std::string>{});
        }
    }
}

TEST(VerdaskConvert, ExportsBooksAndAKilledExportLeavesNoPartOfOne)
{
    TTempDir dir;
    const std::string text = dir.File("book.txt");
    const std::string book = dir.File("book.epub");
    WriteFileBytes(text, NumberedBook(1, 2 * 1000 * 1000));
    TRun run = RunConverter(dir, {"-t", "epub", text});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, book + "\n");
    const std::string whole = ReadFileBytes(book);
    EXPECT_EQ(whole.substr(0, 4), "PK\x03\x04");
    EXPECT_EQ(whole.substr(30, 28), "mimetypeapplication/epub+zip");
    run = RunConverter(dir, {"-t", "epub", text});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("exists; not exported (--force replaces it)"), std::string::npos) << run.Err;
    ASSERT_EQ(RunConverter(dir, {text}).Status, 0);
    run = RunConverter(dir, {"--to=fb2", "-o", dir.File("page.fb2"), dir.File("book.html")});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(ReadFileBytes(dir.File("page.fb2")).starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));

    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunConverter(dir, {"-f", "-t", "epub", text}).Status, 0);
    const auto lasts = std::chrono::steady_clock::now() - start;
    constexpr int Moments = 6;
    for (int moment = 0; moment < Moments; ++moment) {
        WriteFileBytes(book, "old");
        const pid_t exporting = StartConverter(dir, {"-f", "-t", "epub", text}, false);
        std::this_thread::sleep_for(lasts * moment / Moments);
        kill(exporting, SIGKILL);
        ExitStatusOf(exporting);
        const std::string now = ReadFileBytes(book);
        EXPECT_TRUE(now == "old" || now.size() == whole.size()) << "killed at moment " << moment;
        const bool left = !test::TemporaryFilesIn(dir.Path()).empty();
        const TRun next = RunConverter(dir, {"-f", "-t", "epub", text});
        EXPECT_EQ(next.Status, 0) << next.Err;
        EXPECT_EQ(next.Err.find("removed 1 temporary file left by stopped runs") != std::string::npos, left)
            << next.Err;
        EXPECT_EQ(test::TemporaryFilesIn(dir.Path()), std::vector<std::string>{});
    }
}

TEST(VerdaskConvert, PrintsHowFarEachPageHasBeenRead)
{
    TTempDir dir;
    std::filesystem::create_directories(dir.Path() / "sub");
    WriteFileBytes(dir.File("a.txt"), CrLfLines({"Author", "Title", "     One"}));
    WriteFileBytes(dir.File("sub/b.txt"), CrLfLines({"Author", "", "     One", "     Two", "     Three", "     Four"}));
    ASSERT_EQ(RunConverter(dir, {dir.File("a.txt"), dir.File("sub/b.txt")}).Status, 0);
    WriteFileBytes(dir.File("other.html"), "<HTML><BODY>not ours</BODY></HTML>");
    ASSERT_EQ(SaveBookmark(dir.File("sub/b.html"), 2), TBookmarkResult::Saved);

    TRun run = RunConverter(dir, {"--progress", dir.Path().string()});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "0\t0/1\tTitle\t" + dir.File("a.html") + "\n50\t2/4\tb\t" + dir.File("sub/b.html") + "\n");
    run = RunConverter(dir, {"--progress", dir.File("other.html"), dir.File("missing")});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find(dir.File("missing") + ": no such file or folder"), std::string::npos) << run.Err;
}

TEST(VerdaskConvert, UsageErrors)
{
    TTempDir dir;
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {},
             {"--bogus", "a.txt"},
             {"--out"},
             {"--out", "x.html", "a.txt", "b.txt"},
             {"--print-style", "p", "t"},
             {"--encoding", "latin-1", "a.txt"},
             {"--encoding", "UTF-8", "--restyle", "--style", "s.sty", "p.html"},
             {"--contents", "p.html", "t.txt"},
             {"--force=yes", "a.txt"},
             {"-x", "a.txt"},
             {"-"},
             {"--contents", "-"},
             {"-o", "x.html", "-"}}) {
        const TRun run = RunConverter(dir, arguments);
        EXPECT_EQ(run.Status, 2) << (arguments.empty() ? "" : arguments[0]);
        // One line that says what is wrong, and where help is.
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 2) << run.Err;
        EXPECT_TRUE(run.Err.starts_with("verdask-convert: ")) << run.Err;
        EXPECT_TRUE(run.Err.ends_with("\nTry 'verdask-convert --help' for more information.\n")) << run.Err;
    }
    for (const char* version : {"--version", "-V"}) {
        const TRun run = RunConverter(dir, {version});
        EXPECT_EQ(run.Status, 0);
        EXPECT_EQ(run.Out, "verdask-convert " VERDASK_VERSION "\n");
    }
    for (const char* help : {"--help", "-h"}) {
        const TRun run = RunConverter(dir, {help});
        EXPECT_EQ(run.Status, 0);
        EXPECT_NE(run.Out.find("--print-style"), std::string::npos);
    }
}

TEST(VerdaskConvert, ReadsTheSettingsTheWindowKeeps)
{
    // The two programs installed side by side, the window's settings beside it.
    TTempDir dir;
    const std::string converter = dir.File("verdask-convert");
    std::filesystem::copy_file(VERDASK_CONVERT, converter);
    WriteFileBytes(dir.File("verdask.con"), CrLfLines({"Autodetect=No", "Leading spaces=3", "Non-breaking spaces=1"}));
    WriteFileBytes(dir.File("tale.txt"), Book);
    std::vector<std::string> words = {converter, dir.File("tale.txt")};
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    EXPECT_EQ(ExitStatusOf(pid), 0);
    EXPECT_EQ(ReadFileBytes(dir.File("tale.html")),
              PageHeaderText(dir.File("tale.html"), TViewStyle{}) + Body("&nbsp;") + PageFooterText());
}

TEST(VerdaskConvert, NoLinkDeviceOrRaceReachesAFileOutsideTheFolder)
{
    TTempDir dir;
    TTempDir elsewhere;
    const std::string text = dir.File("tale.txt");
    const std::string page = dir.File("tale.html");
    WriteFileBytes(text, Book);
    ASSERT_EQ(RunConverter(dir, {"-o", elsewhere.File("own.html"), text}).Status, 0);
    // The page of the text under a name: only its title differs.
    const auto converted = [page = ReadFileBytes(elsewhere.File("own.html"))](const std::string& name) {
        std::string titled = page;
        return titled.replace(titled.find("own.html"), 8, name);
    };
    WriteFileBytes(elsewhere.File("notes.txt"), "the user's notes");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0600), 0);

    // A link is a taken name; with --force it is followed only to a page of this program.
    const struct {
        const char* LeadsTo;
        bool Followed;
    } links[] = {{"own.html", true}, {"notes.txt", false}, {"missing.html", false}};
    for (const auto& link : links) {
        std::filesystem::remove(page);
        std::filesystem::create_symlink(elsewhere.File(link.LeadsTo), page);
        WriteFileBytes(elsewhere.File("own.html"), "<HTML><BODY>\r\n" + std::string(HeaderEndMarker) + "\r\nold\r\n");
        TRun run = RunConverter(dir, {text});
        EXPECT_EQ(run.Status, 1) << link.LeadsTo;
        EXPECT_NE(run.Err.find("exists"), std::string::npos) << run.Err;
        run = RunConverter(dir, {"--force", text});
        EXPECT_EQ(run.Status, link.Followed ? 0 : 1) << link.LeadsTo << run.Err;
        if (!link.Followed) {
            EXPECT_NE(run.Err.find(page + " is a link to " + elsewhere.File(link.LeadsTo) + "; not replaced"),
                      std::string::npos)
                << run.Err;
        }
        EXPECT_TRUE(std::filesystem::is_symlink(page));
        EXPECT_EQ(ReadFileBytes(elsewhere.File("own.html")).starts_with("<HTML>\r\n<HEAD>"), link.Followed);
    }
    EXPECT_EQ(ReadFileBytes(elsewhere.File("notes.txt")), "the user's notes");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.File("missing.html")));

    // A pipe is never written into nor replaced; "-o -" is standard output.
    TRun run = RunConverter(dir, {"--force", "-o", dir.File("pipe"), text});
    EXPECT_EQ(run.Status, 1);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("pipe")));
    run = RunConverter(dir, {"-o", "-", text});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, converted("tale.html"));

    // Eight runs started at once into one new page: exactly one converts it.
    for (int round = 0; round < 5; ++round) {
        const std::string racedFor = dir.File("raced" + std::to_string(round) + ".html");
        std::vector<pid_t> runs;
        for (int i = 0; i < 8; ++i)
            runs.push_back(StartConverter(dir, {"-o", racedFor, text}, false));
        int converting = 0;
        for (const pid_t pid : runs)
            converting += ExitStatusOf(pid) == 0;
        EXPECT_EQ(converting, 1) << "round " << round;
        EXPECT_EQ(ReadFileBytes(racedFor), converted("raced" + std::to_string(round) + ".html"));
    }
    EXPECT_EQ(test::TemporaryFilesIn(dir.Path()), std::vector<std::string>{});
}

} // namespace
} // namespace verdask
