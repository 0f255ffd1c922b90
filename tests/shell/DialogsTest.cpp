// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AboutDialog.h"
#include "shell/ForeignPageDialog.h"
#include "shell/SettingsDialog.h"

#include "WindowTestSupport.h"
#include "shell/InterfaceText.h"
#include "shell/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace verdask {
namespace {

using test::ReadFileBytes;
using test::TWindowFixture;
using test::WaitFor;

struct Dialogs : ::testing::Test, TWindowFixture {
    Dialogs() { WriteConfig(test::DefaultConfigLines()); }
};

// Runs action on the settings dialog once it is up, then presses one of its buttons.
void WhenSettingsShow(const std::function<void(TSettingsDialog&)>& action, bool confirm)
{
    QTimer::singleShot(50, [=] {
        auto* dialog = qobject_cast<TSettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        action(*dialog);
        (confirm ? dialog->SaveButton() : dialog->CancelButton())->click();
    });
}

TEST_F(Dialogs, TheSettingsDialogWritesItsSevenKeysOnConfirmOnly)
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
    TMainWindow& window = Start();
    window.Conf().SetValue("Open directory", "/changed/in/memory");

    WhenSettingsShow([](TSettingsDialog& dialog) {
        EXPECT_FALSE(dialog.DetectIndent()->isChecked()) << "yes in small letters is no Yes";
        EXPECT_EQ(dialog.IndentWidth()->value(), 9) << "the nearest end of the range";
        dialog.NbspCount()->setValue(2);
    }, false);
    window.EditSettings();
    EXPECT_EQ(ReadFileBytes(ConfigPath), stored) << "cancel writes nothing";
    EXPECT_EQ(window.Conf().GetValue("Open directory"), DefaultFolder()) << "the file's values again";

    WhenSettingsShow([](TSettingsDialog& dialog) {
        EXPECT_EQ(dialog.DetectIndentLabel()->x(), dialog.IndentWidth()->geometry().right() + 1 + 2);
        EXPECT_EQ(dialog.DetectIndent()->x(), dialog.DetectIndentLabel()->geometry().right() + 1 + 5);
        EXPECT_EQ(dialog.NbspCount()->x(), dialog.NbspCountLabel()->geometry().right() + 1 + 5);
        dialog.NbspCount()->setValue(7);
        dialog.ReplaceDoubleDash()->setChecked(false);
    }, true);
    window.EditSettings();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Leading spaces"), "9");
    EXPECT_EQ(conf.GetValue("Autodetect"), "No");
    EXPECT_EQ(conf.GetValue("Non-breaking spaces"), "7");
    EXPECT_EQ(conf.GetValue("Replace double dash"), "No");
    EXPECT_EQ(conf.GetValue("Replace leading dash"), "Yes");
    EXPECT_EQ(conf.Lines().size(), lines.size());

    // In Russian the labels are wider, and what follows them moves along.
    window.ChooseLanguage(RussianColumn);
    WhenSettingsShow([](TSettingsDialog& dialog) {
        EXPECT_EQ(dialog.DetectIndent()->x(), dialog.DetectIndentLabel()->geometry().right() + 1 + 5);
        EXPECT_EQ(dialog.NbspCount()->x(), dialog.NbspCountLabel()->geometry().right() + 1 + 5);
    }, false);
    window.EditSettings();
}

