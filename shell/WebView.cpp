// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WebView.h"

#include "shell/PageScripts.h"
#include "shell/QtStrings.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QPageLayout>
#include <QPageRanges>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <memory>

namespace verdask {
namespace {

constexpr std::string_view AboutPrefix = "about:";
// The world the program's own measuring runs in, apart from the page's scripts.
constexpr quint32 ProgramWorld = QWebEngineScript::ApplicationWorld;

// Pages carry the book's text unescaped, so a book can carry script. A page may
// run its own doLoad and follow the links the user clicks, and nothing more: no
// reading of other local files, no requests of its own to any address, no windows.
class TRequestGuard final : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const bool page = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
        const QString scheme = info.requestUrl().scheme();
        const bool remote = scheme != "file" && scheme != "about" && scheme != "data" && scheme != "qrc";
        if (remote && !page)
            info.block(true);
    }
};

// Chromium lets a page load no other file, nor reload itself once a script has
// moved it to an anchor: both would show "Access to the file was denied". A link,
// the history and a reload ask the program instead, which loads the file itself
// (FileRequested); other requests of a page for a file are refused. Chromium
// names a script's navigation a link as well: it comes to the program too.
class TPage final : public QWebEnginePage {
public:
    explicit TPage(QObject* parent) : QWebEnginePage(parent) {}

    // The next request for this file is the program's own.
    void ExpectFile(const QUrl& url) { expected_ = url; }
    std::function<void(const QUrl&)> FileRequested;
    std::function<void()> Scrolled;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override
    {
        if (message != PageScrolledMessage)
            QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
        else if (Scrolled)
            Scrolled();
    }

    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (!isMainFrame || !url.isLocalFile())
            return true;
        if (url == expected_ || type == NavigationTypeTyped) {
            expected_.clear();
            return true;
        }
        const QUrl document = this->url().adjusted(QUrl::RemoveFragment);
        if (type != NavigationTypeReload && url.adjusted(QUrl::RemoveFragment) == document)
            return true; // an anchor of the shown document
        if (type == NavigationTypeLinkClicked || type == NavigationTypeBackForward || type == NavigationTypeReload)
            QTimer::singleShot(0, this, [this, url] {
                if (FileRequested)
                    FileRequested(url);
            });
        return false;
    }

private:
    QUrl expected_;
};

void Harden(QWebEnginePage& page, QObject* owner)
{
    QWebEngineSettings* settings = page.settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    page.setUrlRequestInterceptor(new TRequestGuard(owner));
}

QByteArray Bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TWebView::TWebView(QWidget* parent) : QWidget(parent), view_(new QWebEngineView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    auto* page = new TPage(this);
    page_ = page;
    page->FileRequested = [this](const QUrl& url) { emit FileRequested(url); };
    page->Scrolled = [this, answering = answering_] {
        if (*answering)
            emit Scrolled();
    };
    view_->setPage(page);
    AddPageScripts(page->scripts());
    Harden(*page, this);
    // A file dropped on the window is the program's to open, as its own commands do.
    view_->setAcceptDrops(false);
    // The widget that takes the keys comes with the page's renderer (eventFilter).
    view_->installEventFilter(this);
    for (QWidget* child : view_->findChildren<QWidget*>())
        child->installEventFilter(this);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, &TWebView::ShowContextMenu);
    connect(view_, &QWebEngineView::loadStarted, this, &TWebView::LoadStarted);
    connect(view_, &QWebEngineView::loadFinished, this, &TWebView::LoadFinished);
    connect(page, &QWebEnginePage::scrollPositionChanged, this, &TWebView::Scrolled);
    connect(page, &QWebEnginePage::contentsSizeChanged, this, &TWebView::LaidOut, Qt::QueuedConnection);
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (status != QWebEnginePage::NormalTerminationStatus)
                    emit RendererStopped();
            });
}

TWebView::~TWebView()
{
    // The page goes first, while its view is whole: the view lets go of it then.
    // The other way round, a page that was printing when its renderer stopped
    // takes the program down. Nothing it tells on its way reaches a view half gone.
    *answering_ = false;
    page_->disconnect(this);
    delete page_;
}

