// verdask-convert run as a user runs it: a real process on real files.

#include "config/Conf.h"
#include "style/PageFrame.h"
#include "style/StyleFile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
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

// Runs the converter; inFolder: with the temporary folder as its working folder.
TRun RunConverter(const TTempDir& dir, const std::vector<std::string>& arguments, bool inFolder = false)
{
    std::vector<std::string> words = {VERDASK_CONVERT};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    const std::string out = dir.File(".out");
    const std::string err = dir.File(".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string folder = dir.Path().string();
    if (inFolder)
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    TRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
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
    TRun run = RunConverter(dir, {"--config", dir.File("my.con"), "--style", dir.File("my.sty"), "--out", page, text});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(page), PageHeaderText(page, style) + Body("&nbsp;") + PageFooterText());

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
    for (const char* name : {"VerdaskTemp._p_", "VerdaskTemp._a_"})
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path("/") / name)) << name;
}

TEST(VerdaskConvert, UsageErrors)
{
    TTempDir dir;
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {}, {"--bogus", "a.txt"}, {"--out"}, {"--out", "x.html", "a.txt", "b.txt"}, {"--print-style", "p", "t"}}) {
        const TRun run = RunConverter(dir, arguments);
        EXPECT_EQ(run.Status, 2) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_NE(run.Err.find("Usage:"), std::string::npos);
    }
    TRun run = RunConverter(dir, {"--version"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Out, "verdask-convert " VERDASK_VERSION "\n");
    run = RunConverter(dir, {"--help"});
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Out.find("--print-style"), std::string::npos);
}

} // namespace
} // namespace verdask
