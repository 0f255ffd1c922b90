#include "shell/About.h"
#include "shell/Forei.h"
#include "shell/Sett.h"
#include "shell/Style.h"

#include "WindowTestSupport.h"
#include "files/Errors.h"
#include "shell/InterfaceText.h"
#include "shell/Main.h"
#include "shell/Text.h"
#include "style/PageFrame.h"
#include "style/StyleCss.h"
#include "style/StyleFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
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

    TMainForm& StartOnPage()
    {
        WriteFileBytes(PagePath, PageHeaderText(PagePath, PageStyle()) + Body + PageFooterText());
        TMainForm& form = Start();
        form.ShowPage(PagePath);
        return form;
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
}

TEST_F(StyleEditor, OpensOnThePagesStyleAndPreviewsItAfterItIsShown)
{
    TMainForm& form = StartOnPage();
    TStyleForm editor(&form);
    EXPECT_EQ(editor.FontCombo()->currentText().toStdString(), "Georgia");
    EXPECT_EQ(editor.FontUpDown()->value(), 20);
    EXPECT_EQ(editor.LineSpaceUpDown()->value(), 24);
    EXPECT_EQ(editor.LetterSpaceUpDown()->value(), 0);
    EXPECT_EQ(editor.WidthUpDown()->value(), 60);
    EXPECT_EQ(editor.WorkingFontColor(), "#102030");
    EXPECT_EQ(form.CurrentStyle(), PageStyle());
    EXPECT_EQ(ToWindows1251(editor.windowTitle()), "Style selection");
    EXPECT_FALSE(editor.PreviewLive()) << "nothing is drawn before the first tick";
    editor.FontUpDown()->setValue(21);
    EXPECT_EQ(editor.PreviewText(), "");

    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    TViewStyle expected = PageStyle();
    expected.FontSize = 21;
    EXPECT_EQ(editor.PreviewText(), PreviewPage(expected, form.SampleText()));

    // The width arrow at 90 reaches 100 and the table goes; there it stops.
    editor.WidthUpDown()->setValue(90);
    EXPECT_NE(editor.PreviewText().find("<TABLE ALIGN=CENTER>"), std::string::npos);
    editor.WidthUpDown()->stepUp();
    EXPECT_EQ(editor.WidthUpDown()->value(), 100);
    EXPECT_EQ(editor.PreviewText().find("<TABLE ALIGN=CENTER>"), std::string::npos);
    editor.WidthUpDown()->stepUp();
    EXPECT_EQ(editor.WidthUpDown()->value(), 100) << "no wrap-around";

    editor.FontCombo()->setEditText("Not Installed Sans");
    EXPECT_EQ(form.CurrentStyle().FontName, "Not Installed Sans") << "a typed name goes in as it stands";
    EXPECT_EQ(editor.FontCombo()->completer(), nullptr) << "and is not completed into another";
    int widest = 0;
    for (int i = 0; i < editor.FontCombo()->count(); ++i)
        widest = std::max(widest, editor.FontCombo()->view()->fontMetrics().horizontalAdvance(
                                      editor.FontCombo()->itemText(i)));
    EXPECT_GT(editor.FontCombo()->view()->minimumWidth(), widest) << "the open list shows whole names";

    Prompts.ColorAnswers = {0x0000FFu, std::nullopt};
    editor.FontButtonClick(editor.FontButton());
    EXPECT_EQ(editor.WorkingFontColor(), "#FF0000");
    EXPECT_NE(editor.PreviewText().find("color: #FF0000;"), std::string::npos);
    editor.FontButtonClick(editor.BackColorButton()); // cancelled
    EXPECT_EQ(editor.WorkingBackColor(), "#F0E0D0");

    editor.JustifyButtonClick();
    EXPECT_FALSE(form.CurrentStyle().Justification);
    EXPECT_NE(editor.PreviewText().find("text-align: left;"), std::string::npos);
}

