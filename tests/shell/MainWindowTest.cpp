// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainWindow.h"

#include "WindowTestSupport.h"
#include "files/Errors.h"
#include "shell/QtStrings.h"
#include "shell/Reader.h"
#include "shell/SourcePreview.h"
#include "shell/TerminationWatch.h"
#include "shell/TextConverter.h"
#include "shell/ViewStack.h"
#include "shell/WebView.h"
#include "style/PageFrame.h"

#include <QAction>
#include <QComboBox>
#include <QTimer>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QUrl>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>

namespace verdask {
namespace {

using test::CrLfLines;
using test::ReadFileBytes;
using test::TWindowFixture;
using test::WaitFor;
using test::WriteFileBytes;
using Lines = std::vector<std::string>;

std::string Utf8(const QString& text)
{
    return text.toStdString();
}

// A menu caption without its mnemonic mark.
std::string Plain(const QString& caption)
{
    return QString(caption).remove(QLatin1Char('&')).toStdString();
}

struct MenuState {
    bool Load, Convert, LoadAndConvert, Read, Print, Style;
    bool operator==(const MenuState&) const = default;
};

MenuState StateOf(const TMainWindow& window)
{
    const auto on = [&window](TCommand command) { return window.Commands().Action(command)->isEnabled(); };
    return {on(TCommand::Load), on(TCommand::Convert), on(TCommand::LoadAndConvert),
            on(TCommand::Read), on(TCommand::Print),   on(TCommand::Style)};
}

constexpr MenuState ReadyMenu{true, false, true, true, true, true};
constexpr MenuState LoadedMenu{true, true, false, true, false, false};

// A book of the library's layout: author, title, then paragraphs of five blanks.
std::string Book(int paragraphs)
{
    Lines lines = {"Author", "Title"};
    for (int i = 1; i <= paragraphs; ++i)
        lines.push_back("     Paragraph " + std::to_string(i) + " -- with a dash.");
    return CrLfLines(lines);
}

struct MainWindow : ::testing::Test, TWindowFixture {};

TEST_F(MainWindow, AFirstStartWarnsComesUpInEnglishAndWritesTheDefaults)
{
    TMainWindow& window = Start();
    ASSERT_EQ(Prompts.Warnings.size(), 1u);
    EXPECT_EQ(Prompts.Warnings[0].Caption, "Warning");
    EXPECT_EQ(Prompts.Warnings[0].Text,
              "Configuration file Verdask.con has not been found. Default settings will be used.");
    EXPECT_TRUE(Prompts.Errors.empty());

    EXPECT_EQ(window.LanguageIndex(), EnglishColumn) << "the defaults say English";
    EXPECT_EQ(Utf8(window.windowTitle()), "Verdask's Library Text Converter");
    const TCommands& m = window.Commands();
    EXPECT_EQ(Utf8(m.Menu(TMenu::File)->title()), "&File");
    EXPECT_EQ(Plain(m.Action(TCommand::Convert)->text()), "Convert");
    EXPECT_EQ(Utf8(m.Action(TCommand::LoadAndConvert)->text()), "Load &and convert");
    EXPECT_EQ(Plain(m.Menu(TMenu::Setup)->title()), "Settings");
    EXPECT_EQ(Plain(m.Menu(TMenu::Language)->title()), "Language/\xD0\xAF\xD0\xB7\xD1\x8B\xD0\xBA");
    EXPECT_EQ(Utf8(m.Action(TCommand::Russian)->text()), "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9");
    EXPECT_EQ(m.Action(TCommand::ViewReadme)->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(m.Action(TCommand::LoadAndConvert)->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(m.Action(TCommand::Read)->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_EQ(m.Action(TCommand::Exit)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
    EXPECT_EQ(window.Converter().OpenDialog().Title, "Choose a file to be converted");
    EXPECT_EQ(window.Converter().SaveDialog().Title, "Save");

    EXPECT_FALSE(window.TextLoaded());
    EXPECT_EQ(StateOf(window), ReadyMenu);
    EXPECT_FALSE(window.Views().PreviewShown());
    EXPECT_EQ(window.CurrentPage(), "") << "the built-in page is no current page";
    EXPECT_EQ(window.DefaultStyle(), TViewStyle{});
    EXPECT_EQ(window.HeaderEndMarker(), "<!--Lantorpress header ends here-->");
    EXPECT_FALSE(std::filesystem::exists(ConfigPath)) << "written at the end only";

    CloseAndDestroy();
    EXPECT_EQ(ReadFileBytes(ConfigPath), CrLfLines(test::DefaultConfigLines()))
        << "the 23 default lines; no page was shown, so no Lastread";
}

TEST_F(MainWindow, BadNumbersAndStyleValuesAreReportedAndTheirDefaultsUsed)
{
    Lines lines = test::DefaultConfigLines();
    for (auto& line : lines) {
        if (line.starts_with("Width="))
            line = "Width=wide";
        if (line.starts_with("DefaultFontSize="))
            line = "DefaultFontSize=";
        if (line.starts_with("Language="))
            line = "Language=Russian";
        if (line.starts_with("Source encoding="))
            line = "Source encoding=latin-1";
        if (line.starts_with("DefaultFontColor="))
            line = "DefaultFontColor=#FFFFFF url(x)";
    }
    WriteConfig(lines);
    TMainWindow& window = Start();
    EXPECT_EQ(Prompts.Errors,
              (Lines{UnknownEncodingText(RussianColumn, "latin-1") + "\n" +
                         BadSettingText(RussianColumn, "Source encoding", ConfigPath),
                     "'wide' is not a valid integer value\n" + BadSettingText(RussianColumn, "Width", ConfigPath),
                     "'#FFFFFF url(x)' is not a colour: a colour is '#' and six hexadecimal digits\n" +
                         BadSettingText(RussianColumn, "DefaultFontColor", ConfigPath),
                     "'' is not a valid integer value\n" + BadSettingText(RussianColumn, "DefaultFontSize", ConfigPath)}));
    EXPECT_EQ(window.Conf().GetValue("DefaultFontColor"), "#000000");
    EXPECT_EQ(window.DefaultStyle().FontSize, 14);
    EXPECT_EQ(window.Conf().GetValue("Width"), "540") << "the store takes the default, and the file heals";
    EXPECT_EQ(window.Conf().GetValue("DefaultFontSize"), "14");
    EXPECT_EQ(window.Conf().GetValue("Source encoding"), "Auto");
    EXPECT_EQ(window.LanguageIndex(), RussianColumn);
    EXPECT_EQ(ToWindows1251(window.windowTitle()), window.Text(Row::MainCaption)) << "all texts in place";
    EXPECT_EQ(ToWindows1251(QString::fromStdString(Plain(window.Commands().Action(TCommand::Load)->text()))), window.Text(Row::Load));
    EXPECT_EQ(window.NoReadmePage().find("<HTML><HEAD></HEAD><BODY><CENTER><B>Verdask Library Text converter"), 0u);
}

// A settings file that is empty is told of once and healed; one that cannot be
// read, or holds no setting, is told of and left as it is at the end.
TEST_F(MainWindow, ASettingsFileThatCannotBeReadIsToldOfOnceAndNeverWrittenOver)
{
    const std::string binary("\x7F" "ELF\0\x01\x02 no settings here\r\n\xFF\xFE", 28);
    const struct {
        const char* Name;
        std::optional<std::string> Bytes; // none: a folder in its place
        std::size_t Warnings, Errors;
        bool Kept;
    } cases[] = {
        {"empty", std::string(), 1, 0, false},
        {"no setting in it", binary, 0, 1, true},
        {"a folder", std::nullopt, 0, 1, true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(ConfigPath);
        if (c.Bytes)
            WriteFileBytes(ConfigPath, *c.Bytes);
        else
            std::filesystem::create_directory(ConfigPath);
        Prompts.Warnings.clear();
        Prompts.Errors.clear();
        TMainWindow& window = Start();
        EXPECT_EQ(Prompts.Warnings.size(), c.Warnings) << c.Name;
        EXPECT_EQ(Prompts.Errors.size(), c.Errors) << c.Name << ": one message, not one a key";
        EXPECT_EQ(window.DefaultStyle(), TViewStyle{}) << c.Name;
        CloseAndDestroy();
        if (!c.Bytes) {
            EXPECT_TRUE(std::filesystem::is_directory(ConfigPath)) << c.Name;
            EXPECT_TRUE(Prompts.Errors.size() == c.Errors) << "nothing tried over it at the end";
        } else if (c.Kept) {
            EXPECT_EQ(ReadFileBytes(ConfigPath), *c.Bytes) << c.Name << ": left as it was";
        } else {
            EXPECT_EQ(ReadFileBytes(ConfigPath), CrLfLines(test::DefaultConfigLines())) << c.Name << ": healed";
        }
    }
}

TEST_F(MainWindow, OnlyNoStartsTheWindowInItsNormalState)
{
    for (const char* flag : {"Yes", "yes", "", "No"}) {
        Lines lines = test::DefaultConfigLines();
        for (auto& line : lines) {
            if (line.starts_with("Maximized="))
                line = std::string("Maximized=") + flag;
        }
        WriteConfig(lines);
        TMainWindow& window = Start();
        EXPECT_EQ(window.isMaximized(), std::string(flag) != "No") << "'" << flag << "'";
        Window.reset();
    }
}

TEST_F(MainWindow, GeometryIsWrittenAtDestructionUnlessMaximized)
{
    WriteConfig(test::DefaultConfigLines());
    TMainWindow& window = Start();
    window.move(70, 80);
    window.resize(600, 400);
    CloseAndDestroy();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Maximized"), "No");
    EXPECT_EQ(conf.GetValue("Left"), "70");
    EXPECT_EQ(conf.GetValue("Top"), "80");
    EXPECT_EQ(conf.GetValue("Width"), "600");
    EXPECT_EQ(conf.GetValue("Height"), "400");

    Start().setWindowState(Qt::WindowMaximized);
    CloseAndDestroy();
    conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Maximized"), "Yes");
    EXPECT_EQ(conf.GetValue("Width"), "600") << "a maximized window keeps the stored size";
}

TEST_F(MainWindow, TheStoredGeometryIsWhatTheShownWindowOpensWithSessionAfterSession)
{
    Lines lines = test::DefaultConfigLines();
    for (auto& line : lines) {
        for (const char* key : {"Left=", "Top=", "Width=", "Height="})
            if (line.starts_with(key))
                line = std::string(key) + (key[0] == 'L' ? "40" : key[0] == 'T' ? "30" : key[0] == 'W' ? "700" : "500");
    }
    WriteConfig(lines);
    for (int session = 0; session < 3; ++session) {
        TMainWindow& window = Start();
        window.show();
        EXPECT_TRUE(WaitFor([&] { return window.frameGeometry() == QRect(40, 30, 700, 500); }))
            << "session " << session << ": " << window.frameGeometry().x() << "," << window.frameGeometry().y() << " "
            << window.frameGeometry().width() << "x" << window.frameGeometry().height();
        CloseAndDestroy();
        TConf conf = StoredConfig();
        EXPECT_EQ(conf.GetValue("Width") + "x" + conf.GetValue("Height"), "700x500") << "session " << session;
        EXPECT_EQ(conf.GetValue("Left") + "," + conf.GetValue("Top"), "40,30") << "session " << session;
    }

    for (auto& line : lines)
        if (line.starts_with("Maximized="))
            line = "Maximized=Yes";
    WriteConfig(lines);
    TMainWindow& window = Start();
    window.show();
    EXPECT_TRUE(WaitFor([&] {
        return window.isMaximized() && window.frameGeometry().size() == window.screen()->availableGeometry().size();
    }));
    window.showNormal();
    EXPECT_TRUE(WaitFor([&] { return window.frameGeometry() == QRect(40, 30, 700, 500); }))
        << "restored to the stored size and place";
    CloseAndDestroy();
}

TEST_F(MainWindow, AWindowNeverStartsLargerThanItsScreenNorOffIt)
{
    const struct {
        const char* Left;
        const char* Top;
        const char* Width;
        const char* Height;
    } stored[] = {{"0", "0", "30000", "20000"}, {"50000", "-40000", "600", "400"}, {"-700", "100", "9000", "300"}};
    for (const auto& g : stored) {
        Lines lines = test::DefaultConfigLines();
        for (auto& line : lines) {
            for (const auto& [key, value] : {std::pair{"Left=", g.Left}, {"Top=", g.Top}, {"Width=", g.Width}, {"Height=", g.Height}})
                if (line.starts_with(key))
                    line = std::string(key) + value;
        }
        WriteConfig(lines);
        TMainWindow& window = Start();
        window.show();
        const QRect screen = window.screen()->availableGeometry();
        EXPECT_TRUE(WaitFor([&] { return screen.contains(window.frameGeometry()); }))
            << g.Left << "," << g.Top << " " << g.Width << "x" << g.Height;
        CloseAndDestroy();
    }
}

TEST_F(MainWindow, TheLanguageSwitchChangesTheWindowsTextsOnly)
{
    WriteConfig(test::DefaultConfigLines());
    const std::string stored = ReadFileBytes(ConfigPath);
    TMainWindow& window = Start();
    const TCommands& m = window.Commands();
    window.ChooseLanguage(RussianColumn);
    EXPECT_EQ(window.LanguageIndex(), RussianColumn);
    EXPECT_EQ(window.Conf().GetValue("Language"), "Russian");
    EXPECT_EQ(ToWindows1251(window.windowTitle()), window.Text(Row::MainCaption));
    EXPECT_EQ(ToWindows1251(m.Action(TCommand::Exit)->text()), "&\xC2\xFB\xF5\xEE\xE4"); // &Выход
    EXPECT_EQ(window.Converter().OpenDialog().Title, window.Text(Row::ChooseTextTitle));
    EXPECT_EQ(window.Converter().SaveDialog().Title, "\xD1\xEE\xF5\xF0\xE0\xED\xE8\xF2\xFC"); // Сохранить
    EXPECT_EQ(m.Action(TCommand::Exit)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X)) << "shortcuts stay";
    EXPECT_EQ(Utf8(m.Action(TCommand::English)->text()), "English") << "the language items keep their captions";
    EXPECT_EQ(window.Converter().OpenDialog().Filter, "Text files (*.txt)|*.txt|All files |*.*");
    // Qt's own buttons follow (Qt's Russian translations).
    EXPECT_EQ(Utf8(QCoreApplication::translate("QPlatformTheme", "Cancel")), "Отмена");

    window.ChooseLanguage(EnglishColumn);
    EXPECT_EQ(Utf8(QCoreApplication::translate("QPlatformTheme", "Cancel")), "Cancel");
    EXPECT_EQ(Utf8(window.windowTitle()), "Verdask's Library Text Converter");
    EXPECT_EQ(window.Conf().GetValue("Language"), "English");
    window.ChooseLanguage(EnglishColumn); // already checked
    EXPECT_TRUE(m.Action(TCommand::English)->isChecked());
    EXPECT_EQ(Utf8(m.Action(TCommand::Exit)->text()), "E&xit");
    EXPECT_EQ(ReadFileBytes(ConfigPath), stored) << "the file is written at the end only";
}

TEST_F(MainWindow, TheStatesOfLoadAndConvert)
{
    WriteConfig(test::DefaultConfigLines());
    const std::string text = Dir.File("tale.txt");
    WriteFileBytes(text, Book(30));
    TMainWindow& window = Start();

    Prompts.DialogAnswers = {std::nullopt};
    window.LoadText();
    EXPECT_FALSE(window.TextLoaded()) << "a cancelled load changes nothing";
    EXPECT_EQ(StateOf(window), ReadyMenu);

    Prompts.DialogAnswers = {text};
    window.LoadText();
    EXPECT_TRUE(window.TextLoaded());
    EXPECT_EQ(StateOf(window), LoadedMenu);
    EXPECT_TRUE(window.Views().PreviewShown());
    EXPECT_EQ(window.Views().Preview()->count(), 32);
    EXPECT_EQ(window.Views().Preview()->item(2)->text().toStdString(), "     Paragraph 1 -- with a dash.");
    EXPECT_EQ(window.Conf().GetValue("Open directory"), Dir.Path().string());
    EXPECT_EQ(Prompts.OpenDialogsShown.back().InitialDir, DefaultFolder());

    // Loaded, Load, cancelled: the flag is cleared, the menu keeps its Loaded look.
    Prompts.DialogAnswers = {std::nullopt};
    window.LoadText();
    EXPECT_FALSE(window.TextLoaded());
    EXPECT_EQ(StateOf(window), LoadedMenu);
    // ... and Convert now starts a load.
    Prompts.DialogAnswers = {text};
    window.ConvertText();
    EXPECT_TRUE(window.TextLoaded());
    EXPECT_EQ(Prompts.OpenDialogsShown.size(), 4u);

    window.ConvertText();
    EXPECT_FALSE(window.TextLoaded());
    EXPECT_EQ(StateOf(window), ReadyMenu);
    EXPECT_FALSE(window.Views().PreviewShown());
    EXPECT_EQ(window.CurrentPage(), Dir.File("tale.html"));
    EXPECT_NE(ReadFileBytes(Dir.File("tale.html")).find("<A Name=a30>"), std::string::npos);

    ASSERT_TRUE(WaitFor([&] {
        return window.Reader().View()->View()->url() == QUrl::fromLocalFile(QString::fromStdString(Dir.File("tale.html")));
    })) << "the page is shown in the web view";

    window.Exit();
    Window.reset();
    Lines expected = test::DefaultConfigLines();
    expected[0] = "Open directory=" + Dir.Path().string();
    expected.push_back("Lastread=" + Dir.File("tale.html"));
    expected.push_back("Recent 1=" + Dir.File("tale.html"));
    EXPECT_EQ(ReadFileBytes(ConfigPath), CrLfLines(expected)) << "the keys in order, then Lastread and the books read";
}

TEST_F(MainWindow, ATextIsPreviewedDecodedAndTheStatusTellsItsEncoding)
{
    WriteConfig(test::DefaultConfigLines());
    const std::string text = Dir.File("tale.txt");
    WriteFileBytes(text, "Автор\r\nСказка\r\n     Ёлка -- ель.\r\n");
    const std::string photo = Dir.File("photo.jpg");
    WriteFileBytes(photo, std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11));
    TMainWindow& window = Start();
    window.show();
    EXPECT_FALSE(window.Views().EncodingLabel()->isVisible()) << "a page is shown";

    Prompts.DialogAnswers = {text};
    window.LoadText();
    ASSERT_TRUE(window.TextLoaded());
    EXPECT_EQ(Utf8(window.Views().Preview()->item(2)->text()), "     Ёлка -- ель.");
    EXPECT_TRUE(window.Views().EncodingLabel()->isVisible());
    // Three lines: too few to tell a layout, so the library's.
    const auto status = [](int language, const char* encoding, bool told, TParagraphLayout layout, bool layoutTold) {
        return EncodingUsedText(language, encoding, told) + " · " + LayoutUsedText(language, layout, layoutTold);
    };
    EXPECT_EQ(Utf8(window.Views().EncodingLabel()->text()),
              status(EnglishColumn, "UTF-8", true, TParagraphLayout::Indented, true));
    window.ChooseLanguage(RussianColumn);
    EXPECT_EQ(Utf8(window.Views().EncodingLabel()->text()),
              status(RussianColumn, "UTF-8", true, TParagraphLayout::Indented, true));

    // What looks like no text is loaded only when the user says so.
    Prompts.DialogAnswers = {photo};
    Prompts.YesNoAnswers = {false};
    window.LoadText();
    ASSERT_EQ(Prompts.Questions.size(), 1u);
    EXPECT_EQ(Prompts.Questions[0].Text, FormatMessage(NotATextQuestionText(RussianColumn), photo));
    EXPECT_EQ(window.Converter().Source().SourcePath, text);

    window.Conf().SetValue("Source encoding", "KOI8-R");
    window.Conf().SetValue("Paragraphs", "One line each");
    Prompts.DialogAnswers = {text};
    window.LoadText();
    EXPECT_EQ(Utf8(window.Views().EncodingLabel()->text()),
              status(RussianColumn, "KOI8-R", false, TParagraphLayout::OneLineEach, false));

    // This book alone is read in another layout: the settings stay.
    QComboBox& bookLayout = *window.Views().BookLayout();
    EXPECT_EQ(Utf8(bookLayout.currentText()), LayoutText(RussianColumn, TParagraphLayout::OneLineEach));
    bookLayout.setFocus();
    QTest::keyClick(&bookLayout, Qt::Key_Down);
    EXPECT_EQ(Utf8(window.Views().EncodingLabel()->text()),
              status(RussianColumn, "KOI8-R", false, TParagraphLayout::BlankLines, false));
    QTest::keyClick(&bookLayout, Qt::Key_Home);
    EXPECT_EQ(Utf8(window.Views().EncodingLabel()->text()),
              status(RussianColumn, "KOI8-R", false, TParagraphLayout::Indented, true));
    EXPECT_EQ(window.Converter().Source().Layout.Paragraphs, TParagraphLayout::Indented);
    EXPECT_EQ(window.Conf().GetValue("Paragraphs"), "One line each");

    window.ConvertText();
    EXPECT_FALSE(window.Views().EncodingLabel()->isVisible()) << "the page is shown";
    EXPECT_TRUE(window.Views().PositionLabel()->isVisible());
}

TEST_F(MainWindow, ReadOpensAPageFromAnyStateAndGivesTheDialogBack)
{
    WriteConfig(test::DefaultConfigLines());
    const std::string text = Dir.File("tale.txt");
    WriteFileBytes(text, Book(5));
    std::filesystem::create_directory(Dir.Path() / "pages");
    const std::string page = Dir.File("pages/old.html");
    WriteFileBytes(page, "<html><body>an old page</body></html>");
    TMainWindow& window = Start();
    Prompts.DialogAnswers = {text};
    window.LoadText();
    ASSERT_TRUE(window.TextLoaded());

    Prompts.DialogAnswers = {std::nullopt};
    window.ReadPage();
    EXPECT_TRUE(window.TextLoaded()) << "a cancelled Read changes nothing";
    EXPECT_EQ(Prompts.OpenDialogsShown.back().Title, "Choose a file to read");
    EXPECT_EQ(Prompts.OpenDialogsShown.back().Filter, "html files (*.html)|*.html|All files |*.*");
    EXPECT_EQ(Prompts.OpenDialogsShown.back().DefaultExt, "html");
    EXPECT_EQ(window.Converter().OpenDialog().Title, "Choose a file to be converted");

    Prompts.DialogAnswers = {page};
    window.ReadPage();
    EXPECT_FALSE(window.TextLoaded());
    EXPECT_EQ(StateOf(window), ReadyMenu);
    EXPECT_FALSE(window.Views().PreviewShown());
    EXPECT_EQ(window.CurrentPage(), page);
    EXPECT_EQ(window.Conf().GetValue("Open directory"), Dir.File("pages"));
    EXPECT_EQ(window.Converter().OpenDialog().Filter, "Text files (*.txt)|*.txt|All files |*.*");
    EXPECT_EQ(window.Converter().OpenDialog().DefaultExt, "txt");
}

TEST_F(MainWindow, AFailingCommandIsReportedAndLeavesTheState)
{
    WriteConfig(test::DefaultConfigLines());
    std::filesystem::create_directory(Dir.Path() / "folder.txt");
    TMainWindow& window = Start();
    Prompts.DialogAnswers = {Dir.File("folder.txt")};
    window.Commands().Action(TCommand::Load)->trigger(); // through the menu, as the user runs it
    ASSERT_EQ(Prompts.Errors.size(), 1u);
    EXPECT_TRUE(Prompts.Errors[0].starts_with("I/O error on file " + Dir.File("folder.txt"))) << Prompts.Errors[0];
    EXPECT_FALSE(window.TextLoaded());
    EXPECT_EQ(StateOf(window), ReadyMenu);
}

TEST_F(MainWindow, LoadConvertAndSaveWithACancelledSaveLeavesTheList)
{
    Lines lines = test::DefaultConfigLines();
    for (auto& line : lines) {
        if (line.starts_with("Same directory="))
            line = "Same directory=No";
    }
    WriteConfig(lines);
    const std::string text = Dir.File("tale.txt");
    WriteFileBytes(text, Book(5));
    TMainWindow& window = Start();
    Prompts.DialogAnswers = {text, std::nullopt};
    window.LoadAndConvert();
    EXPECT_TRUE(window.Views().PreviewShown());
    EXPECT_FALSE(window.TextLoaded());
    EXPECT_EQ(StateOf(window), ReadyMenu);
    EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "tale.html"));

    Prompts.DialogAnswers = {text, Dir.File("out.html")};
    window.LoadAndConvert();
    EXPECT_FALSE(window.Views().PreviewShown());
    EXPECT_EQ(window.CurrentPage(), Dir.File("out.html"));
    EXPECT_EQ(StateOf(window), ReadyMenu);
}

// An EPUB's first entry is "mimetype", stored, so its name and content stand at fixed places.
bool StartsAsAnEpub(std::string_view bytes)
{
    return bytes.starts_with("PK\x03\x04") && bytes.substr(30, 8) == "mimetype" &&
           bytes.substr(38, 20) == "application/epub+zip";
}

TEST_F(MainWindow, ExportWritesTheShownPageAsABookAndAsksBeforeReplacingAFile)
{
    WriteConfig(test::DefaultConfigLines());
    const std::string text = Dir.File("tale.txt");
    WriteFileBytes(text, Book(5));
    TMainWindow& window = Start();
    QAction& epub = *window.Commands().Action(TCommand::ExportEpub);
    QAction& fb2 = *window.Commands().Action(TCommand::ExportFb2);
    EXPECT_FALSE(epub.isEnabled()) << "the built-in page is no page of this program";
    Prompts.DialogAnswers = {text};
    window.LoadText();
    EXPECT_FALSE(fb2.isEnabled()) << "a text waits for Convert";
    window.ConvertText();
    const std::string page = Dir.File("tale.html");
    ASSERT_EQ(window.CurrentPage(), page);
    ASSERT_TRUE(epub.isEnabled() && fb2.isEnabled());
    const std::string pageBytes = ReadFileBytes(page);

    const std::string book = Dir.File("tale.epub");
    Prompts.DialogAnswers = {book};
    epub.trigger();
    EXPECT_EQ(Prompts.Errors, Lines{});
    const TFileDialog& asked = Prompts.SaveDialogsShown.back();
    EXPECT_EQ(asked.Title, "Export as EPUB");
    EXPECT_EQ(asked.FileName, book) << "the page's name, in its folder";
    EXPECT_EQ(asked.Filter, "EPUB (*.epub)|*.epub");
    EXPECT_EQ(asked.DefaultExt, "epub");
    const std::string written = ReadFileBytes(book);
    EXPECT_TRUE(StartsAsAnEpub(std::string_view(written).substr(0, 60)));
    EXPECT_EQ(Utf8(window.statusBar()->currentMessage()), "Exported to " + book);
    EXPECT_EQ(window.CurrentPage(), page) << "the page stays shown";
    EXPECT_TRUE(epub.isEnabled()) << "offered again once the book is written";

    // A name taken: No asks for another one, and giving that up leaves the file.
    Prompts.DialogAnswers = {book, std::nullopt};
    Prompts.YesNoAnswers = {false};
    epub.trigger();
    ASSERT_EQ(Prompts.Questions.size(), 1u);
    EXPECT_EQ(Prompts.Questions[0].Text, "Overwrite the existing file?");
    EXPECT_EQ(Prompts.SaveDialogsShown.back().Title, "File exists. Choose another name.");
    EXPECT_EQ(ReadFileBytes(book), written);

    // Yes replaces it; the page's own name is taken without a question.
    const std::string fb2Book = Dir.File("tale.fb2");
    WriteFileBytes(fb2Book, "an older file");
    Prompts.DialogAnswers = {fb2Book, page, std::nullopt};
    Prompts.YesNoAnswers = {true};
    fb2.trigger();
    EXPECT_NE(ReadFileBytes(fb2Book).find("<FictionBook"), std::string::npos);
    fb2.trigger();
    EXPECT_EQ(Prompts.Questions.size(), 2u);
    EXPECT_EQ(ReadFileBytes(page), pageBytes);

    // A failure is the usual error report, and the commands are offered again.
    Prompts.DialogAnswers = {Dir.File("missing/tale.epub")};
    epub.trigger();
    EXPECT_EQ(Prompts.Errors.size(), 1u);
    EXPECT_TRUE(epub.isEnabled());
    EXPECT_TRUE(Prompts.DialogAnswers.empty());
}

TEST_F(MainWindow, TheF1DisplayOrder)
{
    WriteConfig(test::DefaultConfigLines());
    TMainWindow& window = Start();
    EXPECT_EQ(window.CurrentPage(), "");

    WriteFileBytes(Dir.File("readme.html"), "<html><body>manual</body></html>");
    window.ViewReadme();
    EXPECT_EQ(window.CurrentPage(), Dir.File("readme.html"));

    WriteFileBytes(Dir.File("last.html"), "<html><body>last</body></html>");
    window.Conf().SetValue("Lastread", Dir.File("last.html"));
    window.ViewReadme();
    EXPECT_EQ(window.CurrentPage(), Dir.File("last.html"));

    std::filesystem::remove(Dir.File("last.html"));
    window.ViewReadme();
    EXPECT_EQ(window.CurrentPage(), Dir.File("readme.html")) << "a deleted Lastread gives the readme";
}

TEST_F(MainWindow, ClosingIsHandledOnceAndAFailedSaveIsReported)
{
    WriteConfig(test::DefaultConfigLines());
    TMainWindow& window = Start();
    WriteFileBytes(Dir.File("readme.html"), "<html><body>manual</body></html>");
    window.ViewReadme();
    window.Exit();
    window.Conf().SetValue("Lastread", "changed after closing");
    window.close(); // a second close runs no closing handling
    EXPECT_EQ(window.Conf().GetValue("Lastread"), "changed after closing");

    // A folder where the configuration file must go: the failure is reported.
    std::filesystem::remove(ConfigPath);
    std::filesystem::create_directory(ConfigPath);
    Window.reset();
    ASSERT_EQ(Prompts.Errors.size(), 1u);
    EXPECT_EQ(Prompts.Errors[0], "Cannot create file " + ConfigPath);
}

TEST_F(MainWindow, ATerminationSignalClosesTheWindowAsItsCloseBoxDoes)
{
    WriteConfig(test::DefaultConfigLines());
    TMainWindow& window = Start();
    window.show();
    window.Conf().SetValue("Lastread", "a page read before");
    {
        TTerminationWatch watch;
        // A signal before the window is attached (its start-up) is kept.
        ASSERT_EQ(std::raise(SIGTERM), 0);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_TRUE(window.isVisible());
        watch.Attach(window);
        ASSERT_TRUE(WaitFor([&] { return !window.isVisible(); }));
        // The closing handling ran: the current page (none) is the last one read.
        EXPECT_EQ(window.Conf().GetValue("Lastread"), "");
        // An open dialog is cancelled, then the window closes.
        window.show();
        QTimer::singleShot(0, [] { std::raise(SIGHUP); });
        QMessageBox box(QMessageBox::Warning, "Warning", "a dialog of the window", QMessageBox::Ok, &window);
        box.exec();
        EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); }));
    }
    struct sigaction now {};
    ::sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "the former handling is back";
    Window.reset();
    EXPECT_NE(ReadFileBytes(ConfigPath).find("Language="), std::string::npos) << "the settings are saved";
}

