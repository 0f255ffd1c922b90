// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Reader.h"

#include "shell/AboutDialog.h"
#include "shell/ContentsPanel.h"
#include "shell/FindBar.h"
#include "shell/GoToField.h"
#include "shell/MainWindow.h"
#include "shell/ShelfDialog.h"
#include "shell/StyleEditor.h"
#include "shell/ViewStack.h"

#include "WindowTestSupport.h"
#include "support/FailingFileSystem.h"
#include "config/RecentBooks.h"
#include "conversion/Bookmark.h"
#include "files/Cp1251.h"
#include "shell/InterfaceText.h"
#include "shell/QtStrings.h"
#include "shell/WebView.h"
#include "style/PageFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTreeWidgetItem>
#include <QPrinter>
#include <QProgressDialog>
#include <QTest>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::FolderEntries;
using test::ReadFileBytes;
using test::RunScript;
using test::TWindowFixture;
using test::WaitFor;
using test::WriteFileBytes;

// A book whose paragraphs fill the middle of the view from side to side.
std::string LongBook(int paragraphs, const std::string& word = "Paragraph")
{
    std::vector<std::string> lines = {"Author", "Title"};
    for (int i = 1; i <= paragraphs; ++i)
        lines.push_back("     " + word + " " + std::to_string(i) +
                        " is a long one, with enough words in it to run across the whole width of the view and "
                        "over several lines, so that a probe in the middle meets its text wherever it looks.");
    return CrLfLines(lines);
}

// The output of a command, or nothing when it failed.
std::optional<std::string> Output(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return std::nullopt;
    char buffer[4096];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, count);
    return ::pclose(pipe) == 0 ? std::optional(output) : std::nullopt;
}

// The print progress the window shows (those of jobs that are over may linger, hidden).
QProgressDialog* ShownProgress(QWidget& window)
{
    for (auto* progress : window.findChildren<QProgressDialog*>())
        if (progress->isVisible())
            return progress;
    return nullptr;
}

int PdfPages(const std::string& pdf)
{
    const auto info = Output("pdfinfo '" + pdf + "'");
    if (!info)
        return 0;
    const auto at = info->find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info->substr(at + 6));
}

struct Reader : ::testing::Test, TWindowFixture {
    std::string Text = Dir.File("book.txt");
    std::string PagePath = Dir.File("book.html");

    Reader() { WriteConfig(test::DefaultConfigLines()); }

    static TReader& ReaderOf(TMainWindow& window) { return window.Reader(); }
    static std::int64_t Top(TMainWindow& window) { return window.Reader().GetReadingPosition(); }
    static QString Body(TMainWindow& window) { return RunScript(*window.Reader().View(), "document.body.innerText").toString(); }

    bool PageShown(TMainWindow& window, const std::string& path)
    {
        // The document's own address: the view's changes before the document does.
        const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
        return WaitFor([&] {
            const QString document =
                RunScript(*window.Reader().View(), "document.readyState == 'complete' ? document.URL : ''").toString();
            // The document may be complete a moment before the view says it has loaded.
            return QUrl(document).adjusted(QUrl::RemoveFragment) == url && !ReaderOf(window).Loading();
        });
    }
    bool ShownAt(TMainWindow& window, std::int64_t anchor)
    {
        return WaitFor([&] { return Top(window) == anchor; });
    }

    // The window as a user sees it, of a size where the book's lines fill the view.
    TMainWindow& StartShown()
    {
        TMainWindow& window = Start();
        window.resize(800, 600);
        window.show();
        return window;
    }

    void Convert(TMainWindow& window, int paragraphs = 300)
    {
        WriteFileBytes(Text, LongBook(paragraphs));
        Prompts.DialogAnswers = {Text};
        window.LoadAndConvert();
        ASSERT_TRUE(PageShown(window, PagePath));
    }

    // Scrolls as a reader does, until the anchor is at the top; the view may still
    // be laying the page out.
    bool ScrollTo(TMainWindow& window, int anchor)
    {
        QWidget* page = window.Reader().View()->View()->focusProxy();
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        if (page != nullptr)
            QApplication::sendEvent(page, &down);
        return WaitFor([&] {
            RunScript(*window.Reader().View(),
                      QString("document.getElementsByName('a%1')[0].scrollIntoView(true)").arg(anchor));
            return Top(window) == anchor;
        });
    }

    // The converted book, shown at its stored bookmark a50.
    TMainWindow& BookOpenAt50()
    {
        TMainWindow& window = StartShown();
        Convert(window);
        EXPECT_TRUE(ScrollTo(window, 50));
        window.ShowPage(PagePath); // leaves the page at 50 and shows it again
        EXPECT_EQ(StoredBookmark(PagePath), 50);
        EXPECT_TRUE(PageShown(window, PagePath));
        EXPECT_TRUE(ShownAt(window, 50));
        return window;
    }
};

TEST_F(Reader, APositionIsMeasuredWrittenAndShownAgain)
{
    TMainWindow& window = StartShown();
    Convert(window);
    ASSERT_TRUE(ScrollTo(window, 40));

    window.SaveReadingPosition();
    const std::string page = ReadFileBytes(PagePath);
    EXPECT_NE(page.find(MakeBookmarkScript(40) + "\r\n"), std::string::npos);
    EXPECT_EQ(page.find(PlainScriptLine), std::string::npos);
    EXPECT_EQ(FolderEntries(Dir.Path()), (std::vector<std::string>{"book.html", "book.txt", "verdask.con"}))
        << "no temporary file is left";

    window.ShowPage(PagePath);
    EXPECT_TRUE(ShownAt(window, 40)) << "the page opens at the paragraph left: " << Top(window);
}

TEST_F(Reader, EveryWayOfShowingThePageAgainOpensItWhereTheReaderWas)
{
    TMainWindow& window = BookOpenAt50();
    auto expectAt50 = [&](const char* way) {
        EXPECT_TRUE(PageShown(window, PagePath)) << way;
        EXPECT_TRUE(ShownAt(window, 50)) << way << ": at " << Top(window);
        EXPECT_FALSE(Body(window).contains("denied")) << way;
        EXPECT_EQ(StoredBookmark(PagePath), 50) << way;
        EXPECT_EQ(window.CurrentPage(), PagePath) << way;
    };

    Prompts.DialogAnswers = {PagePath};
    window.ReadPage();
    expectAt50("F3 on the same page");

    window.Conf().SetValue("Lastread", PagePath);
    window.ViewReadme();
    expectAt50("F1");

    window.Reader().View()->View()->triggerPageAction(QWebEnginePage::Reload);
    expectAt50("the view's Reload");

    // A link to another file, and back.
    WriteFileBytes(Dir.File("other.html"), "<HTML><BODY>the other page</BODY></HTML>");
    RunScript(*window.Reader().View(), "var a = document.createElement('a'); a.href = 'other.html';"
                                   "document.body.appendChild(a); a.click();");
    ASSERT_TRUE(PageShown(window, Dir.File("other.html")));
    EXPECT_EQ(window.CurrentPage(), PagePath) << "a link's target is not the page being read";
    window.Reader().View()->View()->triggerPageAction(QWebEnginePage::Back);
    expectAt50("Back after a link");

    {
        TStyleEditor editor(&window);
        editor.show();
        ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
        editor.ApplyToPage();
    }
    expectAt50("Apply");

    Prompts.DialogAnswers = {Text};
    Prompts.YesNoAnswers = {true}; // the page exists: replace it
    window.LoadAndConvert();
    expectAt50("F2 converting the book being read");

    // With twice the paragraphs (another layout, another indent) it is the same share of the book.
    WriteFileBytes(Text, LongBook(600));
    Prompts.DialogAnswers = {Text};
    Prompts.YesNoAnswers = {true};
    window.LoadAndConvert();
    ASSERT_TRUE(PageShown(window, PagePath));
    EXPECT_EQ(StoredBookmark(PagePath), 100);
    EXPECT_TRUE(ShownAt(window, 100)) << "at " << Top(window);
}