TEST_F(StyleEditor, AlwaysOpensOnAPageWhoseStyleItCannotRead)
{
    TMainForm& form = StartOnPage();
    std::string page = ReadFileBytes(PagePath);
    const auto at = page.find("font-size: 20pt");
    ASSERT_NE(at, std::string::npos);
    page.replace(at, 15, "font-size: 1.2em");
    WriteFileBytes(PagePath, page);
    TStyleForm editor(&form);
    ASSERT_EQ(Prompts.Messages.size(), 1u);
    EXPECT_EQ(Prompts.Messages[0],
              PageStyleUnreadableText(form.LanguageIndex(), "'1.2' is not a valid integer value"));
    EXPECT_EQ(form.CurrentStyle(), form.DefaultStyle());
    EXPECT_EQ(editor.FontUpDown()->value(), form.DefaultStyle().FontSize);
}

TEST_F(StyleEditor, StyleFilesAndTheDefaultStyle)
{
    TMainForm& form = StartOnPage();
    auto owned = std::make_unique<TStyleForm>(&form);
    TStyleForm& editor = *owned;
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    const std::string file = Dir.File("mine.sty");
    Prompts.DialogAnswers = {file};
    editor.Savetofile1Click();
    EXPECT_EQ(Prompts.SaveDialogsShown.back().Filter, "style files (*.sty)|*.sty");
    EXPECT_EQ(Prompts.SaveDialogsShown.back().InitialDir, Dir.Path().string()) << "the program folder";
    TViewStyle saved;
    ReadStyleFile(file, saved);
    EXPECT_EQ(saved, PageStyle());

    editor.Usedef1Click();
    EXPECT_EQ(form.CurrentStyle(), TViewStyle{});
    EXPECT_EQ(editor.FontCombo()->currentText().toStdString(), "Arial");

    // A file whose font size is no number changes nothing: the style is taken whole or not at all.
    WriteFileBytes(Dir.File("bad.sty"), CrLfLines({"FontColor=#123456", "FontSize=big"}));
    Prompts.DialogAnswers = {Dir.File("bad.sty")};
    EXPECT_THROW(editor.Loadfromfile1Click(), EConvertError) << "reported by the editor's guard";
    EXPECT_EQ(form.CurrentStyle(), TViewStyle{});
    EXPECT_EQ(editor.WorkingFontColor(), "#000000");

    // Numbers beyond the fields are brought into them: what is shown is what is saved.
    TViewStyle wide;
    wide.TextWidth = 1000;
    wide.FontSize = 1;
    WriteStyleFile(Dir.File("wide.sty"), wide);
    Prompts.DialogAnswers = {Dir.File("wide.sty"), Dir.File("saved.sty")};
    editor.Loadfromfile1Click();
    EXPECT_EQ(form.CurrentStyle().TextWidth, 100);
    EXPECT_EQ(form.CurrentStyle().FontSize, 2);
    EXPECT_EQ(editor.WidthUpDown()->value(), 100);
    editor.Savetofile1Click();
    TViewStyle saved2;
    ReadStyleFile(Dir.File("saved.sty"), saved2);
    EXPECT_EQ(saved2, form.CurrentStyle());

    Prompts.DialogAnswers = {file};
    editor.Loadfromfile1Click();
    EXPECT_EQ(form.CurrentStyle(), PageStyle());
    EXPECT_EQ(editor.FontUpDown()->value(), 20);
    EXPECT_EQ(Prompts.OpenDialogsShown.back().Filter, "Style files (*.sty)|*.sty");

    Prompts.YesNoAnswers = {false, true};
    editor.Makedefault1Click();
    EXPECT_EQ(form.DefaultStyle(), TViewStyle{}) << "Cancel changes nothing";
    editor.Makedefault1Click();
    EXPECT_EQ(Prompts.Questions.back().Text, "This style will be applied to all newly converted texts. Proceed?");
    EXPECT_EQ(form.DefaultStyle(), PageStyle());
    EXPECT_EQ(form.Conf().GetValue("DefaultFontName"), "Georgia");

    // The next conversion uses it, and after a restart the configuration holds it.
    WriteFileBytes(Dir.File("tale.txt"), CrLfLines({"Author", "Title", "     Text"}));
    Prompts.DialogAnswers = {Dir.File("tale.txt")};
    form.Loadconvertandsave1Click();
    EXPECT_TRUE(ReadFileBytes(Dir.File("tale.html")).starts_with(PageHeaderText(Dir.File("tale.html"), PageStyle())));
    owned.reset(); // the editor goes before its main window
    form.close();
    Form.reset();
    EXPECT_EQ(Start().DefaultStyle(), PageStyle());
}

