#include "shell/About.h"
#include "shell/Main.h"

#include "WindowTestSupport.h"
#include "conversion/Bookmark.h"
#include "shell/InterfaceText.h"
#include "shell/Text.h"
#include "shell/WebView.h"
#include "style/PageFrame.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QWebEngineView>

#include <gtest/gtest.h>

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
std::string LongBook(int paragraphs)
{
    std::vector<std::string> lines = {"Author", "Title"};
    for (int i = 1; i <= paragraphs; ++i)
        lines.push_back("     Paragraph " + std::to_string(i) +
                        " is a long one, with enough words in it to run across the whole width of the view and "
                        "over several lines, so that a probe in the middle meets its text wherever it looks.");
    return CrLfLines(lines);
}

struct Reader : ::testing::Test, TWindowFixture {
    std::string Text = Dir.File("book.txt");
    std::string PagePath = Dir.File("book.html");

    Reader() { WriteConfig(test::DefaultConfigLines()); }

    bool PageShown(TMainForm& form, const std::string& path)
    {
        return WaitFor([&] {
            return form.WebBrowser1()->View()->url() == QUrl::fromLocalFile(QString::fromStdString(path)) &&
                   RunScript(*form.WebBrowser1(), "document.readyState").toString() == "complete";
        });
    }

    // The window as a user sees it, of a size where the book's lines fill the view.
    TMainForm& StartShown()
    {
        TMainForm& form = Start();
        form.resize(800, 600);
        form.show();
        return form;
    }

    void Convert(TMainForm& form)
    {
        WriteFileBytes(Text, LongBook(300));
        Prompts.DialogAnswers = {Text};
        form.Loadconvertandsave1Click();
        ASSERT_TRUE(PageShown(form, PagePath));
    }

    // Scrolls until the anchor is at the top; the view may still be laying the page out.
    bool ScrollTo(TMainForm& form, int anchor)
    {
        return WaitFor([&] {
            RunScript(*form.WebBrowser1(),
                      QString("document.getElementsByName('a%1')[0].scrollIntoView(true)").arg(anchor));
            return form.GetReadingPosition() == anchor;
        });
    }
};

TEST_F(Reader, APositionIsMeasuredWrittenAndShownAgain)
{
    TMainForm& form = StartShown();
    Convert(form);
    ASSERT_TRUE(ScrollTo(form, 40));

    form.SaveReadingPosition();
    const std::string page = ReadFileBytes(PagePath);
    EXPECT_NE(page.find(MakeBookmarkScript(40) + "\r\n"), std::string::npos);
    EXPECT_EQ(page.find(PlainScriptLine), std::string::npos);
    EXPECT_EQ(FolderEntries(Dir.Path()), (std::vector<std::string>{"book.html", "book.txt", "verdask.con"}))
        << "no temporary file is left";

    form.ShowPage(PagePath);
    EXPECT_TRUE(WaitFor([&] { return form.GetReadingPosition() == 39; }))
        << "the page opens one paragraph before: " << form.GetReadingPosition();

    // Another program's page in the view: its position, none, is written into the current page.
    form.WebBrowser1()->Navigate("about:<HTML><BODY>another page</BODY></HTML>");
    ASSERT_TRUE(WaitFor([&] { return form.GetReadingPosition() == 0; }));
    form.SaveReadingPosition();
    EXPECT_NE(ReadFileBytes(PagePath).find(std::string(PlainScriptLine) + "\r\n"), std::string::npos);
}

TEST_F(Reader, ABookReadToTheMiddleReopensThereAfterARestart)
{
    {
        TMainForm& form = StartShown();
        Convert(form);
        ASSERT_TRUE(ScrollTo(form, 120));
        form.Exit1Click();
        Form.reset();
    }
    EXPECT_NE(ReadFileBytes(PagePath).find(MakeBookmarkScript(120)), std::string::npos);
    TMainForm& form = StartShown();
    EXPECT_EQ(form.CurrentPage(), PagePath) << "the page read last";
    EXPECT_TRUE(WaitFor([&] { return form.GetReadingPosition() == 119; })) << form.GetReadingPosition();
}

TEST_F(Reader, AFailedSaveAtCloseIsReportedAndTheWindowStillCloses)
{
    TMainForm& form = StartShown();
    Convert(form);
    ASSERT_TRUE(ScrollTo(form, 30));
    const std::string page = ReadFileBytes(PagePath);
    {
        const test::TFileSizeLimit fullDisk(page.size() / 2); // the rewritten page cannot be written
        form.Exit1Click();
    }
    ASSERT_EQ(Prompts.Errors.size(), 1u);
    EXPECT_TRUE(Prompts.Errors[0].starts_with("I/O error on file " + PagePath + ": File too large"))
        << Prompts.Errors[0];
    EXPECT_EQ(test::TemporaryFilesIn(Dir.Path()), std::vector<std::string>{});
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Conf().GetValue("Lastread"), PagePath);
    EXPECT_EQ(ReadFileBytes(PagePath), page) << "the page is as it was";
}

