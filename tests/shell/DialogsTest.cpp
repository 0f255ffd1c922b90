// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AboutDialog.h"
#include "shell/ForeignPageDialog.h"
#include "shell/SettingsDialog.h"
#include "shell/ShelfDialog.h"

#include "WindowTestSupport.h"
#include "conversion/Bookmark.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Source.h"
#include "shell/InterfaceText.h"
#include "shell/MainWindow.h"
#include "shell/Reader.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QHeaderView>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <chrono>
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

        // The shelf with its frame fits a screen of 640 by 480.
        TShelfDialog shelf(window);
        shelf.show();
        ASSERT_TRUE(WaitFor([&] { return shelf.isVisible(); }));
        EXPECT_LE(shelf.minimumSizeHint().width(), 620) << in;
        EXPECT_LE(shelf.frameGeometry().width(), 640) << in;
        EXPECT_LE(shelf.frameGeometry().height(), 480) << in;
        for (QPushButton* button : shelf.findChildren<QPushButton*>())
            EXPECT_LE(button->sizeHint().width(), button->width()) << in << ": " << button->text().toStdString();
        shelf.close();
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

// A page the converter writes, of long paragraphs under a title line (UTF-8),
// last written on the day given.
std::string ShelfPage(const std::string& page, const std::string& title, int paragraphs, std::int64_t bookmark,
                      std::chrono::sys_days written)
{
    std::vector<std::string> lines = {"Author", test::Recoded(title, "UTF-8", "WINDOWS-1251")};
    for (int i = 1; i <= paragraphs; ++i)
        lines.push_back("     Paragraph " + std::to_string(i) + ", long enough to run across the view over two "
                        "lines or more, so that the reader's place is measured on its text.");
    const std::string text = page + ".txt";
    test::WriteFileBytes(text, test::CrLfLines(lines));
    TConf conf;
    conf.SetDefaults();
    TSourceState source;
    source.SourcePath = text;
    source.IndentWidth = 5;
    WritePage(page, conf, source, TViewStyle{}, {});
    std::filesystem::remove(text);
    if (bookmark > 0) {
        EXPECT_EQ(SaveBookmark(page, bookmark), TBookmarkResult::Saved);
    }
    std::filesystem::last_write_time(page, std::chrono::file_clock::from_sys(std::chrono::sys_seconds{written}));
    return page;
}

// What one column of the shelf shows, top to bottom.
std::vector<std::string> ShelfColumn(const TShelfDialog& shelf, int column)
{
    const QAbstractItemModel& shown = *shelf.Books()->model();
    std::vector<std::string> texts;
    for (int row = 0; row < shown.rowCount(); ++row)
        texts.push_back(shown.index(row, column).data().toString().toStdString());
    return texts;
}

// Types text, Russian letters too, as a keyboard of its layout does.
void Type(QWidget* field, const QString& text)
{
    for (const QChar letter : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(letter), Qt::NoModifier);
}

