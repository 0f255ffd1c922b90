// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/StyleEditor.h"

#include "WindowTestSupport.h"
#include "files/Errors.h"
#include "shell/InterfaceText.h"
#include "shell/MainWindow.h"
#include "shell/QtStrings.h"
#include "style/PageFrame.h"
#include "style/StyleCss.h"
#include "style/StyleFile.h"
#include "style/ViewStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::ReadFileBytes;
using test::TWindowFixture;
using test::WaitFor;
using test::WriteFileBytes;

TViewStyle PageStyle()
{
    TViewStyle style;
    style.FontColor = "#102030";
    style.BackColor = "#F0E0D0";
    style.FontName = "Georgia";
    style.FontSize = 20;
    style.LineHeight = 24;
    style.LetterSpacing = 0;
    style.Justification = true;
    style.TextWidth = 60;
    return style;
}

struct StyleEditor : ::testing::Test, TWindowFixture {
    std::string PagePath = Dir.File("book.html");
    std::string Body = CrLfLines({"<BR><A Name=a1>&nbsp;Text", "</A><BR><A Name=a2>&nbsp;More"});

    StyleEditor() { WriteConfig(test::DefaultConfigLines()); }

    TMainWindow& StartOnPage()
    {
        WriteFileBytes(PagePath, PageHeaderText(PagePath, PageStyle()) + Body + PageFooterText());
        TMainWindow& window = Start();
        window.ShowPage(PagePath);
        return window;
    }
};

TEST(PreviewPage, IsTheStyleBlockAndTheSampleOnOneLine)
{
    EXPECT_EQ(PreviewPage(TViewStyle{}, "<P>sample"),
              "<HTML><HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\"><STYLE "
              "TYPE=\"text/css\">BODY { color: #000000;background: #FFFFFF;font-family: Arial;font-size: "
              "14pt;line-height: 18pt;letter-spacing: 1pt } P { text-align: left;font-size: 14pt;line-height: "
              "18pt;letter-spacing: 1pt } TABLE { width: 100% }</STYLE><SCRIPT language=\"javascript\">function "
              "doLoad() {window.focus()}</SCRIPT></HEAD><BODY onLoad=\"doLoad()\"><P>sample</BODY></HTML>");
    TViewStyle narrow;
    narrow.TextWidth = 50;
    const std::string page = PreviewPage(narrow, "<P>sample");
    EXPECT_NE(page.find("TABLE { width: 50% }</STYLE>"), std::string::npos);
    EXPECT_NE(page.find("<TABLE ALIGN=CENTER><TR><TD><P>sample</TD></TR></TABLE></BODY>"), std::string::npos);
}

TEST(FontList, HoldsDefaultOnceSortedWithoutRegardToCase)
{
    const QStringList fonts = FontList();
    EXPECT_EQ(fonts.count("Default"), 1);
    for (qsizetype i = 1; i < fonts.size(); ++i)
        EXPECT_LT(fonts[i - 1].compare(fonts[i], Qt::CaseInsensitive), 0) << "each name once";
    for (const QString& font : fonts)
        EXPECT_FALSE(font.contains('[')) << font.toStdString() << ": a page names the family alone";
    // Only faces that draw Russian text as themselves: no alias for another face,
    // no symbol or math face.
    for (const char* alias : {"Sans Serif", "Serif", "Monospace", "Standard Symbols PS", "D050000L", "DejaVu Math TeX Gyre"})
        EXPECT_FALSE(fonts.contains(alias)) << alias;
    for (const char* face : {"DejaVu Serif", "Liberation Sans", "PT Serif"})
        EXPECT_TRUE(fonts.contains(face)) << face;
}

