#include "shell/WebView.h"

#include "shell/Text.h"

#include <QEventLoop>
#include <QFile>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
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

// A script run in the page and in every frame of it before any script of its own.
QWebEngineScript PageScript(const QString& name, const QString& source)
{
    QWebEngineScript script;
    script.setName(name);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode(source);
    return script;
}

// Pages of this program call window.navigate('#aN') from doLoad, a method of old
// browsers; every page gets it, as a plain navigation. A page shown again opens
// where its own doLoad says, not where the view left it.
QWebEngineScript NavigateScript()
{
    return PageScript("verdask-navigate", "window.navigate = function (url) { window.location.href = url; };"
                                          "if ('scrollRestoration' in history) history.scrollRestoration = 'manual';");
}

// No page gets a WebRTC peer connection (shell/NoWebRtc.js says why and how).
QWebEngineScript NoWebRtcScript()
{
    QFile source(":/NoWebRtc.js");
    source.open(QIODevice::ReadOnly);
    return PageScript("verdask-no-webrtc", QString::fromUtf8(source.readAll()));
}

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
    view_->page()->scripts().insert(NavigateScript());
    view_->page()->scripts().insert(NoWebRtcScript());
    Harden(*view_->page(), this);
    connect(view_, &QWebEngineView::loadFinished, this, &TWebView::LoadFinished);
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
    // The page shown already is loaded anew from its file, which may have changed.
    if (view_->url().adjusted(QUrl::RemoveFragment) == url)
        view_->reload();
    else
        view_->setUrl(url);
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

QVariant TWebView::RunScript(const QString& script, int timeoutMs)
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
    view_->page()->runJavaScript(script, [answer](const QVariant& result) {
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

namespace {

// The innermost element at each point: [tag name, outer HTML], or null. An
// anchor answers with its start tag in the form the reader parses, "<A name=a7>".
const char* const ProbeScript = R"((function (x, ys) {
    if (!(document instanceof HTMLDocument)) return null;
    return ys.map(function (y) {
        var e = document.elementFromPoint(x, y);
        if (!e) return null;
        var tag = e.tagName.toUpperCase();
        if (tag === 'A' && e.hasAttribute('name'))
            return [tag, '<A name=' + e.getAttribute('name') + '>'];
        return [tag, e.outerHTML.substring(0, 200)];
    });
})(%1, [%2]))";

std::optional<TWebView::TElement> ElementOf(const QVariant& answer)
{
    const QVariantList parts = answer.toList();
    if (parts.size() != 2)
        return std::nullopt;
    return TWebView::TElement{ToWindows1251(parts[0].toString()), ToWindows1251(parts[1].toString())};
}

} // namespace

std::vector<std::optional<TWebView::TElement>> TWebView::ElementsFromPoints(int x, const std::vector<int>& ys,
                                                                           int timeoutMs)
{
    QStringList points;
    for (const int y : ys)
        points << QString::number(y);
    const QVariant answer = RunScript(QString(ProbeScript).arg(x).arg(points.join(',')), timeoutMs);
    std::vector<std::optional<TElement>> elements;
    for (const QVariant& element : answer.toList())
        elements.push_back(ElementOf(element));
    return elements;
}

std::optional<TWebView::TElement> TWebView::ElementFromPoint(int x, int y, int timeoutMs)
{
    auto elements = ElementsFromPoints(x, {y}, timeoutMs);
    return elements.empty() ? std::nullopt : elements.front();
}

bool TWebView::PrintTo(QPrinter& printer, int timeoutMs)
{
    QEventLoop loop;
    bool finished = false;
    bool printed = false;
    const auto connection = connect(view_, &QWebEngineView::printFinished, &loop, [&](bool success) {
        finished = true;
        printed = success;
        loop.quit();
    });
    view_->print(&printer);
    if (!finished) {
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(connection);
    return printed;
}

bool TWebView::HasHtmlDocument(int timeoutMs)
{
    return RunScript("document instanceof HTMLDocument", timeoutMs).toBool();
}

} // namespace verdask