TEST_F(StyleEditor, SaveDialogsAskBeforeReplacingAndNeverWriteATemporaryName)
{
    TMainForm& form = StartOnPage();
    TStyleForm editor(&form);
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    const std::string file = Dir.File("mine.sty");
    WriteFileBytes(file, "the user's own style\r\n");
    Prompts.DialogAnswers = {file, std::nullopt};
    Prompts.YesNoAnswers = {false};
    editor.Savetofile1Click();
    ASSERT_EQ(Prompts.Questions.size(), 1u);
    EXPECT_EQ(Prompts.Questions[0].Text, ReplaceFileQuestion(form.LanguageIndex(), file));
    EXPECT_EQ(Prompts.SaveDialogsShown.size(), 2u) << "No goes back to the dialog";
    EXPECT_EQ(ReadFileBytes(file), "the user's own style\r\n");
    Prompts.DialogAnswers = {file};
    Prompts.YesNoAnswers = {true};
    editor.Savetofile1Click();
    EXPECT_EQ(ReadFileBytes(file), StyleFileText(form.CurrentStyle()));

    const std::string temporary = Dir.File("VerdaskTemp.abcdefghijkl");
    Prompts.DialogAnswers = {temporary};
    EXPECT_THROW(editor.Savetofile1Click(), EVerdaskError) << "reported by the editor's guard";
    EXPECT_FALSE(std::filesystem::exists(temporary));

    // The backup of a page of another program: asked too, and never over a leftover copy.
    const std::string foreign = CrLfLines({"<html><body>", "<p>x</p>", "</body></html>"});
    WriteFileBytes(Dir.File("other.html"), foreign);
    form.ShowPage(Dir.File("other.html"));
    const std::string leftover = Dir.File("VerdaskTemp._a_");
    WriteFileBytes(leftover, "the only whole copy of a page");
    Prompts.ForeignAnswers = {2};
    Prompts.DialogAnswers = {leftover};
    Prompts.YesNoAnswers = {true};
    editor.Apply1Click();
    ASSERT_FALSE(Prompts.Messages.empty());
    EXPECT_NE(Prompts.Messages.back().find("kept for the program's temporary files"), std::string::npos)
        << Prompts.Messages.back();
    EXPECT_EQ(ReadFileBytes(leftover), "the only whole copy of a page");
    EXPECT_EQ(ReadFileBytes(Dir.File("other.html")), foreign);
}

TEST_F(StyleEditor, ThePresetsBesideTheProgramComeFirstAndApply)
{
    std::filesystem::copy(VERDASK_PRESETS, Dir.Path() / "presets");
    TMainForm& form = StartOnPage();
    TStyleForm editor(&form);
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    Prompts.DialogAnswers = {Dir.File("presets/Night.sty")};
    editor.Loadfromfile1Click();
    EXPECT_EQ(Prompts.OpenDialogsShown.back().InitialDir, Dir.File("presets"));
    TViewStyle night;
    ReadStyleFile(Dir.File("presets/Night.sty"), night);
    EXPECT_EQ(form.CurrentStyle(), night);
    editor.Apply1Click();
    EXPECT_TRUE(ReadFileBytes(PagePath).starts_with(PageHeaderText(PagePath, night).substr(0, 200)));
    EXPECT_EQ(ReadStyleFromPage(PagePath, TViewStyle{}), night);
}