TEST_F(StyleEditor, OpensOnThePagesStyleAndPreviewsItAfterItIsShown)
{
    TMainWindow& window = StartOnPage();
    TStyleEditor editor(&window);
    EXPECT_EQ(editor.FontName()->currentText().toStdString(), "Georgia");
    EXPECT_EQ(editor.FontSize()->value(), 20);
    EXPECT_EQ(editor.LineHeight()->value(), 24);
    EXPECT_EQ(editor.LetterSpacing()->value(), 0);
    EXPECT_EQ(editor.TextWidth()->value(), 60);
    EXPECT_EQ(editor.WorkingFontColor(), "#102030");
    EXPECT_EQ(window.CurrentStyle(), PageStyle());
    EXPECT_EQ(ToWindows1251(editor.windowTitle()), "Style selection");
    EXPECT_FALSE(editor.PreviewLive()) << "nothing is drawn before the first tick";
    editor.FontSize()->setValue(21);
    EXPECT_EQ(editor.PreviewText(), "");

    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    TViewStyle expected = PageStyle();
    expected.FontSize = 21;
    EXPECT_EQ(editor.PreviewText(), PreviewPage(expected, window.SampleText()));

    // The width arrow at 90 reaches 100 and the table goes; there it stops.
    editor.TextWidth()->setValue(90);
    EXPECT_NE(editor.PreviewText().find("<TABLE ALIGN=CENTER>"), std::string::npos);
    editor.TextWidth()->stepUp();
    EXPECT_EQ(editor.TextWidth()->value(), 100);
    EXPECT_EQ(editor.PreviewText().find("<TABLE ALIGN=CENTER>"), std::string::npos);
    editor.TextWidth()->stepUp();
    EXPECT_EQ(editor.TextWidth()->value(), 100) << "no wrap-around";

    editor.FontName()->setEditText("Not Installed Sans");
    EXPECT_EQ(window.CurrentStyle().FontName, "Not Installed Sans") << "a typed name goes in as it stands";
    EXPECT_EQ(editor.FontName()->completer(), nullptr) << "and is not completed into another";
    int widest = 0;
    for (int i = 0; i < editor.FontName()->count(); ++i)
        widest = std::max(widest, editor.FontName()->view()->fontMetrics().horizontalAdvance(
                                      editor.FontName()->itemText(i)));
    EXPECT_GT(editor.FontName()->view()->minimumWidth(), widest) << "the open list shows whole names";

    Prompts.ColorAnswers = {0x0000FFu, std::nullopt};
    editor.ChooseColor(editor.FontColorButton());
    EXPECT_EQ(editor.WorkingFontColor(), "#FF0000");
    EXPECT_NE(editor.PreviewText().find("color: #FF0000;"), std::string::npos);
    editor.ChooseColor(editor.BackColorButton()); // cancelled
    EXPECT_EQ(editor.WorkingBackColor(), "#F0E0D0");

    editor.ToggleJustification();
    EXPECT_FALSE(window.CurrentStyle().Justification);
    EXPECT_NE(editor.PreviewText().find("text-align: left;"), std::string::npos);
}

TEST_F(StyleEditor, AlwaysOpensOnAPageWhoseStyleItCannotRead)
{
    TMainWindow& window = StartOnPage();
    std::string page = ReadFileBytes(PagePath);
    const auto at = page.find("font-size: 20pt");
    ASSERT_NE(at, std::string::npos);
    page.replace(at, 15, "font-size: 1.2em");
    WriteFileBytes(PagePath, page);
    TStyleEditor editor(&window);
    ASSERT_EQ(Prompts.Messages.size(), 1u);
    EXPECT_EQ(Prompts.Messages[0],
              PageStyleUnreadableText(window.LanguageIndex(), "'1.2' is not a valid integer value"));
    EXPECT_EQ(window.CurrentStyle(), window.DefaultStyle());
    EXPECT_EQ(editor.FontSize()->value(), window.DefaultStyle().FontSize);
}