// Whatever the top line shows, an unmoved page keeps its bookmark: none at its
// top (the title stays in sight), and one near the end of the book, which the
// view cannot bring to the top.
TEST_F(Reader, APageLeftWhereItOpenedKeepsItsBookmarkVisitAfterVisit)
{
    TMainWindow& window = StartShown();
    Convert(window);
    const std::string other = Dir.File("other.html");
    WriteFileBytes(other, PageHeaderText(other, TViewStyle{}) + PageFooterText());
    for (const std::int64_t bookmark : {50, 0, 300}) {
        Prompts.DialogAnswers = {other};
        window.ReadPage();
        ASSERT_TRUE(PageShown(window, other));
        SaveBookmark(PagePath, bookmark);
        for (int visit = 0; visit < 3; ++visit) {
            Prompts.DialogAnswers = {PagePath};
            window.ReadPage();
            ASSERT_TRUE(PageShown(window, PagePath));
            if (bookmark == 50) {
                EXPECT_TRUE(ShownAt(window, 50)) << "visit " << visit << ": at " << Top(window);
            }
            Prompts.DialogAnswers = {other};
            window.ReadPage();
            ASSERT_TRUE(PageShown(window, other));
            EXPECT_EQ(StoredBookmark(PagePath), bookmark) << "visit " << visit;
        }
    }
    window.Exit();
}

TEST_F(Reader, NeitherALinkNorTheHomePageNorTheBuiltInPageChangesTheBookmark)
{
    TMainWindow& window = BookOpenAt50();
    WriteFileBytes(Dir.File("other.html"), "<HTML><BODY>the other page</BODY></HTML>");
    RunScript(*window.Reader().View(), "var a = document.createElement('a'); a.href = 'other.html';"
                                   "document.body.appendChild(a); a.click();");
    ASSERT_TRUE(PageShown(window, Dir.File("other.html")));
    window.SaveReadingPosition();
    EXPECT_EQ(StoredBookmark(PagePath), 50);
    QAction* back = window.Commands().Action(TCommand::Back);
    ASSERT_TRUE(back->isEnabled()) << "a link's page offers Back";
    EXPECT_TRUE(window.windowTitle().startsWith("other.html — ")) << "and says which page it is";
    back->trigger();
    ASSERT_TRUE(PageShown(window, PagePath));
    EXPECT_TRUE(ShownAt(window, 50)) << "Back from a link; it is " << Top(window);
    EXPECT_FALSE(back->isEnabled());
    EXPECT_TRUE(window.windowTitle().startsWith("book.html — "));

    window.ShowHomePage(); // no network here: the view shows an error page
    ASSERT_TRUE(WaitFor([&] { return !ReaderOf(window).Loading(); }));
    window.SaveReadingPosition();
    EXPECT_EQ(StoredBookmark(PagePath), 50);
    ASSERT_TRUE(back->isEnabled()) << "and so does the home page, or its error page";
    back->trigger();
    ASSERT_TRUE(PageShown(window, PagePath));
    EXPECT_TRUE(ShownAt(window, 50)) << "Back from the home page; it is " << Top(window);

    window.Reader().View()->Navigate("about:" + window.NoReadmePage());
    ASSERT_TRUE(WaitFor([&] { return Body(window).contains("readme.html"); }));
    window.Exit();
    EXPECT_EQ(StoredBookmark(PagePath), 50);
    EXPECT_EQ(window.Conf().GetValue("Lastread"), PagePath);
}

TEST_F(Reader, ThePlaceReadToBeforeALinkIsWhereTheBookReopens)
{
    TMainWindow& window = BookOpenAt50();
    ASSERT_TRUE(ScrollTo(window, 120));
    ASSERT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() == 120; })) << "measured once still";
    window.ShowHomePage();
    ASSERT_TRUE(WaitFor([&] { return !ReaderOf(window).Loading(); }));
    window.Exit();
    EXPECT_EQ(StoredBookmark(PagePath), 120);
}

TEST_F(Reader, ANewPageLeftBeforeItHasLoadedGetsNoBookmark)
{
    TMainWindow& window = StartShown();
    Convert(window);
    ASSERT_TRUE(ScrollTo(window, 40));
    const std::string second = Dir.File("second.txt");
    WriteFileBytes(second, LongBook(300, "Line"));
    Prompts.DialogAnswers = {second};
    window.LoadAndConvert();
    window.Exit(); // at once
    EXPECT_EQ(StoredBookmark(Dir.File("second.html")), 0);
    EXPECT_NE(ReadFileBytes(Dir.File("second.html")).find(std::string(PlainScriptLine) + "\r\n"), std::string::npos);
    EXPECT_EQ(StoredBookmark(PagePath), 40);
}

TEST_F(Reader, ApplyWritesThePlaceIntoTheRestyledPage)
{
    TMainWindow& window = BookOpenAt50();
    ASSERT_TRUE(ScrollTo(window, 120));
    {
        TStyleEditor editor(&window);
        editor.show();
        ASSERT_TRUE(WaitFor([&] { return editor.PreviewLive(); }));
        editor.ApplyToPage();
        EXPECT_EQ(editor.result(), QDialog::Accepted);
    }
    EXPECT_EQ(StoredBookmark(PagePath), 120);
    EXPECT_TRUE(ShownAt(window, 120)) << Top(window);
}

TEST_F(Reader, AFailedSaveIsToldOnceAndTheCommandGoesOn)
{
    TMainWindow& window = BookOpenAt50();
    ASSERT_TRUE(ScrollTo(window, 30));
    const std::string page = ReadFileBytes(PagePath);
    const std::string other = Dir.File("other.html");
    WriteFileBytes(other, "<HTML><BODY>the other page</BODY></HTML>");
    {
        test::TFailingFileSystem readOnly;
        readOnly.RefuseEveryNewFile();
        ReaderOf(window).UseFileSystem(readOnly);
        Prompts.DialogAnswers = {other};
        window.ReadPage();
        EXPECT_TRUE(PageShown(window, other)) << "Read went on";
        ASSERT_EQ(Prompts.Errors.size(), 1u);
        EXPECT_TRUE(Prompts.Errors[0].starts_with(BookmarkNotSavedText(window.LanguageIndex(), "")))
            << Prompts.Errors[0];
        EXPECT_NE(Prompts.Errors[0].find("Read-only file system"), std::string::npos) << Prompts.Errors[0];
        EXPECT_EQ(ReadFileBytes(PagePath), page) << "the page is as it was";

        Prompts.DialogAnswers = {PagePath};
        window.ReadPage();
        ASSERT_TRUE(ShownAt(window, 50));
        ASSERT_TRUE(ScrollTo(window, 70));
        window.Exit();
        ReaderOf(window).UseFileSystem(PlatformFileSystem());
    }
    EXPECT_EQ(Prompts.Errors.size(), 1u) << "once a page in a run";
    EXPECT_EQ(test::TemporaryFilesIn(Dir.Path()), std::vector<std::string>{});
    EXPECT_FALSE(window.isVisible()) << "the window still closes";
    EXPECT_EQ(window.Conf().GetValue("Lastread"), PagePath);
    EXPECT_EQ(ReadFileBytes(PagePath), page);
}

