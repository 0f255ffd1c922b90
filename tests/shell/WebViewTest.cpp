// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WebView.h"

#include "WindowTestSupport.h"
#include "shell/QtStrings.h"
#include "style/PageFrame.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QNetworkDatagram>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace verdask {
namespace {

using test::CrLfLines;
using test::RunScript;
using test::TTempDir;
using test::WaitFor;
using test::WriteFileBytes;

// A page of this program with many paragraphs, whose doLoad jumps to anchor.
std::string PageWithBookmark(const std::string& path, int anchor)
{
    std::string page = PageHeaderText(path, TViewStyle{});
    const std::string script =
        "<SCRIPT language=\"javascript\">function doLoad() {window.navigate('#a" + std::to_string(anchor) +
        "'); window.focus();}</SCRIPT>";
    page.replace(page.find(PlainScriptLine), PlainScriptLine.size(), script);
    for (int i = 1; i <= 300; ++i) {
        page += (i == 1 ? "" : "</A>") + std::string("<BR><A Name=a") + std::to_string(i) +
                ">&nbsp;&nbsp;&nbsp;&nbsp;Paragraph " + std::to_string(i) +
                " holds enough words to fill the middle of the view from one side to the other, so that a probe "
                "there meets its text, which is long and plain and goes on for a while.\r\n";
    }
    return page + PageFooterText();
}

// Counts the connections the server takes, and closes each.
void CountConnections(QTcpServer& server, int& connections)
{
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server, &connections] {
        ++connections;
        server.nextPendingConnection()->close();
    });
}

struct WebView : ::testing::Test {
    TWebView View;
    bool Loaded = false;

    WebView()
    {
        View.resize(800, 600);
        View.show();
        QObject::connect(&View, &TWebView::LoadFinished, &View, [this](bool ok) { Loaded = ok; });
    }

    bool Load(const std::function<void()>& navigate)
    {
        Loaded = false;
        navigate();
        return WaitFor([this] { return Loaded; });
    }
};

TEST_F(WebView, AStoredPageJumpsToTheAnchorItsDoLoadNames)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    WriteFileBytes(path, PageWithBookmark(path, 40));
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    TWebView::TPlace top;
    ASSERT_TRUE(WaitFor([&] {
        top = View.MeasurePlace();
        return top.Anchor != 0;
    }));
    EXPECT_EQ(top.Anchor, 40) << "the page opened at its bookmark";
    EXPECT_TRUE(View.HasHtmlDocument());
}

TEST_F(WebView, ANarrowPagesTextHasTheBodysFontSizeAndLineHeight)
{
    TTempDir dir;
    const std::string path = dir.File("narrow.html");
    TViewStyle narrow;
    narrow.TextWidth = 60;
    narrow.FontSize = 20;
    narrow.LineHeight = 30;
    WriteFileBytes(path, PageHeaderText(path, narrow) + "<BR><A Name=a1>Text</A>\r\n" + PageFooterText());
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    const QString style = RunScript(View, "var b = getComputedStyle(document.body), t = getComputedStyle("
                                          "document.querySelector('TD'));"
                                          "[b.fontSize, t.fontSize, b.lineHeight, t.lineHeight].join(' ')")
                              .toString();
    const QStringList sizes = style.split(' ');
    ASSERT_EQ(sizes.size(), 4) << style.toStdString();
    EXPECT_EQ(sizes[1], sizes[0]) << style.toStdString();
    EXPECT_EQ(sizes[3], sizes[2]) << style.toStdString();
    EXPECT_EQ(sizes[2], "40px") << "30pt";
}