TEST_F(Reader, PagesOfOtherProgramsAreLeftAlone)
{
    TMainForm& form = Start();
    const std::string foreign = CrLfLines({"<html><head><title>x</title></head>", "<body>",
                                           "<SCRIPT language=\"javascript\">function doLoad() {x();}</SCRIPT>",
                                           "text</body></html>"});
    WriteFileBytes(PagePath, foreign);
    form.ShowPage(PagePath);
    ASSERT_TRUE(PageShown(form, PagePath));
    form.SaveReadingPosition();
    EXPECT_EQ(ReadFileBytes(PagePath), foreign);

    std::filesystem::remove(PagePath); // a current page that has gone
    form.SaveReadingPosition();
    EXPECT_FALSE(std::filesystem::exists(PagePath));
    EXPECT_TRUE(Prompts.Errors.empty());
}

TEST_F(Reader, AFileAnEarlierVersionLeftBesideAPageIsToldOfOnceAndLeftAlone)
{
    TMainForm& form = Start();
    const std::string leftover = Dir.File("VerdaskTemp._a_");
    WriteFileBytes(leftover, "the only whole copy of a page");
    WriteFileBytes(PagePath, PageHeaderText(PagePath, TViewStyle{}) + "<BR><A Name=a1>Text\r\n" + PageFooterText());
    form.ShowPage(PagePath);
    ASSERT_TRUE(WaitFor([&] { return !Prompts.Messages.empty(); })) << "told once the window is up";
    ASSERT_EQ(Prompts.Messages.size(), 1u);
    EXPECT_EQ(Prompts.Messages[0], LeftoverCopyText(form.LanguageIndex(), leftover));
    EXPECT_NE(Prompts.Messages[0].find(leftover), std::string::npos);
    ASSERT_TRUE(PageShown(form, PagePath));
    form.SaveReadingPosition();
    form.ShowPage(PagePath);
    ASSERT_TRUE(PageShown(form, PagePath));
    EXPECT_EQ(Prompts.Messages.size(), 1u) << "once a folder in a run";
    EXPECT_EQ(ReadFileBytes(leftover), "the only whole copy of a page");
}

TEST_F(Reader, PrintingGoesThroughThePrintDialog)
{
    TMainForm& form = Start();
    WriteFileBytes(PagePath, PageHeaderText(PagePath, TViewStyle{}) + "<BR><A Name=a1>Text\r\n" + PageFooterText());
    form.ShowPage(PagePath);
    ASSERT_TRUE(PageShown(form, PagePath));
    form.Print1Click(); // cancelled: nothing is printed
    Prompts.PrintTo = Dir.File("out.pdf");
    form.Print1Click();
    EXPECT_TRUE(ReadFileBytes(Dir.File("out.pdf")).starts_with("%PDF"));
}

TEST_F(Reader, TheAboutBoxFollowsTheLanguageAndItsLinkOpensTheHomePage)
{
    TMainForm& form = Start();
    form.setGeometry(100, 100, 700, 500);
    form.Viewreadmefile1Click();
    const std::string current = form.CurrentPage();
    {
        TAboutForm box(&form);
        box.FormShow();
        EXPECT_EQ(box.Label1()->text().toStdString(), "Verdask Library Text Converter v. 1.4");
        EXPECT_EQ(box.Label3()->text().toStdString(), std::string(HomePageAddress));
        EXPECT_EQ(box.windowTitle().toStdString(), "About...");
        EXPECT_EQ(box.size(), QSize(383, 168));
        const QRect main = form.frameGeometry();
        EXPECT_EQ(box.x(), main.width() / 2 + main.left() - box.width() / 2);
        EXPECT_EQ(box.Button1()->x(), (383 - 75) / 2);
    }
    form.Russian1Click(form.Menu().Russian1);
    TAboutForm box(&form);
    QObject::connect(&box, &TAboutForm::HomePageRequested, &form, &TMainForm::ShowHomePage);
    box.FormShow();
    EXPECT_EQ(ToWindows1251(box.Label1()->text()), form.Text(41) + "1.4");
    EXPECT_EQ(ToWindows1251(box.windowTitle()), form.Text(Row::About));
    EXPECT_EQ(box.Label3()->text().toStdString(), std::string(HomePageAddress));
    box.Label3Click();
    EXPECT_EQ(box.result(), QDialog::Accepted);
    EXPECT_EQ(form.WebBrowser1()->View()->url().toString().toStdString(), std::string(HomePageAddress));
    EXPECT_EQ(form.CurrentPage(), current) << "the home page is no current page";
}

} // namespace
} // namespace verdask