TEST_F(Reader, ABookReadToTheMiddleReopensThereAfterARestart)
{
    {
        TMainWindow& window = StartShown();
        Convert(window);
        ASSERT_TRUE(ScrollTo(window, 120));
        window.Exit();
        Window.reset();
    }
    EXPECT_EQ(StoredBookmark(PagePath), 120);
    TMainWindow& window = StartShown();
    EXPECT_EQ(window.CurrentPage(), PagePath) << "the page read last";
    EXPECT_TRUE(ShownAt(window, 120)) << Top(window);
    window.Exit();
    EXPECT_EQ(StoredBookmark(PagePath), 120) << "and stays there when left unread";
}

TEST_F(Reader, PagesOfOtherProgramsAreLeftAlone)
{
    TMainWindow& window = StartShown();
    const std::string foreign = CrLfLines({"<html><head><title>x</title></head>", "<body>",
                                           "<SCRIPT language=\"javascript\">function doLoad() {x();}</SCRIPT>",
                                           "<A name=a7>text</A></body></html>"});
    WriteFileBytes(PagePath, foreign);
    window.ShowPage(PagePath);
    ASSERT_TRUE(PageShown(window, PagePath));
    window.SaveReadingPosition();
    EXPECT_EQ(ReadFileBytes(PagePath), foreign);

    std::filesystem::remove(PagePath); // a current page that has gone
    window.SaveReadingPosition();
    EXPECT_FALSE(std::filesystem::exists(PagePath));
    EXPECT_TRUE(Prompts.Errors.empty());
}

TEST_F(Reader, WhatRunsLeftBesideAPageIsLookedAtOnce)
{
    TMainWindow& window = Start();
    const std::string leftover = Dir.File("VerdaskTemp._a_");
    WriteFileBytes(leftover, "the only whole copy of a page");
    // A stopped run's temporary file is garbage: removed, and the status line says so.
    WriteFileBytes(Dir.File("VerdaskTemp.0123456789ab"), "half a page");
    WriteFileBytes(PagePath, PageHeaderText(PagePath, TViewStyle{}) + "<BR><A Name=a1>Text\r\n" + PageFooterText());
    window.ShowPage(PagePath);
    ASSERT_TRUE(WaitFor([&] { return !Prompts.Messages.empty(); })) << "told once the window is up";
    ASSERT_EQ(Prompts.Messages.size(), 2u);
    EXPECT_EQ(Prompts.Messages[0], RemovedTemporaryFilesText(window.LanguageIndex(), 1, Dir.Path().string()));
    EXPECT_EQ(Prompts.Messages[1], LeftoverCopyText(window.LanguageIndex(), leftover));
    EXPECT_NE(Prompts.Messages[1].find(leftover), std::string::npos);
    ASSERT_TRUE(PageShown(window, PagePath));
    window.SaveReadingPosition();
    window.ShowPage(PagePath);
    ASSERT_TRUE(PageShown(window, PagePath));
    EXPECT_EQ(Prompts.Messages.size(), 2u) << "once a folder in a run";
    EXPECT_EQ(ReadFileBytes(leftover), "the only whole copy of a page");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("VerdaskTemp.0123456789ab")));
}

TEST_F(Reader, ALongBookPrintsIntoAPdfWithItsTextWhileTheWindowGoesOn)
{
    TMainWindow& window = StartShown();
    Convert(window, 3000);
    window.ShowPage(PagePath);
    window.Print(); // still loading: told so
    ASSERT_EQ(Prompts.Messages, std::vector<std::string>{PageStillLoadingText(window.LanguageIndex())});
    EXPECT_FALSE(ReaderOf(window).Printing());
    ASSERT_TRUE(PageShown(window, PagePath));
    window.Print(); // cancelled: nothing is printed
    EXPECT_FALSE(ReaderOf(window).Printing());
    const std::string pdf = Dir.File("book.pdf");
    Prompts.PrintTo = pdf;
    window.Print();
    EXPECT_TRUE(ReaderOf(window).Printing()) << "the command returns while the engine makes the pages";
    int ticks = 0;
    ASSERT_TRUE(WaitFor([&] { return ++ticks, !ReaderOf(window).Printing(); }, 120000));
    EXPECT_GT(ticks, 5) << "the window's events ran meanwhile";
    EXPECT_TRUE(Prompts.Errors.empty()) << Prompts.Errors.front();
    const auto text = Output("pdftotext '" + pdf + "' -");
    ASSERT_TRUE(text) << "pdftotext reads it";
    EXPECT_NE(text->find("Paragraph 1 is a long one"), std::string::npos);
    EXPECT_NE(text->find("Paragraph 3000 is a long one"), std::string::npos);
    EXPECT_EQ(test::TemporaryFilesIn(Dir.Path()), std::vector<std::string>{});
}

TEST_F(Reader, APrinterGetsTheSamePagesOneByOneAndCancelStopsIt)
{
    TMainWindow& window = StartShown();
    Convert(window, 400);
    Prompts.PrintTo = Dir.File("text.pdf");
    window.Print();
    ASSERT_TRUE(WaitFor([&] { return !ReaderOf(window).Printing(); }, 120000));
    const int pages = PdfPages(Dir.File("text.pdf"));
    ASSERT_GT(pages, 5);

    // A printer: here one that writes what it gets into a PDF file.
    auto printerInto = [&](const std::string& file) {
        auto printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(QString::fromStdString(file));
        return printer;
    };
    ReaderOf(window).Print(printerInto(Dir.File("printer.pdf")), "");
    QProgressDialog* progress = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (progress = ShownProgress(window)) != nullptr; }));
    ASSERT_TRUE(WaitFor([&] { return !ReaderOf(window).Printing(); }, 120000));
    EXPECT_EQ(PdfPages(Dir.File("printer.pdf")), pages);

    ReaderOf(window).Print(printerInto(Dir.File("cancelled.pdf")), "");
    ASSERT_TRUE(WaitFor([&] {
        progress = ShownProgress(window);
        return progress != nullptr && progress->maximum() > 0 && progress->value() >= 2;
    }, 120000));
    progress->findChild<QPushButton*>()->click();
    EXPECT_FALSE(ReaderOf(window).Printing());
    EXPECT_TRUE(Prompts.Errors.empty());

    // A job cancelled while the engine makes its pages, then another one at once.
    Prompts.PrintTo = Dir.File("again.pdf");
    ReaderOf(window).Print(printerInto(Dir.File("dropped.pdf")), Dir.File("dropped.pdf"));
    ASSERT_TRUE(WaitFor([&] { return (progress = ShownProgress(window)) != nullptr; }));
    QTest::keyClick(progress, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !ReaderOf(window).Printing(); }));
    window.Print();
    ASSERT_TRUE(WaitFor([&] { return !ReaderOf(window).Printing(); }, 120000));
    EXPECT_EQ(PdfPages(Dir.File("again.pdf")), pages);
    EXPECT_FALSE(WaitFor([&] { return std::filesystem::exists(Dir.File("dropped.pdf")); }, 500));
    EXPECT_TRUE(Prompts.Errors.empty());
}

TEST_F(Reader, ClosingWhilePrintingClosesTheWindowAndWritesTheConfiguration)
{
    TMainWindow& window = StartShown();
    Convert(window, 2000);
    Prompts.PrintTo = Dir.File("book.pdf");
    window.Print();
    ASSERT_TRUE(ReaderOf(window).Printing());
    CloseAndDestroy();
    EXPECT_NE(ReadFileBytes(ConfigPath).find("Lastread=" + PagePath), std::string::npos);
}