// Tab and Shift+Tab move between the window's parts and never within the page:
// moving the focus to a link scrolls the book to it (a page's footer link is its
// end). For the same reason focus that comes to the page by Tab is given to it as
// a plain focus, which the engine does not take for a step to the page's first
// or last link.
bool TWebView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_) {
        if (event->type() == QEvent::ChildAdded) {
            if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
                child->installEventFilter(this);
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        switch (key->key()) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Space:
            emit ReaderActed(true);
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::Wheel || event->type() == QEvent::MouseButtonPress)
        emit ReaderActed(event->type() == QEvent::Wheel);
    if (event->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            QFocusEvent plain(QEvent::FocusIn, Qt::OtherFocusReason);
            QCoreApplication::sendEvent(watched, &plain);
            return true;
        }
    }
    return false;
}

QMenu* TWebView::ContextMenu()
{
    // A book is left through the program's commands only: no history steps, no
    // reload, no other windows, no saving or showing the page's source.
    QMenu* menu = view_->createStandardContextMenu();
    for (const QWebEnginePage::WebAction leaving :
         {QWebEnginePage::Back, QWebEnginePage::Forward, QWebEnginePage::Reload, QWebEnginePage::ReloadAndBypassCache,
          QWebEnginePage::Stop, QWebEnginePage::ViewSource, QWebEnginePage::SavePage,
          QWebEnginePage::OpenLinkInNewWindow, QWebEnginePage::OpenLinkInNewTab,
          QWebEnginePage::OpenLinkInNewBackgroundTab, QWebEnginePage::DownloadLinkToDisk,
          QWebEnginePage::DownloadImageToDisk, QWebEnginePage::DownloadMediaToDisk, QWebEnginePage::InspectElement})
        menu->removeAction(view_->pageAction(leaving));
    // What stays is for the text: over plain text that would leave nothing at all.
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            menu->removeAction(action);
    }
    if (!menu->actions().contains(view_->pageAction(QWebEnginePage::SelectAll)))
        menu->addAction(view_->pageAction(QWebEnginePage::SelectAll));
    return menu;
}

void TWebView::ShowContextMenu(const QPoint& at)
{
    QMenu* menu = ContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(view_->mapToGlobal(at));
}

void TWebView::Navigate(const std::string& target)
{
    if (target == "about:blank")
        view_->setUrl(QUrl("about:blank"));
    else if (target.starts_with(AboutPrefix))
        NavigateToHtml(target.substr(AboutPrefix.size()));
    else if (target.find("://") != std::string::npos)
        NavigateToAddress(target);
    else
        NavigateToFile(target);
}

void TWebView::NavigateToFile(const std::string& path)
{
    const QUrl url = QUrl::fromLocalFile(FromPath(path));
    static_cast<TPage*>(view_->page())->ExpectFile(url);
    view_->setUrl(url);
}

QUrl TWebView::FileUrl() const
{
    const QUrl url = view_->url();
    return url.isLocalFile() ? url.adjusted(QUrl::RemoveFragment) : QUrl();
}

void TWebView::NavigateToAddress(const std::string& address)
{
    view_->setUrl(QUrl(QString::fromStdString(address)));
}

void TWebView::NavigateToHtml(const std::string& html)
{
    view_->setContent(Bytes(html), "text/html;charset=windows-1251", QUrl("about:blank"));
}

void TWebView::ShowPageText(const std::string& pageText)
{
    NavigateToHtml(pageText);
}

QVariant TWebView::RunScript(const QString& script, int timeoutMs, quint32 world)
{
    // Shared with the callback, which may come after the wait has given up.
    struct TAnswer {
        QVariant Value;
        bool Answered = false;
        QEventLoop* Loop = nullptr;
    };
    const auto answer = std::make_shared<TAnswer>();
    QEventLoop loop;
    answer->Loop = &loop;
    view_->page()->runJavaScript(script, world, [answer](const QVariant& result) {
        answer->Value = result;
        answer->Answered = true;
        if (answer->Loop != nullptr)
            answer->Loop->quit();
    });
    if (!answer->Answered) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    answer->Loop = nullptr;
    return answer->Answered ? answer->Value : QVariant();
}

// A page that goes answers every script still running with nothing, when whoever
// asked may be half gone: those answers are dropped.
void TWebView::RunScriptLater(const QString& script, std::function<void(const QVariant&)> answer, quint32 world)
{
    view_->page()->runJavaScript(script, world,
                                 [answering = answering_, answer = std::move(answer)](const QVariant& result) {
        if (*answering)
            answer(result);
    });
}