// The right ends of the lines of paragraph 1, in order.
std::vector<int> LineEnds(TWebView& view)
{
    const QString ends = RunScript(view, "(function () { var r = document.createRange();"
                                         " r.selectNodeContents(document.getElementsByName('a1')[0]);"
                                         " var lines = {}; for (var b of r.getClientRects())"
                                         "  lines[Math.round(b.top)] = Math.max(lines[Math.round(b.top)] || 0, Math.round(b.right));"
                                         " return Object.keys(lines).sort(function (a, b) { return a - b; })"
                                         "  .map(function (k) { return lines[k]; }).join(' '); })()")
                             .toString();
    std::vector<int> widths;
    for (const QString& end : ends.split(' ', Qt::SkipEmptyParts))
        widths.push_back(end.toInt());
    return widths;
}

TEST_F(WebView, AJustifiedPagesParagraphsAreJustifiedInTheWindowAndInANarrowTable)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    const std::string paragraph = "<BR><A Name=a1>&nbsp;&nbsp;&nbsp;&nbsp;Paragraph one holds words of many lengths: a, an, "
                                  "extraordinarily, the, incomprehensibilities, of, it, notwithstanding, so "
                                  "that the ends of its lines would differ, were they not justified, by far "
                                  "more than a pixel, all the way down to its last line.</A><BR><A Name=a2>Two\r\n";
    for (const int width : {100, 60}) {
        for (const bool justified : {true, false}) {
            TViewStyle style;
            style.Justification = justified;
            style.TextWidth = width;
            WriteFileBytes(path, PageHeaderText(path, style) + paragraph + PageFooterText());
            ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
            std::vector<int> ends;
            ASSERT_TRUE(WaitFor([&] { return (ends = LineEnds(View)).size() >= 3; })) << ends.size();
            const auto lineEnd = [&](std::size_t line) { return ends[line]; };
            bool even = true;
            for (std::size_t line = 1; line + 1 < ends.size(); ++line)
                even = even && std::abs(lineEnd(line) - lineEnd(0)) <= 1;
            EXPECT_EQ(even, justified) << "width " << width << ", line ends " << ::testing::PrintToString(ends);
            EXPECT_LT(ends.back(), ends.front() - 1) << "the last line is not stretched";
        }
    }
}

TEST_F(WebView, FindSeesAWordThroughItsSoftHyphens)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    WriteFileBytes(path, "<HTML><BODY>\xEF\xE5&shy;\xF0\xE5\xEC\xE5\xED&shy;\xED\xE0\xFF, "
                         "\xEF\xE5\xF0\xE5\xEC\xE5\xED\xED\xE0\xFF</BODY></HTML>");
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    int matches = -1;
    View.Find(QString::fromUtf8("переменная"), false, [&](int, int count) { matches = count; });
    ASSERT_TRUE(WaitFor([&] { return matches >= 0; }));
    EXPECT_EQ(matches, 2);
}

TEST_F(WebView, TheContextMenuHoldsNothingThatLeavesTheBook)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    WriteFileBytes(path, PageWithBookmark(path, 40));
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    ASSERT_TRUE(Load([&] { View.Navigate("about:<HTML><BODY>another page</BODY></HTML>"); }));
    // A right click, as the reader makes it.
    QWidget* surface = View.View()->focusProxy();
    ASSERT_NE(surface, nullptr);
    QTest::mouseClick(surface, Qt::RightButton, {}, QPoint(200, 200));
    QMenu* menu = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* shown = qobject_cast<QMenu*>(window); shown != nullptr && shown->isVisible())
                menu = shown;
        return menu != nullptr;
    }));
    EXPECT_TRUE(menu->actions().contains(View.View()->pageAction(QWebEnginePage::SelectAll)))
        << "the text can still be selected and copied";
    for (const QWebEnginePage::WebAction leaving :
         {QWebEnginePage::Back, QWebEnginePage::Forward, QWebEnginePage::Reload, QWebEnginePage::ViewSource,
          QWebEnginePage::SavePage})
        EXPECT_FALSE(menu->actions().contains(View.View()->pageAction(leaving))) << leaving;
    menu->close();
}