TEST_F(Reader, AStoppedViewIsToldOfAndItsPageIsNotReopenedAtTheNextStart)
{
    {
        TMainWindow& window = StartShown();
        Convert(window, 3000);
        window.Exit();
        Window.reset();
    }
    TMainWindow& window = StartShown();
    ASSERT_TRUE(PageShown(window, PagePath)) << "the page read last";
    // Stopped while it prints, too, once the engine is at work on the pages (the
    // engine itself aborts the program when its renderer goes at the very start).
    Prompts.PrintTo = Dir.File("book.pdf");
    window.Print();
    // Nothing tells when the engine has begun; a second is well past it. The only
    // fixed wait of the window's tests.
    WaitFor([] { return false; }, 1000);
    ASSERT_TRUE(ReaderOf(window).Printing());
    const qint64 renderer = window.Reader().View()->View()->page()->renderProcessPid();
    ASSERT_GT(renderer, 0);
    ::kill(static_cast<pid_t>(renderer), SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return Prompts.Errors.size() == 2; }));
    EXPECT_NE(Prompts.Errors[0].find(PrintFailedText(window.LanguageIndex(), "")), std::string::npos)
        << Prompts.Errors[0];
    EXPECT_EQ(Prompts.Errors[1], RendererStoppedText(window.LanguageIndex(), PagePath));
    EXPECT_FALSE(ReaderOf(window).Printing());
    EXPECT_EQ(ShownProgress(window), nullptr);
    EXPECT_EQ(window.CurrentPage(), "");
    EXPECT_EQ(std::ranges::count(window.RecentBooks(), PagePath), 0) << "nor is it among the recent books";

    window.ViewReadme(); // F1 no longer reopens it either
    EXPECT_NE(window.CurrentPage(), PagePath);
    const std::string other = Dir.File("other.html");
    WriteFileBytes(other, PageHeaderText(other, TViewStyle{}) + "<BR><A Name=a1>Text\r\n" + PageFooterText());
    window.ShowPage(other);
    EXPECT_TRUE(PageShown(window, other)) << "the view works again";
    window.Exit();
    Window.reset();
    EXPECT_EQ(ReadFileBytes(ConfigPath).find("Lastread=" + PagePath), std::string::npos);
}

TEST_F(Reader, TheAboutBoxFollowsTheLanguageAndItsLinkOpensTheHomePage)
{
    TMainWindow& window = Start();
    window.setGeometry(100, 100, 700, 500);
    window.ViewReadme();
    const std::string current = window.CurrentPage();
    {
        TAboutDialog box(&window);
        box.ShowTexts();
        EXPECT_EQ(box.VersionLine()->text().toStdString(), "Verdask Library Text Converter v. 1.4");
        EXPECT_EQ(box.HomePageLink()->text().toStdString(), std::string(HomePageAddress));
        EXPECT_EQ(box.windowTitle().toStdString(), "About...");
        EXPECT_EQ(box.size(), QSize(383, 168));
        const QRect main = window.frameGeometry();
        EXPECT_EQ(box.x(), main.width() / 2 + main.left() - box.width() / 2);
        EXPECT_EQ(box.OkButton()->x(), (383 - 75) / 2);
    }
    window.ChooseLanguage(RussianColumn);
    TAboutDialog box(&window);
    QObject::connect(&box, &TAboutDialog::HomePageRequested, &window, &TMainWindow::ShowHomePage);
    box.ShowTexts();
    EXPECT_EQ(ToWindows1251(box.VersionLine()->text()), window.Text(Row::VersionLine) + "1.4");
    EXPECT_EQ(ToWindows1251(box.windowTitle()), window.Text(Row::About));
    EXPECT_EQ(box.HomePageLink()->text().toStdString(), std::string(HomePageAddress));
    box.OpenHomePage();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_EQ(window.Reader().View()->View()->url().toString().toStdString(), std::string(HomePageAddress));
    EXPECT_EQ(window.CurrentPage(), current) << "the home page is no current page";
}


// --- The reader as a desktop reader: files from outside, keys, find, zoom, where
// you are, the books read last.

TEST_F(Reader, AFileFromOutsideOrDroppedIsConvertedOrRead)
{
    TMainWindow& window = StartShown();
    WriteFileBytes(Text, LongBook(300));
    window.OpenFile(Text);
    ASSERT_TRUE(PageShown(window, PagePath)) << "a text is loaded and converted";
    EXPECT_EQ(window.CurrentPage(), PagePath);
    EXPECT_FALSE(window.TextLoaded());
    ASSERT_TRUE(ScrollTo(window, 120));

    // A page goes to Read, and opens at its bookmark; the one left keeps its place.
    const std::string other = Dir.File("other.html");
    std::filesystem::copy_file(PagePath, other);
    SaveBookmark(other, 30); // a reader who left it with paragraph 30 at the top
    window.OpenFile(other);
    ASSERT_TRUE(PageShown(window, other));
    EXPECT_TRUE(ShownAt(window, 30)) << Top(window);
    EXPECT_EQ(StoredBookmark(PagePath), 120);

    // A drop does the same, once the drop is over.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(PagePath))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    ASSERT_TRUE(PageShown(window, PagePath));
    EXPECT_TRUE(ShownAt(window, 120)) << Top(window);
    EXPECT_FALSE(window.Reader().View()->View()->acceptDrops()) << "the view leaves drops to the window";

    // A file that is not there is told of; a page of more than 50 MB is shown
    // only when the reader says so. Neither goes among the recent books.
    const std::vector<std::string> recent = window.RecentBooks();
    const std::string missing = Dir.File("missing.html");
    window.OpenFile(missing);
    EXPECT_EQ(Prompts.Errors, std::vector<std::string>{MissingFileText(EnglishColumn, missing)});
    const std::string large = Dir.File("large.html");
    std::filesystem::resize_file((WriteFileBytes(large, ""), large), 51'000'000);
    Prompts.YesNoAnswers = {false};
    window.OpenFile(large);
    ASSERT_EQ(Prompts.Questions.size(), 1u);
    EXPECT_EQ(Prompts.Questions[0].Text, LargePageQuestion(EnglishColumn, large, 51'000'000));
    EXPECT_NE(Prompts.Questions[0].Text.find("51 MB"), std::string::npos) << Prompts.Questions[0].Text;
    EXPECT_NE(Prompts.Questions[0].Text.find("1.9 GB"), std::string::npos) << Prompts.Questions[0].Text;
    EXPECT_EQ(window.CurrentPage(), PagePath);
    EXPECT_EQ(window.RecentBooks(), recent);
}

// Answered without a window: the options, and a session with no display (where
// the window system's library would abort the program).
TEST_F(Reader, TheProgramAnswersItsOptionsAndAMissingDisplayWithoutAWindow)
{
    const struct {
        const char* Arguments;
        int Status;
        std::string Says;
    } cases[] = {
        {"--help", 0, "Usage: verdask [FILE]"},
        {"-V", 0, std::string("verdask ") + VERDASK_VERSION + "\n"},
        {"--bogus", 2, "unknown option --bogus"},
        {"", 1, "no display to show the window on"},
    };
    const std::string program = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ") + VERDASK_PROGRAM;
    const std::string out = Dir.File("out.txt");
    for (const auto& c : cases) {
        const int status = std::system((program + " " + c.Arguments + " > " + out + " 2>&1").c_str());
        EXPECT_EQ(WEXITSTATUS(status), c.Status) << c.Arguments;
        EXPECT_NE(ReadFileBytes(out).find(c.Says), std::string::npos) << c.Arguments << ": " << ReadFileBytes(out);
    }
    EXPECT_EQ(WEXITSTATUS(std::system((program + " --version > /dev/full").c_str())), 1) << "a write error";
}