namespace {

// The size and zoom a document is laid out in, "800x600@1.25".
const QLatin1StringView LayoutExpression("window.innerWidth + 'x' + window.innerHeight + '@' + window.devicePixelRatio");

// [document URL, the paragraph at the top, layout, scroll offset], or null. Paragraph
// anchors stand in page order, so their tops grow: a binary search finds the last
// whose first line starts at or above the view's top line, within half a line (an
// anchor's box may start a little below its line's top). Run in the program's own
// world, where the page's scripts cannot reach the list of anchors kept for the
// document once it has loaded.
const char* const MeasureScript = R"((function () {
    if (!(document instanceof HTMLDocument)) return null;
    var anchors = window.verdaskParagraphs;
    if (!anchors) {
        anchors = Array.prototype.filter.call(document.anchors, function (a) { return /^a[0-9]+$/.test(a.name); });
        if (document.readyState === 'complete') window.verdaskParagraphs = anchors;
    }
    function atOrAbove(a) {
        var lines = a.getClientRects(), line = lines.length ? lines[0] : a.getBoundingClientRect();
        return line.top <= Math.max(1, line.height / 2);
    }
    var found = -1;
    if (window.scrollY > 0) {
        for (var low = 0, high = anchors.length - 1; low <= high;) {
            var middle = (low + high) >> 1;
            if (atOrAbove(anchors[middle])) { found = middle; low = middle + 1; } else high = middle - 1;
        }
    }
    return [document.URL, found < 0 ? 0 : Number(anchors[found].name.substring(1)), %1, window.scrollY];
})())";

TWebView::TPlace PlaceFrom(const QVariant& answer)
{
    TWebView::TPlace place;
    const QVariantList parts = answer.toList();
    if (parts.size() != 4)
        return place;
    place.DocumentUrl = QUrl(parts[0].toString());
    place.Anchor = static_cast<std::int64_t>(parts[1].toDouble());
    place.Layout = parts[2].toString();
    place.ScrollY = parts[3].toDouble();
    return place;
}

} // namespace

TWebView::TPlace TWebView::MeasurePlace(int timeoutMs)
{
    return PlaceFrom(RunScript(QString::fromLatin1(MeasureScript).arg(LayoutExpression), timeoutMs, ProgramWorld));
}

void TWebView::MeasurePlaceLater(std::function<void(const TPlace&)> answer)
{
    RunScriptLater(QString::fromLatin1(MeasureScript).arg(LayoutExpression),
                   [answer = std::move(answer)](const QVariant& result) { answer(PlaceFrom(result)); }, ProgramWorld);
}

void TWebView::PrintToPdf(const QPageLayout& layout, const QPageRanges& ranges,
                          std::function<void(const QByteArray&)> done)
{
    view_->page()->printToPdf([done = std::move(done)](const QByteArray& pdf) { done(pdf); }, layout, ranges);
}

void TWebView::ParagraphCountLater(std::function<void(std::int64_t)> answer)
{
    // Paragraph anchors are numbered in order, so the last one counts them.
    const QString script = QStringLiteral(
        "(function() { var a = document.anchors; var name = a.length ? a[a.length - 1].name : '';"
        " return /^a[0-9]+$/.test(name) ? Number(name.substring(1)) : 0; })()");
    RunScriptLater(script, [answer = std::move(answer)](const QVariant& result) {
        answer(static_cast<std::int64_t>(result.toDouble()));
    });
}

