// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/Conf.h"

#include "files/Errors.h"
#include "support/FailingFileSystem.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace verdask {
namespace {

using test::CrLfLines;
using test::ReadFileBytes;
using test::TScriptedPrompts;
using test::TTempDir;
using test::WriteFileBytes;
using Lines = std::vector<std::string>;

TConf StoreWith(const Lines& lines)
{
    TConf conf;
    TTempDir dir;
    WriteFileBytes(dir.File("x.con"), CrLfLines(lines));
    conf.LoadFromFile(dir.File("x.con"));
    return conf;
}

Lines DefaultLines()
{
    const std::string home = DefaultFolder();
    return {
        "Open directory=" + home, "Save directory=" + home, "Leading spaces=5", "Non-breaking spaces=4",
        "Autodetect=Yes", "Replace nbsps=Yes", "Replace double dash=Yes", "Replace leading dash=Yes",
        "Same directory=Yes", "Language=English", "Left=50", "Top=50", "Width=540", "Height=380",
        "Maximized=No", "DefaultFontColor=#000000", "DefaultBackColor=#FFFFFF", "DefaultFontName=Arial",
        "DefaultFontSize=14", "DefaultLineHeight=18", "DefaultLetterSpacing=1", "DefaultJustification=0",
        "DefaultTextWidth=100", "Source encoding=Auto", "Paragraphs=Auto",
    };
}

TEST(TConfDefaults, AnEmptyStoreGetsEveryKeyButLastreadInOrder)
{
    TConf conf;
    conf.SetDefaults();
    EXPECT_EQ(conf.Lines(), DefaultLines());
    EXPECT_EQ(conf.GetValue("Lastread"), "");
    EXPECT_EQ(ConfDefaults().size(), 26u);
    EXPECT_EQ(ConfDefaults()[2].Key, "Lastread");
}

TEST(TConfDefaults, PresentKeysKeepTheirPlaceAndLastreadGoes)
{
    TConf conf = StoreWith({"# my settings", "width=800", "Lastread=/b/x.html", "Custom=1"});
    conf.SetDefaults();
    Lines expected = {"# my settings", "Width=540", "Custom=1"};
    for (const auto& line : DefaultLines()) {
        if (!line.starts_with("Width="))
            expected.push_back(line);
    }
    EXPECT_EQ(conf.Lines(), expected);
}

TEST(TConfValues, KeysMatchIgnoringCaseAndTheFirstLineWins)
{
    TConf conf = StoreWith({"left=10", "Width=600", "Width=700", "Open directory=C:\\Books=old", "Left = 50",
                            "a remark without equals", "Empty="});
    EXPECT_EQ(conf.GetValue("Left"), "10");
    EXPECT_EQ(conf.GetValue("LEFT"), "10");
    EXPECT_EQ(conf.GetValue("Open directory"), "C:\\Books=old");
    EXPECT_EQ(conf.GetValue("Left "), " 50") << "blanks belong to the key and the value";
    EXPECT_EQ(conf.GetValue("a remark without equals"), "");
    EXPECT_EQ(conf.GetValue("Missing"), "");
    EXPECT_EQ(conf.GetValue("Empty"), "");

    EXPECT_EQ(conf.GetValue("Width"), "600");
    conf.SetValue("Width", "");
    EXPECT_EQ(conf.GetValue("Width"), "700") << "removing the first shows the next";

    conf.SetValue("Left", "60");
    EXPECT_EQ(conf.Lines()[0], "Left=60") << "replaced in place, spelled as the caller spells it";
    EXPECT_EQ(conf.Lines()[4], "a remark without equals");
    EXPECT_EQ(conf.Lines()[5], "Empty=") << "a key= line stays until its key is set";
}

TEST(TConfValues, EmptyValueRemovesAndNewKeysGoToTheEnd)
{
    TConf conf;
    conf.SetValue("Lastread", "");
    EXPECT_TRUE(conf.Lines().empty());
    conf.SetValue("A", "1");
    conf.SetValue("Lastread", "/b/x.html");
    conf.SetValue("B", "2");
    conf.SetValue("lastread", "");
    EXPECT_EQ(conf.Lines(), (Lines{"A=1", "B=2"}));
    // Cyrillic keys fold case too, as the program's own text is windows-1251.
    conf.SetValue("\xCA\xEB\xFE\xF7", "x"); // Ключ
    EXPECT_EQ(conf.GetValue("\xEA\xEB\xFE\xF7"), "x");
}

TEST(TConfFiles, LinesSurviveALoadAndSaveInPlace)
{
    TTempDir dir;
    const std::string path = dir.File("Verdask.con");
    WriteFileBytes(path, "# remark\rUnknown key=7\r\rLeft=50\nTop=50\r\nlast line without end");
    TConf conf;
    conf.LoadFromFile(path);
    EXPECT_EQ(conf.Lines(), (Lines{"# remark", "Unknown key=7", "", "Left=50", "Top=50", "last line without end"}));
    conf.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path), "# remark\r\nUnknown key=7\r\n\r\nLeft=50\r\nTop=50\r\nlast line without end\r\n");

    WriteFileBytes(path, std::string("A=1\r\nB=2\0C=3\r\n", 14));
    conf.LoadFromFile(path);
    EXPECT_EQ(conf.Lines(), (Lines{"A=1", "B=2"})) << "a NUL ends the text";

    WriteFileBytes(path, "");
    conf.LoadFromFile(path);
    EXPECT_TRUE(conf.Lines().empty());
    conf.SaveToFile(path);
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST(TConfFiles, AFirstRunWritesTheDefaultsAndLastread)
{
    TTempDir dir;
    const std::string program = dir.File("verdask");
    TScriptedPrompts prompts;
    TConf conf;
    conf.Load(program, prompts);
    ASSERT_EQ(prompts.Warnings.size(), 1u);
    EXPECT_EQ(prompts.Warnings[0].Caption, "Warning");
    EXPECT_EQ(prompts.Warnings[0].Text,
              "Configuration file Verdask.con has not been found. Default settings will be used.");
    EXPECT_TRUE(test::FolderEntries(dir.Path()).empty()) << "the file is written at the next Save only";

    conf.SetValue("Lastread", "/books/tale.html");
    conf.Save(program);
    Lines expected = DefaultLines();
    expected.push_back("Lastread=/books/tale.html");
    EXPECT_EQ(ReadFileBytes(dir.File("verdask.con")), CrLfLines(expected));

    // The next start reads the file named after the executable and asks nothing.
    TConf next;
    next.SetValue("Stale", "1");
    next.Load(program, prompts);
    EXPECT_EQ(prompts.Warnings.size(), 1u);
    EXPECT_EQ(next.Lines(), expected);
}