TEST_F(Reader, TheProgramStartedWithAFileOpensIt)
{
    // The program as a file manager starts it, in a folder of its own.
    const std::string program = Dir.File("verdask");
    std::filesystem::copy_file(VERDASK_PROGRAM, program);
    WriteFileBytes(Text, LongBook(50));
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl(program.c_str(), program.c_str(), Text.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The page is shown as soon as it is in place, before the signal is taken.
    const bool written = WaitFor([&] { return std::filesystem::exists(PagePath); }, 60000);
    ::kill(pid, SIGTERM); // closes the window as its close box does
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(written);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by itself";
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Lastread"), PagePath) << "the page was shown";
    EXPECT_EQ(conf.GetValue("Recent 1"), PagePath);
}

TEST_F(Reader, EveryKeyRunsItsCommand)
{
    TMainWindow& window = StartShown();
    Convert(window);
    window.activateWindow();
    const auto press = [&window](QKeyCombination key) {
        QTest::keySequence(&window, QKeySequence(key));
        QCoreApplication::processEvents();
    };
    const TCommands& m = window.Commands();
    EXPECT_TRUE(m.Action(TCommand::Read)->shortcuts().contains(QKeySequence(Qt::Key_F3)));
    EXPECT_TRUE(m.Action(TCommand::Exit)->shortcuts().contains(QKeySequence(Qt::ALT | Qt::Key_X)));

    Prompts.DialogAnswers = {std::nullopt, std::nullopt};
    press(Qt::CTRL | Qt::Key_O);
    ASSERT_EQ(Prompts.OpenDialogsShown.size(), 2u);
    EXPECT_EQ(Prompts.OpenDialogsShown.back().Title, window.Text(Row::ChoosePageTitle)) << "Ctrl+O reads";
    press(Qt::CTRL | Qt::Key_L);
    ASSERT_EQ(Prompts.OpenDialogsShown.size(), 3u);
    EXPECT_EQ(Prompts.OpenDialogsShown.back().Title, window.Text(Row::ChooseTextTitle)) << "Ctrl+L loads";
    press(Qt::CTRL | Qt::Key_P);
    EXPECT_TRUE(Prompts.Messages.empty()) << "Ctrl+P asks with the print dialog, which the script cancels";
    EXPECT_FALSE(ReaderOf(window).Printing());
    press(Qt::CTRL | Qt::Key_B);
    ASSERT_NE(window.Bookshelf(), nullptr) << "Ctrl+B opens the shelf";
    window.Bookshelf()->reject();
    EXPECT_TRUE(WaitFor([&] { return window.Bookshelf() == nullptr; }));
    window.activateWindow(); // the offscreen screen gives no window the keys back by itself
    ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }));

    press(Qt::CTRL | Qt::Key_F);
    EXPECT_TRUE(ReaderOf(window).FindBar()->isVisible());
    press(Qt::CTRL | Qt::Key_Equal);
    EXPECT_EQ(ReaderOf(window).ZoomPercent(), 110);
    press(Qt::CTRL | Qt::Key_Plus);
    EXPECT_EQ(ReaderOf(window).ZoomPercent(), 125);
    press(Qt::CTRL | Qt::Key_Minus);
    EXPECT_EQ(ReaderOf(window).ZoomPercent(), 110);
    press(Qt::CTRL | Qt::Key_0);
    EXPECT_EQ(ReaderOf(window).ZoomPercent(), 100);

    // Mnemonics in both languages: each letter once in each menu.
    for (const int language : {EnglishColumn, RussianColumn}) {
        window.ChooseLanguage(language);
        for (QMenu* menu : window.menuBar()->findChildren<QMenu*>()) {
            std::set<QChar> letters;
            for (QAction* item : menu->actions()) {
                const QString text = item->text();
                const qsizetype at = text.indexOf('&');
                if (item->isSeparator() || menu == m.Menu(TMenu::Language) || menu == m.Menu(TMenu::RecentBooks))
                    continue;
                ASSERT_GE(at, 0) << text.toStdString();
                EXPECT_TRUE(letters.insert(text.at(at + 1).toLower()).second) << text.toStdString();
            }
        }
    }

    // In Russian, Alt and the Latin key of a menu's letter opens it too (Ф is on A).
    for (const auto& [key, menu] : {std::pair{Qt::Key_A, TMenu::File}, {Qt::Key_D, TMenu::View}}) {
        press(Qt::ALT | key);
        EXPECT_TRUE(WaitFor([&, menu = menu] { return m.Menu(menu)->isVisible(); }))
            << m.Menu(menu)->title().toStdString();
        QTest::keyClick(m.Menu(menu), Qt::Key_Escape);
        QTest::keyClick(m.Menu(menu), Qt::Key_Escape);
    }

    press(Qt::CTRL | Qt::Key_Q);
    EXPECT_TRUE(WaitFor([&] { return !window.isVisible(); })) << "Ctrl+Q exits";
}

TEST_F(Reader, GoToTakesTheReaderToAShareOrAParagraphAndBackReturns)
{
    TMainWindow& window = BookOpenAt50();
    ASSERT_TRUE(WaitFor([&] { return ReaderOf(window).ParagraphCount() == 300; }));
    TGoToField& field = *window.Views().GoToField();
    for (const auto& [typed, paragraph] : {std::pair{"40%", 120}, {"200", 200}}) {
        const std::int64_t before = ReaderOf(window).ShownParagraph();
        window.Commands().Action(TCommand::GoTo)->trigger();
        EXPECT_TRUE(field.hasFocus() || !window.isActiveWindow());
        field.setText(typed);
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_TRUE(ShownAt(window, paragraph)) << typed << ": at " << Top(window);
        EXPECT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() == paragraph; })) << typed;
        EXPECT_TRUE(field.text().isEmpty());
        window.Commands().Action(TCommand::Back)->trigger();
        EXPECT_TRUE(ShownAt(window, before)) << "Back from " << typed << ": at " << Top(window);
        window.Commands().Action(TCommand::Forward)->trigger();
        EXPECT_TRUE(ShownAt(window, paragraph));
    }
    // The end of the book cannot come to the top: the place is what does.
    window.Commands().Action(TCommand::GoTo)->trigger();
    field.setText("300");
    QTest::keyClick(&field, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return Top(window) > 250; }));
    EXPECT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() == Top(window); }))
        << ReaderOf(window).ShownParagraph() << " shown, " << Top(window) << " at the top";
    EXPECT_LT(Top(window), 300);
    window.Commands().Action(TCommand::Back)->trigger();
    EXPECT_TRUE(ShownAt(window, 200));
    window.Exit();
    EXPECT_EQ(StoredBookmark(PagePath), 200);
}

// Tab moves between the window's parts, never to the page's links: the footer
// link would take the book to its end.
TEST_F(Reader, TabMovesBetweenTheWindowsPartsAndNeverMovesTheBook)
{
    TMainWindow& window = BookOpenAt50();
    QApplication::setActiveWindow(&window);
    QWidget* page = window.Reader().View()->View();
    EXPECT_TRUE(WaitFor([&] { return page->hasFocus(); })) << "the page has the keys from the start";
    for (const bool contents : {false, true}) {
        window.Commands().Action(TCommand::Contents)->setChecked(contents);
        page->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(WaitFor([&] { return page->hasFocus(); }));
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Tab, Qt::Key_Tab}) {
            QTest::keyClick(QApplication::focusWidget(), key);
            EXPECT_FALSE(WaitFor([&] { return Top(window) != 50; }, 700))
                << (contents ? "with" : "without") << " the contents: at " << Top(window);
        }
        if (contents) {
            page->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_TRUE(ReaderOf(window).Contents()->hasFocus()) << "the page, then the contents";
        }
    }
    window.Exit();
    EXPECT_EQ(StoredBookmark(PagePath), 50);
}