TEST_F(StyleEditor, StyleFilesAndTheDefaultStyle)
{
    TMainWindow& window = StartOnPage();
    auto owned = std::make_unique<TStyleEditor>(&window);
    TStyleEditor& editor = *owned;
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    const std::string file = Dir.File("mine.sty");
    Prompts.DialogAnswers = {file};
    editor.SaveStyleFile();
    EXPECT_EQ(Prompts.SaveDialogsShown.back().Filter, "style files (*.sty)|*.sty");
    EXPECT_EQ(Prompts.SaveDialogsShown.back().InitialDir, Dir.Path().string()) << "the program folder";
    TViewStyle saved;
    ReadStyleFile(file, saved);
    EXPECT_EQ(saved, PageStyle());

    editor.UseDefault();
    EXPECT_EQ(window.CurrentStyle(), TViewStyle{});
    EXPECT_EQ(editor.FontName()->currentText().toStdString(), "Arial");

    // A file with a value that is no number, name or colour changes nothing: the style is taken whole or not at all.
    for (const std::string bad : {"FontSize=big", "FontName=Arial/*"}) {
        WriteFileBytes(Dir.File("bad.sty"), CrLfLines({bad, "FontColor=#123456", "BackColor=#FFFFFF", "FontSize=12",
                                                        "LineHeight=20", "LetterSpacing=0", "TextWidth=100"}));
        Prompts.DialogAnswers = {Dir.File("bad.sty")};
        EXPECT_THROW(editor.LoadStyleFile(), EStyleValueError) << "reported by the editor's guard";
        EXPECT_EQ(window.CurrentStyle(), TViewStyle{});
        EXPECT_EQ(editor.WorkingFontColor(), "#000000");
    }

    // What no font name holds cannot be typed; lines are never closer than the letters are high.
    QTest::keyClicks(editor.FontName()->lineEdit(), "/*;'(x)");
    EXPECT_EQ(editor.FontName()->currentText().toStdString(), "Arialx");
    editor.FontName()->setEditText("Arial");
    editor.FontSize()->setValue(30);
    EXPECT_EQ(editor.LineHeight()->value(), 30);
    editor.LineHeight()->setValue(20);
    EXPECT_EQ(editor.LineHeight()->value(), 30);
    editor.UseDefault();
    EXPECT_EQ(window.CurrentStyle(), TViewStyle{});

    // Numbers beyond the fields are brought into them: what is shown is what is saved.
    TViewStyle wide;
    wide.TextWidth = 1000;
    wide.FontSize = 1;
    WriteStyleFile(Dir.File("wide.sty"), wide);
    Prompts.DialogAnswers = {Dir.File("wide.sty"), Dir.File("saved.sty")};
    editor.LoadStyleFile();
    EXPECT_EQ(window.CurrentStyle().TextWidth, 100);
    EXPECT_EQ(window.CurrentStyle().FontSize, 2);
    EXPECT_EQ(editor.TextWidth()->value(), 100);
    editor.SaveStyleFile();
    TViewStyle saved2;
    ReadStyleFile(Dir.File("saved.sty"), saved2);
    EXPECT_EQ(saved2, window.CurrentStyle());

    Prompts.DialogAnswers = {file};
    editor.LoadStyleFile();
    EXPECT_EQ(window.CurrentStyle(), PageStyle());
    EXPECT_EQ(editor.FontSize()->value(), 20);
    EXPECT_EQ(Prompts.OpenDialogsShown.back().Filter, "Style files (*.sty)|*.sty");

    Prompts.YesNoAnswers = {false, true};
    editor.MakeDefault();
    EXPECT_EQ(window.DefaultStyle(), TViewStyle{}) << "Cancel changes nothing";
    editor.MakeDefault();
    EXPECT_EQ(Prompts.Questions.back().Text, "This style will be applied to all newly converted texts. Proceed?");
    EXPECT_EQ(window.DefaultStyle(), PageStyle());
    EXPECT_EQ(window.Conf().GetValue("DefaultFontName"), "Georgia");

    // The next conversion uses it, and after a restart the configuration holds it.
    WriteFileBytes(Dir.File("tale.txt"), CrLfLines({"Author", "Title", "     Text"}));
    Prompts.DialogAnswers = {Dir.File("tale.txt")};
    window.LoadAndConvert();
    EXPECT_TRUE(ReadFileBytes(Dir.File("tale.html")).starts_with(PageHeaderText(Dir.File("tale.html"), PageStyle())));
    owned.reset(); // the editor goes before its main window
    window.close();
    Window.reset();
    EXPECT_EQ(Start().DefaultStyle(), PageStyle());
}