TEST_F(MainWindow, ClosingDuringAConversionWaitsForThePage)
{
    WriteConfig(test::DefaultConfigLines());
    const std::string text = Dir.File("big.txt");
    std::string book = "Author\r\nTitle\r\n";
    const std::string line = "     " + std::string(200, 'x') + " -- y_z_w\r\n";
    while (book.size() < 34u * 1000 * 1000) // a page under 50 MB, shown without a question
        book += line;
    WriteFileBytes(text, book);
    TMainWindow& window = Start();
    Prompts.DialogAnswers = {text};
    window.LoadText();
    bool triedWhileConverting = false;
    QTimer::singleShot(1, &window, [&] {
        triedWhileConverting = window.Converting();
        window.close();
        window.LoadText(); // refused: no dialog is asked
    });
    window.ConvertText();
    EXPECT_TRUE(triedWhileConverting);
    ASSERT_TRUE(WaitFor([&] { return !window.Converting() && window.Conf().GetValue("Lastread") != ""; }));
    EXPECT_EQ(window.Conf().GetValue("Lastread"), Dir.File("big.html")) << "closed once the page was written";
    const std::string page = ReadFileBytes(Dir.File("big.html"));
    EXPECT_TRUE(page.ends_with("</BODY></HTML>\r\n"));
    EXPECT_TRUE(Prompts.DialogAnswers.empty());
}

} // namespace
} // namespace verdask