TEST_F(Reader, FindCountsAndMovesBetweenMatchesInAnyLetterCase)
{
    TMainWindow& window = StartShown();
    WriteFileBytes(Text, test::Recoded(LongBook(40, "Ёлка"), "UTF-8", "CP1251"));
    Prompts.DialogAnswers = {Text};
    window.LoadAndConvert();
    ASSERT_TRUE(PageShown(window, PagePath));
    TFindBar& bar = *ReaderOf(window).FindBar();
    window.Commands().Action(TCommand::Find)->trigger();
    ASSERT_TRUE(bar.isVisible());
    EXPECT_TRUE(bar.Field()->hasFocus() || !window.isActiveWindow());
    auto counted = [&](const std::string& text) {
        return WaitFor([&] { return bar.Count()->text().toStdString() == text; });
    };

    bar.Field()->setText(QString::fromUtf8("ёЛКА"));
    EXPECT_TRUE(counted(MatchesText(EnglishColumn, 1, 40))) << bar.Count()->text().toStdString();
    QTest::keyClick(bar.Field(), Qt::Key_Return);
    EXPECT_TRUE(counted(MatchesText(EnglishColumn, 2, 40)));
    QTest::keyClick(bar.Field(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(counted(MatchesText(EnglishColumn, 1, 40)));
    QTest::keyClick(bar.Field(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(counted(MatchesText(EnglishColumn, 40, 40) + " · " + FindWrappedText(EnglishColumn, true)))
        << "back from the first to the last: " << bar.Count()->text().toStdString();
    QTest::keyClick(bar.Field(), Qt::Key_Return);
    EXPECT_TRUE(counted(MatchesText(EnglishColumn, 1, 40) + " · " + FindWrappedText(EnglishColumn, false)));
    bar.Field()->setText("no such words");
    EXPECT_TRUE(counted(MatchesText(EnglishColumn, 0, 0)));
    QTest::keyClick(bar.Field(), Qt::Key_Escape);
    EXPECT_FALSE(bar.isVisible());
    EXPECT_TRUE(window.Reader().View()->View()->hasFocus() || !window.isActiveWindow());
}

// A find begins at the reader's place. While the bar is open a match is only
// shown: Escape, or leaving with the bar open, keeps the place the find began at;
// the close button takes the match, and Back returns from it.
TEST_F(Reader, AFindBeginsAtTheReadersPlaceAndOnlyATakenMatchMovesIt)
{
    TMainWindow& window = BookOpenAt50();
    ASSERT_TRUE(ScrollTo(window, 120));
    ASSERT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() == 120; }));
    TFindBar& bar = *ReaderOf(window).FindBar();
    auto counted = [&](int active, int matches) {
        return WaitFor([&] { return bar.Count()->text().toStdString() == MatchesText(EnglishColumn, active, matches); });
    };
    auto find = [&](const char* text) {
        window.Commands().Action(TCommand::Find)->trigger();
        bar.Field()->setText(text);
    };

    find("Paragraph");
    EXPECT_TRUE(counted(120, 300)) << "from the place on: " << bar.Count()->text().toStdString();
    find("no such words");
    EXPECT_TRUE(counted(0, 0));
    EXPECT_TRUE(ShownAt(window, 120)) << "no match leaves the view at the place; it is " << Top(window);
    find("Paragraph 250 ");
    EXPECT_TRUE(counted(1, 1));
    EXPECT_TRUE(WaitFor([&] { return Top(window) > 240; })) << Top(window);
    QTest::keyClick(bar.Field(), Qt::Key_Escape);
    EXPECT_TRUE(ShownAt(window, 120)) << "Escape: back at the place; it is " << Top(window);
    window.SaveReadingPosition();
    EXPECT_EQ(StoredBookmark(PagePath), 120);

    find("Paragraph 250 is");
    EXPECT_TRUE(counted(1, 1));
    EXPECT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() > 240; }))
        << "the status line follows what is shown: " << ReaderOf(window).ShownParagraph();
    window.SaveReadingPosition();
    EXPECT_EQ(StoredBookmark(PagePath), 120) << "a match only shown is no place";
    bar.findChildren<QToolButton*>().back()->click(); // the close button: the match is taken
    EXPECT_FALSE(bar.isVisible());
    EXPECT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() > 240; }))
        << ReaderOf(window).ShownParagraph();
    const std::int64_t taken = ReaderOf(window).ShownParagraph();
    window.Commands().Action(TCommand::Back)->trigger();
    EXPECT_TRUE(ShownAt(window, 120)) << "Back from the match; it is " << Top(window);
    window.Commands().Action(TCommand::Forward)->trigger();
    EXPECT_TRUE(ShownAt(window, taken)) << "and Forward to it; it is " << Top(window);

    find("Paragraph 30 ");
    EXPECT_TRUE(counted(1, 1));
    window.Exit(); // with the bar open
    EXPECT_EQ(StoredBookmark(PagePath), taken) << "leaving keeps the place the find began at";
}

TEST_F(Reader, AZoomKeepsTheTopParagraphAndSurvivesARestart)
{
    TMainWindow& window = BookOpenAt50();
    ASSERT_TRUE(WaitFor([&] { return ReaderOf(window).ParagraphCount() == 300; }));
    EXPECT_TRUE(WaitFor([&] {
        return window.Views().PositionLabel()->text().toStdString() == PositionText(EnglishColumn, 50, 300);
    })) << window.Views().PositionLabel()->text().toStdString();

    window.Commands().Action(TCommand::ZoomIn)->trigger();
    window.Commands().Action(TCommand::ZoomIn)->trigger();
    EXPECT_EQ(ReaderOf(window).ZoomPercent(), 125);
    // The page has its new zoom once its CSS pixels have grown.
    EXPECT_TRUE(WaitFor([&] { return RunScript(*window.Reader().View(), "window.devicePixelRatio").toDouble() == 1.25; }));
    EXPECT_TRUE(ShownAt(window, 50)) << "the top paragraph stays; it is " << Top(window);
    ASSERT_TRUE(ScrollTo(window, 80));
    EXPECT_TRUE(WaitFor([&] {
        return window.Views().PositionLabel()->text().toStdString() == PositionText(EnglishColumn, 80, 300);
    })) << "the status follows the reader";

    CloseAndDestroy();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Zoom"), "125");
    TMainWindow& again = StartShown();
    EXPECT_EQ(ReaderOf(again).ZoomPercent(), 125);
    ASSERT_TRUE(PageShown(again, PagePath)) << "the book read last";
    EXPECT_TRUE(WaitFor([&] { return RunScript(*again.Reader().View(), "window.devicePixelRatio").toDouble() == 1.25; }));
    EXPECT_TRUE(ShownAt(again, 80)) << "at its place, in its zoom; it is " << Top(again);
    ASSERT_TRUE(ScrollTo(again, 100));
    EXPECT_TRUE(WaitFor([&] { return ReaderOf(again).ShownParagraph() == 100; }))
        << "the page opened at the start is measured; " << ReaderOf(again).ShownParagraph();
    EXPECT_EQ(again.windowTitle().toStdString(), "book.html — Verdask's Library Text Converter");
}

// The engine's zoom and the view's real size may reach a page after its own
// doLoad has taken it to its bookmark (at start, the page loads before the window
// is shown); the engine keeps a place through a resize, but not through a zoom.
TEST_F(Reader, APageKeepsThePlaceItOpenedAtThroughLateLayoutsUntilTheReaderMoves)
{
    TMainWindow& window = BookOpenAt50();
    window.Reader().View()->SetZoom(1.5);
    EXPECT_TRUE(WaitFor([&] { return RunScript(*window.Reader().View(), "window.devicePixelRatio").toDouble() == 1.5; }));
    EXPECT_TRUE(ShownAt(window, 50)) << "through a zoom; it is " << Top(window);
    const auto pageWidth = [&] { return RunScript(*window.Reader().View(), "window.innerWidth").toInt(); };
    const int wide = pageWidth();
    window.resize(330, 260);
    ASSERT_TRUE(WaitFor([&] { return pageWidth() < wide; })) << "the page is laid out narrow";
    const int narrow = pageWidth();
    window.resize(800, 600);
    ASSERT_TRUE(WaitFor([&] { return pageWidth() > narrow; })) << "and wide again";
    EXPECT_TRUE(ShownAt(window, 50)) << "through a squeeze; it is " << Top(window);

    ASSERT_TRUE(ScrollTo(window, 120));
    EXPECT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() == 120; }));
    const int before = pageWidth();
    window.resize(700, 600);
    ASSERT_TRUE(WaitFor([&] { return pageWidth() < before; }));
    EXPECT_FALSE(WaitFor([&] { return Top(window) != 120; }, 1000))
        << "the reader's own place is not taken back; it is " << Top(window);
}

