// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PageScripts.h"

#include "files/OwnPage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace verdask {
namespace {

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

// Pages have no DOCTYPE, so the view lays them out in quirks mode, where a table
// does not take the body's font: the text of a page narrower than the window sits
// in a table cell and would lose its size and line height. Every page gets them.
QWebEngineScript TableFontScript()
{
    return PageScript("verdask-table-font",
                      "(function () { var sheet = new CSSStyleSheet();"
                      "sheet.replaceSync('TABLE { font-size: inherit; line-height: inherit; font-weight: inherit;"
                      " font-style: inherit; font-variant: inherit }');"
                      "document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]); })();");
}

// The words of the comment that ends a page's header.
QString HeaderEndComment()
{
    constexpr std::string_view Open = "<!--";
    constexpr std::string_view Close = "-->";
    const std::string_view words = HeaderEndMarker.substr(Open.size(), HeaderEndMarker.size() - Open.size() - Close.size());
    return QString::fromLatin1(words.data(), static_cast<qsizetype>(words.size()));
}

// A text as a script's string literal.
QString JsonString(const QString& text)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

// Script statements that end the function they stand in on any page but one of
// this program's.
QString LeaveOtherPages()
{
    return QStringLiteral(" if (!document.body) return;"
                          " var marks = document.createTreeWalker(document.body, NodeFilter.SHOW_COMMENT);"
                          " var mark = marks.nextNode(); if (!mark || mark.data != '%1') return;")
        .arg(HeaderEndComment());
}

// A page of this program aligns its paragraphs in its P rule (justified or not),
// but its text stands outside any P: the body, and a narrow page's table cell,
// take the rule's alignment. Other pages are left as they are.
QWebEngineScript ParagraphAlignScript()
{
    QWebEngineScript script = PageScript(
        "verdask-paragraph-align",
        QStringLiteral("(function () {%1"
                       " var align = '';"
                       " for (var s = 0; s < document.styleSheets.length; ++s) {"
                       "  var rules = document.styleSheets[s].cssRules;"
                       "  for (var r = 0; r < rules.length; ++r)"
                       "   if (rules[r].selectorText && rules[r].selectorText.toUpperCase() == 'P' && rules[r].style.textAlign)"
                       "    align = rules[r].style.textAlign; }"
                       " if (!align) return;"
                       " var sheet = new CSSStyleSheet();"
                       " sheet.replaceSync('BODY, TD { text-align: ' + align + ' }');"
                       " document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]); })();")
            .arg(LeaveOtherPages()));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setRunsOnSubFrames(false);
    return script;
}

// Every page tells of its scrolling on its console, at most ten times a second.
QWebEngineScript ScrollReportScript()
{
    return PageScript("verdask-scroll-report",
                      QStringLiteral("(function () { var waiting = false;"
                                     " function tell() { waiting = false; console.log('%1'); }"
                                     " window.addEventListener('scroll', function () {"
                                     "  if (!waiting) { waiting = true; setTimeout(tell, 100); } }, {passive: true}); })();")
                          .arg(PageScrolledMessage));
}

// No page gets a WebRTC peer connection (shell/NoWebRtc.js says why and how).
QWebEngineScript NoWebRtcScript()
{
    QFile source(":/NoWebRtc.js");
    source.open(QIODevice::ReadOnly);
    return PageScript("verdask-no-webrtc", QString::fromUtf8(source.readAll()));
}

} // namespace

const QString PageScrolledMessage = QStringLiteral("verdask: scrolled");
const QString LookScriptName = QStringLiteral("verdask-look");

QString LookScriptSource(const QString& css)
{
    // The sheet is kept in the program's world, where this runs each time.
    return QStringLiteral("(function (css) {%1"
                          " if (!window.verdaskLook) {"
                          "  window.verdaskLook = new CSSStyleSheet();"
                          "  document.adoptedStyleSheets = document.adoptedStyleSheets.concat([window.verdaskLook]); }"
                          " window.verdaskLook.replaceSync(css); })(%2);")
        .arg(LeaveOtherPages(), JsonString(css));
}

QWebEngineScript LookScript(const QString& css)
{
    QWebEngineScript script;
    script.setName(LookScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(LookScriptSource(css));
    return script;
}

void AddPageScripts(QWebEngineScriptCollection& scripts)
{
    scripts.insert(NavigateScript());
    scripts.insert(NoWebRtcScript());
    scripts.insert(TableFontScript());
    scripts.insert(ParagraphAlignScript());
    scripts.insert(ScrollReportScript());
}

} // namespace verdask