TEST_F(WebView, PageTextsAndTheBuiltInPageShowWithTheirCodePage)
{
    // "Привет" in windows-1251.
    ASSERT_TRUE(Load([&] { View.Navigate("about:<HTML><BODY><P id=t>\xCF\xF0\xE8\xE2\xE5\xF2</P></BODY></HTML>"); }));
    QString text;
    ASSERT_TRUE(WaitFor([&] {
        text = RunScript(View, "document.getElementById('t').textContent").toString();
        return !text.isEmpty();
    }));
    EXPECT_EQ(text, QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"));
}

TEST_F(WebView, AFileIsLoadedByTheProgramOnlyNeverDeniedNorLoadedByAPageOnItsOwn)
{
    TTempDir dir;
    const std::string path = dir.File("book.html");
    const std::string other = dir.File("other.html");
    std::string page = PageWithBookmark(path, 40);
    page.insert(page.find("<BR><A Name=a40>"), "<A id=link HREF=\"other.html\">to the other page</A>");
    WriteFileBytes(path, page);
    WriteFileBytes(other, "<HTML><BODY>the other page</BODY></HTML>");
    std::vector<QUrl> requested;
    QObject::connect(&View, &TWebView::FileRequested, &View, [&](const QUrl& url) { requested.push_back(url); });
    auto body = [&] { return RunScript(View, "document.body.innerText").toString(); };
    auto top = [&] { return View.MeasurePlace().Anchor; };

    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    ASSERT_TRUE(WaitFor([&] { return top() == 40; }));
    EXPECT_EQ(View.View()->url().fragment(), "a40");
    // Loading the page shown, moved to an anchor by its doLoad, loads it anew.
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    EXPECT_TRUE(WaitFor([&] { return top() == 40; }));
    EXPECT_FALSE(body().contains("denied"));

    // A reload, a link and the history ask the program.
    View.View()->reload();
    ASSERT_TRUE(WaitFor([&] { return requested.size() == 1; }));
    EXPECT_EQ(requested[0].adjusted(QUrl::RemoveFragment), QUrl::fromLocalFile(QString::fromStdString(path)));
    RunScript(View, "document.getElementById('link').click()");
    ASSERT_TRUE(WaitFor([&] { return requested.size() == 2; }));
    EXPECT_EQ(requested[1], QUrl::fromLocalFile(QString::fromStdString(other)));
    EXPECT_EQ(View.FileUrl(), QUrl::fromLocalFile(QString::fromStdString(path))) << "nothing else happened";
    ASSERT_TRUE(Load([&] { View.NavigateToFile(other); }));
    View.View()->back();
    ASSERT_TRUE(WaitFor([&] { return requested.size() == 3; }));
    EXPECT_EQ(requested[2].adjusted(QUrl::RemoveFragment), QUrl::fromLocalFile(QString::fromStdString(path)));

    // A form sent to a file is refused, with no error page either.
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    RunScript(View, "var f = document.createElement('form'); f.action = 'other.html';"
                    "document.body.appendChild(f); f.submit();");
    EXPECT_FALSE(WaitFor([&] { return View.FileUrl() != QUrl::fromLocalFile(QString::fromStdString(path)); }, 500));
    EXPECT_FALSE(body().contains("denied"));
    EXPECT_EQ(requested.size(), 3u);
}

TEST_F(WebView, APageScriptCannotReadFilesReachAddressesOrOpenWindows)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    int connections = 0;
    CountConnections(server, connections);
    const QString address = QString("http://127.0.0.1:%1/").arg(server.serverPort());

    TTempDir dir;
    WriteFileBytes(dir.File("secret.txt"), "the reader's secret");
    const std::string path = dir.File("book.html");
    const std::string script =
        "<SCRIPT>var results = {};"
        "fetch('file://" + dir.File("secret.txt") + "').then(function (r) { return r.text(); })"
        ".then(function (t) { results.file = t; }, function () { results.file = 'blocked'; });"
        "fetch('" + address.toStdString() + "fetch').then(function () { results.fetch = 'reached'; },"
        " function () { results.fetch = 'blocked'; });"
        "var image = new Image(); image.src = '" + address.toStdString() + "image';"
        "var popup = window.open('" + address.toStdString() + "popup');"
        "results.popup = popup ? 'opened' : 'blocked';</SCRIPT>";
    WriteFileBytes(path, PageHeaderText(path, TViewStyle{}) + script + "\r\n<BR><A Name=a1>Text\r\n" +
                             PageFooterText());
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    QVariantMap results;
    ASSERT_TRUE(WaitFor([&] {
        results = RunScript(View, "results").toMap();
        return results.contains("file") && results.contains("fetch") && results.contains("popup");
    }));
    EXPECT_FALSE(WaitFor([&] { return connections > 0; }, 1000)) << "no request reaches the address";
    EXPECT_EQ(results["file"].toString().toStdString(), "blocked");
    EXPECT_EQ(results["fetch"].toString().toStdString(), "blocked");
    EXPECT_EQ(results["popup"].toString().toStdString(), "blocked");
    EXPECT_EQ(connections, 0) << "no request reached the address";
}