TEST_F(Reader, TheRecentBooksKeepTheirOrderAndLeaveOutMissingFiles)
{
    TMainWindow& window = StartShown();
    Convert(window, 20);
    std::vector<std::string> pages;
    for (const char* name : {"a.html", "b.html", "c.html"}) {
        pages.push_back(Dir.File(name));
        std::filesystem::copy_file(PagePath, pages.back());
        window.OpenFile(pages.back());
    }
    EXPECT_EQ(window.RecentBooks(), (std::vector<std::string>{pages[2], pages[1], pages[0], PagePath}));
    window.OpenFile(pages[0]);
    EXPECT_EQ(window.RecentBooks(), (std::vector<std::string>{pages[0], pages[2], pages[1], PagePath}));

    std::filesystem::remove(pages[2]);
    QMenu& recent = *window.Commands().Menu(TMenu::RecentBooks);
    emit recent.aboutToShow();
    std::vector<std::string> offered;
    for (QAction* item : recent.actions())
        offered.push_back(item->toolTip().toStdString());
    EXPECT_EQ(offered, (std::vector<std::string>{pages[0], pages[1], PagePath})) << "a missing file is left out";
    recent.actions().at(1)->trigger();
    ASSERT_TRUE(PageShown(window, pages[1])) << "chosen, it is read";

    CloseAndDestroy();
    TConf conf = StoredConfig();
    EXPECT_EQ(RecentBooks(conf), (std::vector<std::string>{pages[1], pages[0], pages[2], PagePath}));
    const auto& lines = conf.Lines();
    const auto lastRead = std::find(lines.begin(), lines.end(), "Lastread=" + pages[1]);
    ASSERT_NE(lastRead, lines.end());
    EXPECT_EQ(*std::next(lastRead), "Recent 1=" + pages[1]) << "after Lastread";

    // Eleven books keep ten.
    std::vector<std::string> many;
    for (int i = 0; i < 11; ++i)
        many = WithRecentBook(many, "/books/" + std::to_string(i) + ".html");
    EXPECT_EQ(many.size(), RecentBookCount);
    EXPECT_EQ(many.front(), "/books/10.html");
    EXPECT_EQ(many.back(), "/books/1.html");
}


TEST_F(Reader, ThemesAndMarginsChangeTheViewNotThePageAndKeepThePlace)
{
    TMainWindow& window = BookOpenAt50();
    const std::string page = ReadFileBytes(PagePath);
    const auto shown = [&](const char* expression) { return RunScript(*window.Reader().View(), expression).toString(); };
    const auto background = [&] { return shown("getComputedStyle(document.body).backgroundColor"); };
    const QString own = background();

    window.Commands().Action(TCommand::ThemeNight)->trigger();
    EXPECT_TRUE(WaitFor([&] { return background() == "rgb(32, 36, 40)"; })) << background().toStdString();
    QTest::keyClick(&window, Qt::Key_F8);
    EXPECT_TRUE(WaitFor([&] { return background() == "rgb(244, 236, 216)"; })) << "F8: the next theme, Sepia";
    EXPECT_TRUE(window.Commands().Action(TCommand::ThemeSepia)->isChecked());

    // Wide margins lay the page out anew, and the paragraph at the top stays there.
    const auto marginShare = [&] {
        return shown("String(parseFloat(getComputedStyle(document.body).marginLeft) / window.innerWidth)").toDouble();
    };
    EXPECT_NEAR(marginShare(), 0.03, 0.005) << "narrow by default";
    window.Commands().Action(TCommand::MarginsWide)->trigger();
    EXPECT_TRUE(WaitFor([&] { return std::abs(marginShare() - 0.08) < 0.005; })) << marginShare();
    EXPECT_TRUE(ShownAt(window, 50)) << "at " << Top(window);
    QTest::keyClick(&window, Qt::Key_F8);
    EXPECT_TRUE(WaitFor([&] { return background() == own; })) << "the page's own colours again";
    QTest::keyClick(&window, Qt::Key_F8);
    EXPECT_TRUE(WaitFor([&] { return background() == "rgb(255, 255, 255)"; })) << "Day";

    // Another program's page keeps its own look.
    const std::string other = Dir.File("other.html");
    WriteFileBytes(other, "<HTML><BODY>the other page</BODY></HTML>");
    Prompts.DialogAnswers = {other};
    window.ReadPage();
    ASSERT_TRUE(PageShown(window, other));
    EXPECT_EQ(background().toStdString(), "rgba(0, 0, 0, 0)");

    CloseAndDestroy();
    std::string written = ReadFileBytes(PagePath);
    EXPECT_EQ(written, page) << "the page's file is not touched";
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Theme"), "Day");
    EXPECT_EQ(conf.GetValue("Margins"), "8");
    TMainWindow& again = StartShown();
    EXPECT_EQ(ReaderOf(again).Look(), (TReaderLook{TTheme::Day, WideMargins}));
    EXPECT_TRUE(again.Commands().Action(TCommand::MarginsWide)->isChecked());
}

TEST_F(Reader, AJustifiedPageIsHyphenatedInTheViewAloneAndKeepsItsPlace)
{
    // A narrow justified page of Russian paragraphs, read at paragraph 50.
    TViewStyle style;
    style.Justification = true;
    style.TextWidth = 40;
    style.FontSize = 16;
    std::string body;
    for (int i = 1; i <= 300; ++i)
        body += (i == 1 ? "" : "</A>") + std::string("<BR><A Name=a") + std::to_string(i) +
                ">&nbsp;&nbsp;&nbsp;&nbsp;Абзац " + std::to_string(i) +
                ": его превосходительство рассматривал переменчивую погоду и высокопревосходительство"
                " неподвижно стояло у окна.\r\n";
    std::string page = PageHeaderText(PagePath, style) + test::Recoded(body, "UTF-8", "CP1251") + PageFooterText();
    page.replace(page.find(PlainScriptLine), PlainScriptLine.size(), MakeBookmarkScript(50));
    WriteFileBytes(PagePath, page);
    TMainWindow& window = StartShown();
    window.OpenFile(PagePath);
    ASSERT_TRUE(PageShown(window, PagePath));
    TWebView& view = *window.Reader().View();
    // Every paragraph gets its soft hyphens, the last ones in the background.
    const QString lastHyphenated = QString::fromUtf8(
        "document.getElementsByName('a300')[0].textContent.indexOf('пе\u00ADре') >= 0");
    ASSERT_TRUE(WaitFor([&] { return RunScript(view, lastHyphenated).toBool(); }));
    EXPECT_TRUE(ShownAt(window, 50)) << "the place is kept while the text reflows; at " << Top(window);

    // The long word breaks at one of its hyphen points rather than standing out of its column.
    const QString wordLines = QString::fromUtf8(
        "(function () { var a = document.getElementsByName('a50')[0], node = a.firstChild;"
        " while (node && node.nodeType != Node.TEXT_NODE) node = node.nextSibling;"
        " var word = 'вы\u00ADсо\u00ADко\u00ADпре\u00ADвос\u00ADхо\u00ADди\u00ADтель\u00ADство';"
        " var at = node.data.indexOf('вы\u00ADсо'); if (at < 0) return -1;"
        " var end = at; while (end < node.data.length && /[\u0430-\u044F\u00AD]/.test(node.data[end])) ++end;"
        " var r = document.createRange(); r.setStart(node, at); r.setEnd(node, end);"
        " var tops = new Set(); for (var b of r.getClientRects()) tops.add(Math.round(b.top)); return tops.size; })()");
    EXPECT_GE(RunScript(view, wordLines).toInt(), 2);

    // Copying gives the text without its soft hyphens.
    QGuiApplication::clipboard()->clear();
    RunScript(view, "window.getSelection().selectAllChildren(document.getElementsByName('a50')[0])");
    view.View()->page()->triggerAction(QWebEnginePage::Copy);
    ASSERT_TRUE(WaitFor([] { return !QGuiApplication::clipboard()->text().isEmpty(); }));
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_FALSE(copied.contains(QChar(0x00AD)));
    EXPECT_TRUE(copied.contains(QString::fromUtf8("высокопревосходительство"))) << copied.toStdString();

    window.Commands().Action(TCommand::Hyphenation)->trigger();
    EXPECT_TRUE(WaitFor([&] { return !RunScript(view, "document.body.textContent.indexOf('\\u00AD') >= 0").toBool(); }))
        << "View > Hyphenation off takes them out";
    EXPECT_TRUE(ShownAt(window, 50)) << "at " << Top(window);
    CloseAndDestroy();
    EXPECT_EQ(ReadFileBytes(PagePath), page) << "the page's file never gets them";
    EXPECT_EQ(StoredConfig().GetValue("Hyphenation"), "No");
}