TEST_F(StyleEditor, SaveDialogsAskBeforeReplacingAndNeverWriteATemporaryName)
{
    TMainWindow& window = StartOnPage();
    TStyleEditor editor(&window);
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    const std::string file = Dir.File("mine.sty");
    WriteFileBytes(file, "the user's own style\r\n");
    Prompts.DialogAnswers = {file, std::nullopt};
    Prompts.YesNoAnswers = {false};
    editor.SaveStyleFile();
    ASSERT_EQ(Prompts.Questions.size(), 1u);
    EXPECT_EQ(Prompts.Questions[0].Text, ReplaceFileQuestion(window.LanguageIndex(), file));
    EXPECT_EQ(Prompts.SaveDialogsShown.size(), 2u) << "No goes back to the dialog";
    EXPECT_EQ(ReadFileBytes(file), "the user's own style\r\n");
    Prompts.DialogAnswers = {file};
    Prompts.YesNoAnswers = {true};
    editor.SaveStyleFile();
    EXPECT_EQ(ReadFileBytes(file), StyleFileText(window.CurrentStyle()));

    const std::string temporary = Dir.File("VerdaskTemp.abcdefghijkl");
    Prompts.DialogAnswers = {temporary};
    EXPECT_THROW(editor.SaveStyleFile(), EVerdaskError) << "reported by the editor's guard";
    EXPECT_FALSE(std::filesystem::exists(temporary));

    // The backup of a page of another program: asked too, and never over a leftover copy.
    const std::string foreign = CrLfLines({"<html><body>", "<p>x</p>", "</body></html>"});
    WriteFileBytes(Dir.File("other.html"), foreign);
    window.ShowPage(Dir.File("other.html"));
    const std::string leftover = Dir.File("VerdaskTemp._a_");
    WriteFileBytes(leftover, "the only whole copy of a page");
    Prompts.ForeignAnswers = {2};
    Prompts.DialogAnswers = {leftover};
    Prompts.YesNoAnswers = {true};
    editor.ApplyToPage();
    ASSERT_FALSE(Prompts.Messages.empty());
    EXPECT_NE(Prompts.Messages.back().find("kept for the program's temporary files"), std::string::npos)
        << Prompts.Messages.back();
    EXPECT_EQ(ReadFileBytes(leftover), "the only whole copy of a page");
    EXPECT_EQ(ReadFileBytes(Dir.File("other.html")), foreign);
}

TEST_F(StyleEditor, ThePresetsBesideTheProgramComeFirstAndApply)
{
    std::filesystem::copy(VERDASK_PRESETS, Dir.Path() / "presets");
    TMainWindow& window = StartOnPage();
    TStyleEditor editor(&window);
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    Prompts.DialogAnswers = {Dir.File("presets/Night.sty")};
    editor.LoadStyleFile();
    EXPECT_EQ(Prompts.OpenDialogsShown.back().InitialDir, Dir.File("presets"));
    TViewStyle night;
    ReadStyleFile(Dir.File("presets/Night.sty"), night);
    EXPECT_EQ(window.CurrentStyle(), night);
    editor.ApplyToPage();
    EXPECT_TRUE(ReadFileBytes(PagePath).starts_with(PageHeaderText(PagePath, night).substr(0, 200)));
    EXPECT_EQ(ReadStyleFromPage(PagePath, TViewStyle{}), night);
}

TEST_F(StyleEditor, ApplyRestylesTheShownPageAndClosesTheEditor)
{
    TMainWindow& window = StartOnPage();
    TStyleEditor editor(&window);
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    editor.UseDefault();
    editor.ApplyToPage();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(ReadFileBytes(PagePath), PageHeaderText(PagePath, TViewStyle{}) + Body + PageFooterText());

    // A page of another program asks; "cancel" keeps the editor open and the page as it was.
    const std::string foreign = CrLfLines({"<html><body>", "<p>x</p>", "</body></html>"});
    WriteFileBytes(Dir.File("other.html"), foreign);
    window.ShowPage(Dir.File("other.html"));
    TStyleEditor second(&window);
    second.show();
    Prompts.ForeignAnswers = {3};
    second.ApplyToPage();
    EXPECT_EQ(ReadFileBytes(Dir.File("other.html")), foreign);
    EXPECT_TRUE(second.isVisible());

    // A failure is told by its code and its reason; the editor stays open.
    std::filesystem::create_directory(Dir.Path() / "other.htm_"); // a folder at the backup name
    Prompts.ForeignAnswers = {1};
    second.ApplyToPage();
    ASSERT_FALSE(Prompts.Messages.empty());
    EXPECT_TRUE(Prompts.Messages.back().starts_with("I/O error, code 6\nI/O error on file " + Dir.File("other.htm_")))
        << Prompts.Messages.back();
    EXPECT_EQ(ReadFileBytes(Dir.File("other.html")), foreign);
    EXPECT_TRUE(second.isVisible());
}

} // namespace
} // namespace verdask