TEST_F(StyleEditor, ApplyRestylesTheShownPageAndClosesTheEditor)
{
    TMainForm& form = StartOnPage();
    TStyleForm editor(&form);
    editor.show();
    ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
    editor.Usedef1Click();
    editor.Apply1Click();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(ReadFileBytes(PagePath), PageHeaderText(PagePath, TViewStyle{}) + Body + PageFooterText());

    // A page of another program asks; "cancel" keeps the editor open and the page as it was.
    const std::string foreign = CrLfLines({"<html><body>", "<p>x</p>", "</body></html>"});
    WriteFileBytes(Dir.File("other.html"), foreign);
    form.ShowPage(Dir.File("other.html"));
    TStyleForm second(&form);
    second.show();
    Prompts.ForeignAnswers = {3};
    second.Apply1Click();
    EXPECT_EQ(ReadFileBytes(Dir.File("other.html")), foreign);
    EXPECT_TRUE(second.isVisible());

    // A failure is told by its code and its reason; the editor stays open.
    std::filesystem::create_directory(Dir.Path() / "other.htm_"); // a folder at the backup name
    Prompts.ForeignAnswers = {1};
    second.Apply1Click();
    ASSERT_FALSE(Prompts.Messages.empty());
    EXPECT_TRUE(Prompts.Messages.back().starts_with("I/O error, code 6\nI/O error on file " + Dir.File("other.htm_")))
        << Prompts.Messages.back();
    EXPECT_EQ(ReadFileBytes(Dir.File("other.html")), foreign);
    EXPECT_TRUE(second.isVisible());
}

// Runs action on the settings dialog once it is up, then presses one of its buttons.
void WhenSettingsShow(const std::function<void(TSettingsForm&)>& action, bool confirm)
{
    QTimer::singleShot(50, [=] {
        auto* dialog = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(*dialog);
        (confirm ? dialog->Button1() : dialog->Button2())->click();
    });
}

TEST_F(StyleEditor, TheSettingsDialogWritesItsSevenKeysOnConfirmOnly)
{
    std::vector<std::string> lines = test::DefaultConfigLines();
    for (auto& line : lines) {
        if (line.starts_with("Autodetect="))
            line = "Autodetect=yes";
        if (line.starts_with("Leading spaces="))
            line = "Leading spaces=40";
    }
    WriteConfig(lines);
    const std::string stored = ReadFileBytes(ConfigPath);
    TMainForm& form = Start();
    form.Conf().SetValue("Open directory", "/changed/in/memory");

    WhenSettingsShow([](TSettingsForm& dialog) {
        EXPECT_FALSE(dialog.CheckBox4()->isChecked()) << "yes in small letters is no Yes";
        EXPECT_EQ(dialog.UpDown2()->value(), 9) << "the nearest end of the range";
        dialog.UpDown1()->setValue(2);
    }, false);
    form.Settings1Click();
    EXPECT_EQ(ReadFileBytes(ConfigPath), stored) << "cancel writes nothing";
    EXPECT_EQ(form.Conf().GetValue("Open directory"), DefaultFolder()) << "the file's values again";

    WhenSettingsShow([](TSettingsForm& dialog) {
        EXPECT_EQ(dialog.Label2()->x(), dialog.UpDown2()->geometry().right() + 1 + 2);
        EXPECT_EQ(dialog.CheckBox4()->x(), dialog.Label2()->geometry().right() + 1 + 5);
        EXPECT_EQ(dialog.UpDown1()->x(), dialog.Label3()->geometry().right() + 1 + 5);
        dialog.UpDown1()->setValue(7);
        dialog.CheckBox2()->setChecked(false);
    }, true);
    form.Settings1Click();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Leading spaces"), "9");
    EXPECT_EQ(conf.GetValue("Autodetect"), "No");
    EXPECT_EQ(conf.GetValue("Non-breaking spaces"), "7");
    EXPECT_EQ(conf.GetValue("Replace double dash"), "No");
    EXPECT_EQ(conf.GetValue("Replace leading dash"), "Yes");
    EXPECT_EQ(conf.Lines().size(), lines.size());

    // In Russian the labels are wider, and what follows them moves along.
    form.Russian1Click(form.Menu().Russian1);
    WhenSettingsShow([](TSettingsForm& dialog) {
        EXPECT_EQ(dialog.CheckBox4()->x(), dialog.Label2()->geometry().right() + 1 + 5);
        EXPECT_EQ(dialog.UpDown1()->x(), dialog.Label3()->geometry().right() + 1 + 5);
    }, false);
    form.Settings1Click();
}