TEST_F(Reader, TheContentsPanelTakesTheReaderToAHeadingAndFollowsTheReading)
{
    std::vector<std::string> lines = {"Автор", "Книга", "", "ЧАСТЬ ПЕРВАЯ", "ГЛАВА I", ""};
    const std::string paragraph = " — абзац, в котором довольно слов, чтобы занять всю ширину окна и не одну строку.";
    for (int i = 1; i <= 60; ++i)
        lines.push_back("     Первый " + std::to_string(i) + paragraph);
    lines.insert(lines.end(), {"", "ГЛАВА II", "", "- Так начинается вторая глава, - сказал он."});
    for (int i = 1; i <= 60; ++i)
        lines.push_back("     Второй " + std::to_string(i) + paragraph);
    // The last chapter has no paragraph marks of its own: it is found by its line.
    lines.insert(lines.end(), {"", "ГЛАВА III", ""});
    for (int i = 1; i <= 60; ++i)
        lines.push_back("Третий " + std::to_string(i) + paragraph);
    WriteFileBytes(Text, test::Recoded(CrLfLines(lines), "UTF-8", "CP1251"));
    TMainWindow& window = StartShown();
    Prompts.DialogAnswers = {Text};
    window.LoadAndConvert();
    ASSERT_TRUE(PageShown(window, PagePath));
    const std::string page = ReadFileBytes(PagePath);

    TContentsPanel& panel = *ReaderOf(window).Contents();
    EXPECT_FALSE(panel.isVisible());
    QTest::keySequence(&window, QKeySequence(Qt::Key_F9));
    ASSERT_TRUE(panel.isVisible());
    ASSERT_EQ(panel.Headings().size(), 5u);
    const THeading second = panel.Headings()[3];
    EXPECT_EQ(Windows1251ToUtf8(second.Text), "ГЛАВА II");
    EXPECT_EQ(second.Anchor, 61);

    // A click on a chapter brings it to the top: its first paragraph is the first there.
    panel.expandAll();
    QTreeWidgetItem* item = panel.findItems(QString::fromUtf8("ГЛАВА II"), Qt::MatchExactly | Qt::MatchRecursive).at(0);
    ASSERT_TRUE(WaitFor([&] { return panel.visualItemRect(item).isValid(); }));
    EXPECT_GE(panel.width(), 100) << "the panel has a width of its own";
    QTest::mouseClick(panel.viewport(), Qt::LeftButton, {}, panel.visualItemRect(item).center());
    // The heading's line stands at the top of the view (the page holds it in the
    // paragraph before it, so that is where the reader is).
    const auto headingTop = [&](const char* heading) {
        return RunScript(*window.Reader().View(),
                         QString::fromUtf8("(function(h) { var w = document.createTreeWalker(document.body, "
                                           "NodeFilter.SHOW_TEXT);"
                                           " while (w.nextNode()) if (w.currentNode.textContent.trim() == h) {"
                                           " var r = document.createRange(); r.selectNodeContents(w.currentNode);"
                                           " return Math.round(r.getBoundingClientRect().top); } return -1; })('%1')")
                             .arg(QString::fromUtf8(heading)))
            .toInt();
    };
    EXPECT_TRUE(WaitFor([&] { return std::abs(headingTop("ГЛАВА II")) <= 2; })) << headingTop("ГЛАВА II");
    EXPECT_TRUE(ShownAt(window, 60));
    // The place is the chapter's first paragraph until the reader moves, and its
    // heading is the one marked.
    EXPECT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() == 61 && panel.Marked() == 3; }))
        << ReaderOf(window).ShownParagraph() << " " << panel.Marked();
    window.Commands().Action(TCommand::Back)->trigger();
    EXPECT_TRUE(ShownAt(window, 0)) << "Back where the reader was; it is " << Top(window);
    ASSERT_TRUE(window.Commands().Action(TCommand::Forward)->isEnabled());
    window.Commands().Action(TCommand::Forward)->trigger();
    EXPECT_TRUE(WaitFor([&] { return ReaderOf(window).ShownParagraph() == 61; }))
        << "Forward to the chapter again; it is " << ReaderOf(window).ShownParagraph();
    ASSERT_TRUE(ScrollTo(window, 20));
    panel.setCurrentItem(item);
    QTest::keyClick(&panel, Qt::Key_Return);
    EXPECT_TRUE(ShownAt(window, 60)) << "Enter on a heading goes to it; it is " << Top(window);
    ASSERT_TRUE(ScrollTo(window, 70));
    EXPECT_TRUE(WaitFor([&] { return panel.Marked() == 3; })) << "the chapter being read is marked";
    ASSERT_TRUE(ScrollTo(window, 20));
    EXPECT_TRUE(WaitFor([&] { return panel.Marked() == 2; })) << panel.Marked();
    QTreeWidgetItem* last = panel.findItems(QString::fromUtf8("ГЛАВА III"), Qt::MatchExactly | Qt::MatchRecursive).at(0);
    panel.setCurrentItem(last);
    QTest::keyClick(&panel, Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return std::abs(headingTop("ГЛАВА III")) <= 2; }))
        << "after the last paragraph mark, the heading's own line comes to the top: " << headingTop("ГЛАВА III");
    EXPECT_EQ(ReaderOf(window).ShownParagraph(), 120);
    EXPECT_EQ(ReadFileBytes(PagePath), page) << "the panel never writes the page";

    CloseAndDestroy();
    TConf conf = StoredConfig();
    EXPECT_EQ(conf.GetValue("Contents"), "Yes");
    TMainWindow& again = StartShown();
    EXPECT_TRUE(ReaderOf(again).Contents()->isVisible()) << "remembered";
    EXPECT_TRUE(again.Commands().Action(TCommand::Contents)->isChecked());
    EXPECT_EQ(ReaderOf(again).Contents()->Headings().size(), 5u);
}

} // namespace
} // namespace verdask