// Puts paragraph n at the top, or the line of its heading just before it (a
// heading of its own line is the text just before the paragraph that follows it,
// dialogue may stand between them; one with the paragraph indent is that
// paragraph); the top of the page for n = 0. Unless the page is still laid out as
// held. [document URL, n (0 without such an anchor), layout, scroll offset], or
// null when left as it was.
void TWebView::PlaceParagraph(std::int64_t anchor, const THeadingLine& heading, const QString& heldLayout,
                              std::function<void(const std::optional<TPlace>&)> placed)
{
    static const QString script = QStringLiteral(
        "(function(n, heading, after, held) { var layout = %5;"
        " var a = n > 0 ? document.getElementsByName('a' + n)[0] : null;"
        " if (n > 0 && !a) return [document.URL, 0, layout, window.scrollY];"
        " if (layout == held) return null;"
        " function plain(node) { return node.textContent.replace(/\u00a0/g, ' ').trim(); }"
        " function toTop(text) { var range = document.createRange(); range.selectNodeContents(text);"
        "  window.scrollTo(0, window.scrollY + range.getBoundingClientRect().top); }"
        // The heading's first line: all of it, or a chapter's number the heading
        // joins with the name on the next line ("II." + "БЭЛА" is "II. БЭЛА"), in
        // emphasis marks or not.
        " function opens(line) { line = line.replace(/^\\*+\\s*|\\s*\\*+$/g, '');"
        "  return line && (line == heading || heading.indexOf(line.replace(/\\.$/, '') + '. ') == 0); }"
        " function placeAfter() {"
        "  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);"
        "  if (a) walker.currentNode = a;"
        "  for (var text = walker.nextNode(); text; text = walker.nextNode())"
        "   if (opens(plain(text))) { toTop(text); return true; }"
        "  return false; }"
        " function place() {"
        "  if (after && heading && placeAfter()) return;"
        "  if (!a) { window.scrollTo(0, 0); return; }"
        "  var own = plain(a); if (!heading || (own && heading.indexOf(own) == 0)) { a.scrollIntoView(true); return; }"
        "  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT); walker.currentNode = a;"
        "  for (var i = 0; i < 1000; ++i) {"
        "   var text = walker.previousNode(); if (!text) break;"
        "   var line = plain(text);"
        "   if (line && heading.indexOf(line) == 0) { toTop(text); return; } }"
        "  a.scrollIntoView(true); }"
        " place(); return [document.URL, n, layout, window.scrollY]; })(%1, %2[0], %3, %4[0])");
    const auto quoted = [](const QString& text) {
        return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact));
    };
    RunScriptLater(
        script.arg(anchor)
            .arg(quoted(heading.Text))
            .arg(heading.AfterAnchor ? QStringLiteral("true") : QStringLiteral("false"))
            .arg(quoted(heldLayout))
            .arg(LayoutExpression),
        [placed = std::move(placed)](const QVariant& result) {
            placed(result.isValid() ? std::optional(PlaceFrom(result)) : std::nullopt);
        },
        ProgramWorld);
}

void TWebView::PlaceCaretAt(std::int64_t anchor, std::function<void()> done)
{
    const QString script = QStringLiteral("(function(n) { var a = n > 0 ? document.getElementsByName('a' + n)[0] : null;"
                                          " if (document.body) window.getSelection().collapse(a || document.body, 0); })(%1)")
                               .arg(anchor);
    RunScriptLater(script, [done = std::move(done)](const QVariant&) { done(); }, ProgramWorld);
}

void TWebView::ReturnTo(const TPlace& place)
{
    const QString script =
        QStringLiteral("(function(n, layout, y) { if (layout == %4) { window.scrollTo(0, y); return; }"
                       " var a = n > 0 ? document.getElementsByName('a' + n)[0] : null;"
                       " if (a) a.scrollIntoView(true); else window.scrollTo(0, 0); })(%1, %2[0], %3)")
            .arg(place.Anchor)
            .arg(QString::fromUtf8(QJsonDocument(QJsonArray{place.Layout}).toJson(QJsonDocument::Compact)))
            .arg(place.ScrollY)
            .arg(LayoutExpression);
    RunScriptLater(script, [](const QVariant&) {}, ProgramWorld);
}

void TWebView::SetLook(const QString& css)
{
    QWebEngineScriptCollection& scripts = view_->page()->scripts();
    for (const QWebEngineScript& old : scripts.find(LookScriptName))
        scripts.remove(old);
    scripts.insert(LookScript(css));
    RunScriptLater(LookScriptSource(css), [](const QVariant&) {}, ProgramWorld);
}

void TWebView::HyphenWordsLater(THyphenPart part, std::function<void(const QStringList&)> answer)
{
    RunScriptLater(HyphenWordsScript(part),
                   [answer = std::move(answer)](const QVariant& words) { answer(words.toStringList()); }, ProgramWorld);
}

void TWebView::PutSoftHyphens(const QString& hyphensJson, THyphenPart part)
{
    RunScriptLater(SoftHyphensScript(hyphensJson, part), [](const QVariant&) {}, ProgramWorld);
}

void TWebView::RemoveSoftHyphens()
{
    RunScriptLater(NoSoftHyphensScript(), [](const QVariant&) {}, ProgramWorld);
}

void TWebView::SetZoom(double factor)
{
    view_->setZoomFactor(factor);
}

double TWebView::Zoom() const
{
    return view_->zoomFactor();
}

void TWebView::Find(const QString& text, bool backward, std::function<void(int, int)> answer)
{
    const QWebEnginePage::FindFlags flags = backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
    view_->page()->findText(text, flags,
                            [answering = answering_, answer = std::move(answer)](const QWebEngineFindTextResult& result) {
                                if (*answering)
                                    answer(result.activeMatch(), result.numberOfMatches());
                            });
}

bool TWebView::HasHtmlDocument(int timeoutMs)
{
    return RunScript("document instanceof HTMLDocument", timeoutMs).toBool();
}

} // namespace verdask