// WebRTC reaches addresses on its own (STUN over UDP, TURN over TCP), beside the
// requests the view sees: a page's script must not get to start it, in the page
// nor in a frame it makes.
TEST_F(WebView, APageScriptCannotOpenWebRtcConnections)
{
    QUdpSocket stun;
    ASSERT_TRUE(stun.bind(QHostAddress::AnyIPv4, 0));
    int datagrams = 0;
    QObject::connect(&stun, &QUdpSocket::readyRead, &stun, [&] {
        while (stun.hasPendingDatagrams()) {
            stun.receiveDatagram();
            ++datagrams;
        }
    });
    QTcpServer turn;
    ASSERT_TRUE(turn.listen(QHostAddress::AnyIPv4));
    int connections = 0;
    CountConnections(turn, connections);

    const std::string servers = "{iceServers: [{urls: 'stun:127.0.0.1:" + std::to_string(stun.localPort()) +
                                "'}, {urls: 'turn:127.0.0.1:" + std::to_string(turn.serverPort()) +
                                "?transport=tcp', username: 'u', credential: 'c'}]}";
    // Each way a script may come by a peer connection: its own window's, and the
    // window of a frame made by a script, by the parser or inside another frame.
    const std::string script =
        "<SCRIPT>var results = {};"
        "function connect(name, from) {"
        "  try {"
        "    var Connection = from().RTCPeerConnection || from().webkitRTCPeerConnection;"
        "    var connection = new Connection(" + servers + ");"
        "    connection.createDataChannel('x');"
        "    connection.createOffer().then(function (offer) { return connection.setLocalDescription(offer); })"
        "      .then(function () { results[name] = 'started'; }, function () { results[name] = 'failed'; });"
        "  } catch (e) { results[name] = 'blocked'; }"
        "}"
        "function newFrame(document) {"
        "  return document.documentElement.appendChild(document.createElement('iframe'));"
        "}"
        "connect('page', function () { return window; });"
        "connect('frame', function () { return newFrame(document).contentWindow; });"
        "connect('indexed', function () { newFrame(document); return window[window.length - 1]; });"
        "window.length = 0;"
        "connect('hidden', function () { newFrame(document); return frames[frames.length - 1]; });"
        "</SCRIPT>";
    const std::string body =
        "<IFRAME name=parsed></IFRAME>"
        "<IFRAME name=loaded onload=\"connect('loaded', function () { return frames.loaded; })\"></IFRAME>"
        "<IFRAME name=pending src=\"data:text/html,loads later\"></IFRAME>"
        "<SCRIPT>connect('parsed', function () { return frames.parsed; });"
        "connect('pending', function () { return frames.pending; });"
        "connect('nested', function () { var child = frames.parsed; newFrame(child.document); return child[0]; });"
        "document.body.insertAdjacentHTML('beforeend', '<iframe name=adjacent></iframe>');"
        "connect('adjacent', function () { return frames.adjacent; });"
        "</SCRIPT>\r\n";
    const std::vector<std::string> ways = {"page", "frame", "indexed", "hidden", "loaded", "parsed", "pending", "nested",
                                           "adjacent"};
    TTempDir dir;
    const std::string path = dir.File("book.html");
    WriteFileBytes(path, PageHeaderText(path, TViewStyle{}) + script + "\r\n<BR><A Name=a1>Text\r\n" + body +
                             PageFooterText());
    ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
    QVariantMap results;
    WaitFor([&] {
        results = RunScript(View, "results").toMap();
        return results.size() == static_cast<qsizetype>(ways.size());
    });
    // Candidates are gathered for a while: none may reach the address meanwhile.
    EXPECT_FALSE(WaitFor([&] { return datagrams > 0 || connections > 0; }, 3000));
    for (const auto& way : ways)
        EXPECT_EQ(results[QString::fromStdString(way)].toString().toStdString(), "blocked") << way;
    EXPECT_EQ(datagrams, 0) << "a STUN request reached the address";
    EXPECT_EQ(connections, 0) << "a TURN connection reached the address";
}