TEST_F(Dialogs, TheBookshelfShowsHowFarEachBookIsReadAndOpensOneAtItsPlace)
{
    using namespace std::chrono;
    using Titles = std::vector<std::string>;
    const std::string folder = Dir.File("books");
    std::filesystem::create_directory(folder);
    const std::string war = ShelfPage(Dir.File("books/war.html"), "Война и мир", 300, 150, 2022y / 3 / 5);
    ShelfPage(Dir.File("books/tale.html"), "Сказка", 40, 40, 2021y / 1 / 1);
    ShelfPage(Dir.File("books/notes.html"), "Notes", 30, 0, 2020y / 1 / 1);
    test::WriteFileBytes(Dir.File("books/other.html"), "<HTML><BODY><P>Another program's page</P></BODY></HTML>");
    std::vector<std::string> lines = test::DefaultConfigLines();
    lines.push_back("Shelf 1=" + folder);
    WriteConfig(lines);
    TMainWindow& window = Start();
    window.resize(800, 600);
    window.show();

    window.Commands().Action(TCommand::Bookshelf)->trigger();
    TShelfDialog* shelf = window.Bookshelf();
    ASSERT_NE(shelf, nullptr);
    ASSERT_TRUE(WaitFor([&] { return !shelf->Scanning(); }));
    EXPECT_EQ(shelf->Count()->text().toStdString(), FoundBooksText(EnglishColumn, 3, TShelfScanState::Done));
    EXPECT_EQ(ShelfColumn(*shelf, TShelfDialog::TitleColumn), (Titles{"Война и мир", "Сказка", "Notes"}))
        << "the page of another program is no book; the books read last come first";
    EXPECT_EQ(ShelfColumn(*shelf, TShelfDialog::ProgressColumn),
              (Titles{"50%", ShelfText(EnglishColumn, TShelfText::Finished),
                      ShelfText(EnglishColumn, TShelfText::NotStarted)}));
    EXPECT_EQ(ShelfColumn(*shelf, TShelfDialog::DateColumn)[0],
              ShelfLocale(EnglishColumn).toString(QDate(2022, 3, 5), QLocale::ShortFormat).toStdString());
    EXPECT_EQ(ShelfColumn(*shelf, TShelfDialog::FolderColumn)[0], folder);
    const QAbstractItemModel& shown = *shelf->Books()->model();
    const auto colour = [&](int row) {
        return shown.index(row, TShelfDialog::ProgressColumn).data(Qt::ForegroundRole);
    };
    EXPECT_FALSE(colour(0).isValid()) << "a book being read has its bar";
    EXPECT_TRUE(colour(1).isValid() && colour(2).isValid() && colour(1) != colour(2));

    const struct {
        int Column;
        Titles Order;
    } clicks[] = {
        {TShelfDialog::TitleColumn, {"Notes", "Война и мир", "Сказка"}},
        {TShelfDialog::ProgressColumn, {"Сказка", "Война и мир", "Notes"}},
        {TShelfDialog::ProgressColumn, {"Notes", "Война и мир", "Сказка"}},
        {TShelfDialog::DateColumn, {"Война и мир", "Сказка", "Notes"}},
    };
    QHeaderView& header = *shelf->Books()->header();
    for (const auto& click : clicks) {
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                          QPoint(header.sectionViewportPosition(click.Column) + 5, header.height() / 2));
        EXPECT_EQ(ShelfColumn(*shelf, TShelfDialog::TitleColumn), click.Order) << "column " << click.Column;
    }

    const struct {
        const char* Typed;
        Titles Shown;
    } filters[] = {
        {"ВОЙ", {"Война и мир"}}, {"з", {"Сказка"}}, {"x", {}}, {"", {"Война и мир", "Сказка", "Notes"}}};
    for (const auto& filter : filters) {
        shelf->Filter()->clear();
        Type(shelf->Filter(), QString::fromUtf8(filter.Typed));
        EXPECT_EQ(ShelfColumn(*shelf, TShelfDialog::TitleColumn), filter.Shown) << filter.Typed;
    }

    Type(shelf->Filter(), "мир");
    QTest::keyClick(shelf->Books(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return window.Bookshelf() == nullptr; })) << "the shelf closes";
    EXPECT_EQ(window.CurrentPage(), war);
    EXPECT_TRUE(WaitFor([&] { return window.Reader().GetReadingPosition() == 150; }))
        << "at " << window.Reader().GetReadingPosition();
}

// The shelf's folders are the recent books' until the user changes them; then
// they are kept, through the settings dialog and a restart.
TEST_F(Dialogs, TheBookshelfKeepsTheFoldersChosen)
{
    const std::string books = Dir.File("books");
    const std::string more = Dir.File("more");
    std::filesystem::create_directories(Dir.Path() / "more" / "deeper");
    ShelfPage(Dir.File("more/deeper/deep.html"), "Deep", 10, 0, std::chrono::sys_days{});
    std::vector<std::string> lines = test::DefaultConfigLines();
    lines.push_back("Recent 1=" + books + "/war.html");
    WriteConfig(lines);
    using Folders = std::vector<std::string>;
    {
        TMainWindow& window = Start();
        window.OpenBookshelf();
        TShelfDialog& shelf = *window.Bookshelf();
        EXPECT_EQ(shelf.Folders(), Folders{books});
        shelf.AddFolder(more);
        ASSERT_TRUE(WaitFor([&] { return !shelf.Scanning(); }));
        EXPECT_EQ(shelf.Books()->model()->rowCount(), 0) << "a folder without its subfolders";
        shelf.Subfolders()->setChecked(true);
        ASSERT_TRUE(WaitFor([&] { return !shelf.Scanning(); }));
        EXPECT_EQ(ShelfColumn(shelf, TShelfDialog::TitleColumn), Folders{"Deep"});
        QTest::keyClick(&shelf, Qt::Key_Escape);
        EXPECT_TRUE(WaitFor([&] { return window.Bookshelf() == nullptr; }));

        WhenSettingsShow([](TSettingsDialog&) {}, true);
        window.EditSettings();
        CloseAndDestroy();
    }
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Shelf 1"), books);
    EXPECT_EQ(conf.GetValue("Shelf 2"), more);
    EXPECT_EQ(conf.GetValue("Shelf subfolders"), "Yes");

    TMainWindow& window = Start();
    window.OpenBookshelf();
    TShelfDialog& shelf = *window.Bookshelf();
    EXPECT_EQ(shelf.Folders(), (Folders{books, more}));
    EXPECT_TRUE(shelf.Subfolders()->isChecked());
    shelf.FolderList()->setCurrentIndex(0);
    shelf.RemoveFolder();
    EXPECT_EQ(shelf.Folders(), Folders{more});
    CloseAndDestroy();
    conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Shelf 1"), more);
    EXPECT_EQ(conf.GetValue("Shelf 2"), "");
}

} // namespace
} // namespace verdask