TEST_F(StyleEditor, TheSettingsDialogChoosesTheSourceEncoding)
{
    std::vector<std::string> lines = test::DefaultConfigLines();
    std::erase(lines, "Source encoding=Auto"); // a file of an earlier version
    WriteConfig(lines);
    TMainForm& form = Start();
    WhenSettingsShow([](TSettingsForm& dialog) {
        EXPECT_EQ(dialog.EncodingBox()->currentIndex(), 0) << "no key: Auto";
        EXPECT_EQ(dialog.EncodingBox()->currentText().toStdString(), AutoEncodingText(EnglishColumn));
        EXPECT_EQ(dialog.EncodingBox()->count(), 6);
        EXPECT_EQ(dialog.EncodingBox()->x(), dialog.Label4()->geometry().right() + 1 + 5);
        dialog.EncodingBox()->setCurrentText("KOI8-R");
    }, true);
    form.Settings1Click();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Source encoding"), "KOI8-R");
    EXPECT_EQ(conf.Lines().back(), "Source encoding=KOI8-R") << "after the seven keys the dialog writes";

    form.Russian1Click(form.Menu().Russian1);
    WhenSettingsShow([](TSettingsForm& dialog) {
        EXPECT_EQ(dialog.EncodingBox()->currentText().toStdString(), "KOI8-R");
        EXPECT_EQ(dialog.Label4()->text().toStdString(), SourceEncodingLabelText(RussianColumn));
        EXPECT_EQ(dialog.EncodingBox()->itemText(0).toStdString(), AutoEncodingText(RussianColumn));
        dialog.EncodingBox()->setCurrentIndex(0);
    }, true);
    form.Settings1Click();
    conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Source encoding"), "Auto");
}

TEST_F(StyleEditor, EveryDialogFitsItsTextsInBothLanguages)
{
    WriteConfig(test::DefaultConfigLines());
    TMainForm& form = Start();
    form.setGeometry(100, 100, 700, 500);
    for (QAction* language : {form.Menu().English1, form.Menu().Russian1}) {
        form.Russian1Click(language);
        const std::string in = language == form.Menu().Russian1 ? "Russian" : "English";

        TAboutForm about(&form);
        about.FormShow();
        for (QLabel* label : {about.Label1(), about.Label2(), about.Label3()})
            EXPECT_LE(label->sizeHint().width(), label->width()) << in << ": " << label->text().toStdString();
        const QRect main = form.frameGeometry();
        EXPECT_EQ(about.x(), main.left() + main.width() / 2 - about.width() / 2) << "centred";

        TForeignForm foreign(&form);
        foreign.show();
        ASSERT_TRUE(WaitFor([&] { return foreign.isVisible(); }));
        EXPECT_GE(foreign.Memo1()->height(), foreign.Memo1()->heightForWidth(foreign.Memo1()->width())) << in;
        for (QAbstractButton* item : foreign.findChildren<QRadioButton*>())
            EXPECT_LE(item->sizeHint().width(), item->width()) << in << ": " << item->text().toStdString();
        foreign.close();

        WhenSettingsShow([&](TSettingsForm& dialog) {
            for (QWidget* control : dialog.findChildren<QWidget*>()) {
                if (control->isVisible() && control->parentWidget() == &dialog) {
                    EXPECT_LE(control->geometry().right(), dialog.width() - 1)
                        << in << ": " << control->metaObject()->className();
                }
            }
            for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
                EXPECT_LE(box->sizeHint().width(), box->width()) << in << ": " << box->text().toStdString();
        }, false);
        form.Settings1Click();
    }
}

TEST_F(StyleEditor, TheSettingsDialogKeepsThisRunsLanguageAndDefaultStyle)
{
    WriteConfig(test::DefaultConfigLines()); // English
    TMainForm& form = Start();
    form.Russian1Click(form.Menu().Russian1);
    TViewStyle style;
    style.FontSize = 20;
    style.FontName = "Liberation Serif";
    form.MakeDefaultStyle(style);
    WhenSettingsShow([](TSettingsForm&) {}, false);
    form.Settings1Click();
    EXPECT_EQ(form.DefaultStyle(), style);
    CloseAndDestroy();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Language"), "Russian");
    EXPECT_EQ(conf.GetValue("DefaultFontSize"), "20");
    EXPECT_EQ(conf.GetValue("DefaultFontName"), "Liberation Serif");
}

} // namespace
} // namespace verdask
