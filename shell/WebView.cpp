#include "shell/WebView.h"

#include "shell/Text.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <memory>

namespace verdask {
namespace {

constexpr std::string_view AboutPrefix = "about:";

// Pages of this program call window.navigate('#aN') from doLoad, a method of old
// browsers; every page gets it, as a plain navigation.
QWebEngineScript NavigateScript()
{
    QWebEngineScript script;
    script.setName("verdask-navigate");
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    script.setSourceCode("window.navigate = function (url) { window.location.href = url; };");
    return script;
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
    view_->setUrl(QUrl::fromLocalFile(FromPath(path)));
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

std::optional<TWebView::TElement> TWebView::ElementFromPoint(int x, int y, int timeoutMs)
{
    const QString script = QString(R"((function (x, y) {
        var e = document.elementFromPoint(x, y);
        if (!e) return null;
        var tag = e.tagName.toUpperCase();
        if (tag === 'A' && e.hasAttribute('name'))
            return [tag, '<A name=' + e.getAttribute('name') + '>'];
        return [tag, e.outerHTML.substring(0, 200)];
    })(%1, %2))").arg(x).arg(y);
    const QVariant answer = RunScript(script, timeoutMs);
    const QVariantList parts = answer.toList();
    if (parts.size() != 2)
        return std::nullopt;
    return TElement{ToWindows1251(parts[0].toString()), ToWindows1251(parts[1].toString())};
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