TEST_F(Dialogs, TheSettingsDialogChoosesTheSourceEncodingAndTheParagraphs)
{
    std::vector<std::string> lines = test::DefaultConfigLines();
    std::erase(lines, "Source encoding=Auto"); // a file of an earlier version
    WriteConfig(lines);
    TMainWindow& window = Start();
    WhenSettingsShow([](TSettingsDialog& dialog) {
        EXPECT_EQ(dialog.Encoding()->currentIndex(), 0) << "no key: Auto";
        EXPECT_EQ(dialog.Encoding()->currentText().toStdString(), AutoEncodingText(EnglishColumn));
        EXPECT_EQ(dialog.Encoding()->count(), 6);
        EXPECT_EQ(dialog.Encoding()->x(), dialog.EncodingLabel()->geometry().right() + 1 + 5);
        dialog.Encoding()->setCurrentText("KOI8-R");
        EXPECT_EQ(dialog.Paragraphs()->currentText().toStdString(), LayoutText(EnglishColumn, TParagraphLayout::Auto));
        EXPECT_EQ(dialog.Paragraphs()->count(), 4);
        dialog.Paragraphs()->setCurrentIndex(3);
    }, true);
    window.EditSettings();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Source encoding"), "KOI8-R");
    EXPECT_EQ(conf.GetValue("Paragraphs"), "Blank lines");
    EXPECT_EQ(conf.Lines().back(), "Source encoding=KOI8-R") << "after the seven keys the dialog writes";

    window.ChooseLanguage(RussianColumn);
    WhenSettingsShow([](TSettingsDialog& dialog) {
        EXPECT_EQ(dialog.Encoding()->currentText().toStdString(), "KOI8-R");
        EXPECT_EQ(dialog.EncodingLabel()->text().toStdString(), SourceEncodingLabelText(RussianColumn));
        EXPECT_EQ(dialog.Encoding()->itemText(0).toStdString(), AutoEncodingText(RussianColumn));
        EXPECT_EQ(dialog.Paragraphs()->currentText().toStdString(),
                  LayoutText(RussianColumn, TParagraphLayout::BlankLines));
        dialog.Encoding()->setCurrentIndex(0);
    }, true);
    window.EditSettings();
    conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Source encoding"), "Auto");
}

TEST_F(Dialogs, EveryDialogFitsItsTextsInBothLanguages)
{
    WriteConfig(test::DefaultConfigLines());
    TMainWindow& window = Start();
    window.setGeometry(100, 100, 700, 500);
    for (const int language : {EnglishColumn, RussianColumn}) {
        window.ChooseLanguage(language);
        const std::string in = language == RussianColumn ? "Russian" : "English";

        TAboutDialog about(&window);
        about.ShowTexts();
        for (QLabel* label : {about.VersionLine(), about.CreditLine(), about.HomePageLink()})
            EXPECT_LE(label->sizeHint().width(), label->width()) << in << ": " << label->text().toStdString();
        const QRect main = window.frameGeometry();
        EXPECT_EQ(about.x(), main.left() + main.width() / 2 - about.width() / 2) << "centred";

        TForeignPageDialog foreign(&window);
        foreign.show();
        ASSERT_TRUE(WaitFor([&] { return foreign.isVisible(); }));
        EXPECT_GE(foreign.Explanation()->height(), foreign.Explanation()->heightForWidth(foreign.Explanation()->width())) << in;
        for (QAbstractButton* item : foreign.findChildren<QRadioButton*>())
            EXPECT_LE(item->sizeHint().width(), item->width()) << in << ": " << item->text().toStdString();
        foreign.close();

        WhenSettingsShow([&](TSettingsDialog& dialog) {
            for (QWidget* control : dialog.findChildren<QWidget*>()) {
                if (control->isVisible() && control->parentWidget() == &dialog) {
                    EXPECT_LE(control->geometry().right(), dialog.width() - 1)
                        << in << ": " << control->metaObject()->className();
                }
            }
            for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
                EXPECT_LE(box->sizeHint().width(), box->width()) << in << ": " << box->text().toStdString();
        }, false);
        window.EditSettings();
    }
}

TEST_F(Dialogs, TheSettingsDialogKeepsThisRunsLanguageAndDefaultStyle)
{
    WriteConfig(test::DefaultConfigLines()); // English
    TMainWindow& window = Start();
    window.ChooseLanguage(RussianColumn);
    TViewStyle style;
    style.FontSize = 20;
    style.FontName = "Liberation Serif";
    window.MakeDefaultStyle(style);
    WhenSettingsShow([](TSettingsDialog&) {}, false);
    window.EditSettings();
    EXPECT_EQ(window.DefaultStyle(), style);
    CloseAndDestroy();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Language"), "Russian");
    EXPECT_EQ(conf.GetValue("DefaultFontSize"), "20");
    EXPECT_EQ(conf.GetValue("DefaultFontName"), "Liberation Serif");
}

} // namespace
} // namespace verdask