TEST(TConfFiles, LoadWithTheFileGoneKeepsLinesAndFillsDefaults)
{
    TTempDir dir;
    TScriptedPrompts prompts;
    TConf conf;
    conf.SetValue("Custom", "1");
    conf.SetValue("Width", "900");
    conf.SetValue("Lastread", "/b/x.html");
    conf.Load(dir.File("prog.exe"), prompts);
    EXPECT_EQ(prompts.Warnings.size(), 1u);
    EXPECT_EQ(conf.GetValue("Custom"), "1");
    EXPECT_EQ(conf.GetValue("Width"), "540");
    EXPECT_EQ(conf.GetValue("Lastread"), "");
    EXPECT_EQ(conf.Lines().size(), DefaultLines().size() + 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "prog.con"));
}

TEST(TConfFiles, FailuresReportTheFileAndKeepTheLines)
{
    TTempDir dir;
    TConf conf;
    conf.SetValue("Kept", "1");

    // A folder where the file should be cannot be read, for root too.
    std::filesystem::create_directory(dir.Path() / "folder.con");
    try {
        conf.LoadFromFile(dir.File("folder.con"));
        ADD_FAILURE() << "a folder was read";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.what(), "Cannot open file " + dir.File("folder.con"));
    }
    EXPECT_THROW(conf.SaveToFile(dir.File("folder.con")), EFCreateError);
    try {
        conf.SaveToFile(dir.File("no/such/folder.con"));
        ADD_FAILURE() << "a file was created in a missing folder";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.what(), "Cannot create file " + dir.File("no/such/folder.con"));
    }

    const std::string path = dir.File("x.con");
    WriteFileBytes(path, "A=1\r\nB=2\r\n");
    test::TFailingFileSystem failingRead(2);
    TConf failing(failingRead);
    failing.SetValue("Kept", "1");
    EXPECT_THROW(failing.LoadFromFile(path), EFOpenError);
    EXPECT_EQ(failing.Lines(), (Lines{"Kept=1"})) << "nothing is half read";

    // A save that fails at any call (a full disk, a kill) leaves the old file whole:
    // a cut configuration would cost every setting at each later start.
    test::TFailingFileSystem counting;
    TConf saved(counting);
    saved.SetValue("A", "changed");
    saved.SaveToFile(path);
    for (int failAt = 1; failAt <= counting.Calls(); ++failAt) {
        WriteFileBytes(path, "A=1\r\nB=2\r\n");
        test::TFailingFileSystem failingWrite(failAt);
        TConf writer(failingWrite);
        writer.SetValue("A", "changed");
        const std::string call = counting.Log()[static_cast<std::size_t>(failAt - 1)];
        try {
            writer.SaveToFile(path);
            ADD_FAILURE() << "no failure reported: " << call;
        } catch (const EFCreateError& error) {
            EXPECT_EQ(error.Path(), path) << call;
        }
        const bool renamed = failingWrite.RenamedBeforeFailure(path);
        EXPECT_EQ(ReadFileBytes(path), renamed ? "A=changed\r\n" : "A=1\r\nB=2\r\n") << call;
        EXPECT_EQ(writer.Lines(), (Lines{"A=changed"}));
        test::RemoveTemporaryFiles(dir.Path());
    }
    EXPECT_EQ(conf.Lines(), (Lines{"Kept=1"}));
}