// Verse, and lines shorter than a third of the view: a title, then one line a
// paragraph, as the library writes a poem.
std::string VersePage(const std::string& path, int textWidth)
{
    TViewStyle style;
    style.TextWidth = textWidth;
    std::string page = PageHeaderText(path, style) + "<BR><BR><CENTER><B>A Poem</B></CENTER><BR>\r\n";
    for (int i = 1; i <= 400; ++i)
        page += (i == 1 ? "" : "</A>") + std::string("<BR><A Name=a") + std::to_string(i) +
                ">&nbsp;&nbsp;&nbsp;&nbsp;Line " + std::to_string(i) + " of the verse\r\n";
    return page + PageFooterText();
}

TEST_F(WebView, TheMeasureFindsTheParagraphOfTheTopLineAtAnyZoomAndWidth)
{
    TTempDir dir;
    const std::string path = dir.File("verse.html");
    // Where the view's top stands, in lines from the top of paragraph 50, and the
    // paragraph that holds the top line (the one more than half shown).
    struct TCase {
        double Lines;
        std::int64_t Expected;
    } const cases[] = {{0, 50}, {0.3, 50}, {-0.3, 50}, {-0.7, 49}, {0.7, 51}, {-3.2, 47}};
    for (const int width : {100, 60}) {
        WriteFileBytes(path, VersePage(path, width));
        for (const double zoom : {0.5, 1.0, 2.0}) {
            View.SetZoom(zoom);
            ASSERT_TRUE(Load([&] { View.NavigateToFile(path); }));
            const std::string at = "width " + std::to_string(width) + ", zoom " + std::to_string(zoom);
            EXPECT_EQ(View.MeasurePlace().Anchor, 0) << "the very top: " << at;
            RunScript(View, "window.scrollTo(0, 5)");
            EXPECT_EQ(View.MeasurePlace().Anchor, 0) << "above the first paragraph: " << at;
            for (const TCase& c : cases) {
                RunScript(View, QString("var a = document.getElementsByName('a50')[0]; a.scrollIntoView(true);"
                                        "window.scrollBy(0, %1 * parseFloat(getComputedStyle(a).lineHeight))")
                                    .arg(c.Lines));
                const TWebView::TPlace place = View.MeasurePlace();
                EXPECT_EQ(place.Anchor, c.Expected) << c.Lines << " lines, " << at;
                EXPECT_EQ(place.DocumentUrl.adjusted(QUrl::RemoveFragment), QUrl::fromLocalFile(FromPath(path)));
            }
            RunScript(View, "window.scrollTo(0, document.body.scrollHeight)");
            const std::int64_t end = View.MeasurePlace().Anchor;
            EXPECT_GT(end, 300) << "the end of the book: " << at;
            EXPECT_LT(end, 400) << "the last line cannot come to the top: " << at;
        }
    }
    View.SetZoom(1.0);
}

} // namespace
} // namespace verdask