// A file system whose program folder refuses new files, as an installed program's does
// for its user (root can write anywhere, so the refusal goes through the seam).
class TReadOnlyProgramFolder : public test::TFailingFileSystem {
public:
    explicit TReadOnlyProgramFolder(std::string folder) : folder_(std::move(folder)) {}
    bool CanWriteIn(const std::string& folder) override
    {
        return folder != folder_ && test::TFailingFileSystem::CanWriteIn(folder);
    }

private:
    std::string folder_;
};

TEST(TConfFiles, AnUnwritableProgramFolderKeepsTheFileInTheUsersConfigurationFolder)
{
    TTempDir programDir;
    TTempDir home;
    const std::string program = programDir.File("verdask");
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
    ::setenv("XDG_CONFIG_HOME", home.File("config").c_str(), 1);

    TReadOnlyProgramFolder files(programDir.Path().string());
    EXPECT_EQ(ConfigurationPath(program, files), home.File("config/verdask.con"));
    TScriptedPrompts prompts;
    TConf conf(files);
    conf.Load(program, prompts);
    EXPECT_EQ(prompts.Warnings.size(), 1u);
    conf.SetValue("Width", "777");
    conf.Save(program); // the folder is made on the way
    EXPECT_FALSE(std::filesystem::exists(programDir.Path() / "verdask.con"));
    TConf next(files);
    next.Load(program, prompts);
    EXPECT_EQ(next.GetValue("Width"), "777");
    EXPECT_EQ(prompts.Warnings.size(), 1u);

    // A writable program folder keeps the file beside the program, unless the
    // program is an installed one, whoever runs it.
    EXPECT_EQ(ConfigurationPath(program), programDir.File("verdask.con"));
    for (const char* installed : {"/opt/verdask/verdask", "/usr/bin/verdask", "/usr/local/bin/verdask"})
        EXPECT_EQ(ConfigurationPath(installed), home.File("config/verdask.con")) << installed;
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserConfigurationFolder(), DefaultFolder() + "/.config");
    if (!savedXdg.empty())
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
}

TEST(TConfFlags, OnlyExactlyYesIsOn)
{
    EXPECT_TRUE(IsYes("Yes"));
    EXPECT_FALSE(IsYes("yes"));
    EXPECT_FALSE(IsYes("YES"));
    EXPECT_FALSE(IsYes("Yes "));
    EXPECT_FALSE(IsYes(""));
}

TEST(TConfDefaults, DefaultValueOfAKey)
{
    EXPECT_EQ(DefaultValueOf("Leading spaces"), "5");
    EXPECT_EQ(DefaultValueOf("width"), "540");
    EXPECT_EQ(DefaultValueOf("Save directory"), DefaultFolder());
    EXPECT_EQ(DefaultValueOf("Lastread"), "");
    EXPECT_EQ(DefaultValueOf("Unknown"), "");
}

} // namespace
} // namespace verdask
