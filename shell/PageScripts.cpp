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

namespace {

// The paragraph anchors, in order, and the last one at or above the view's top;
// then work(), after which that anchor is put back where it was in the view.
const QString KeepingTheTopAnchor = QStringLiteral(
    " var anchors = document.querySelectorAll('a[name^=\"a\"]');"
    " function topAnchor() { var low = 0, high = anchors.length - 1, found = null;"
    "  while (low <= high) { var middle = (low + high) >> 1;"
    "   if (anchors[middle].getBoundingClientRect().top <= 1) { found = anchors[middle]; low = middle + 1; }"
    "   else high = middle - 1; }"
    "  return found; }"
    " function keeping(work) { var a = topAnchor(), before = a ? a.getBoundingClientRect().top : 0; work();"
    "  if (a) window.scrollBy(0, a.getBoundingClientRect().top - before); }");

// The page's text nodes, in order, and the first of those in view: the one after
// the top anchor.
const QString TextNodes = QStringLiteral(
    " var nodes = [], walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);"
    " for (var n = walker.nextNode(); n; n = walker.nextNode()) nodes.push(n);"
    " function firstInView() { var a = topAnchor(); if (!a) return 0; var low = 0, high = nodes.length;"
    "  while (low < high) { var middle = (low + high) >> 1;"
    "   if (a.compareDocumentPosition(nodes[middle]) & Node.DOCUMENT_POSITION_FOLLOWING) high = middle;"
    "   else low = middle + 1; }"
    "  return low; }");

const QString RussianWord = QStringLiteral("/[\\u0410-\\u044F\\u0401\\u0451]{5,}/g");

// The text nodes a screen holds at most, and those hyphenated at a time in the
// background, the window's events let through between.
constexpr int ScreenNodes = 300;
constexpr int ChunkNodes = 1500;

// The nodes of a part of the page: from the first in view on for the screen,
// all of them for the page.
QString PartOf(THyphenPart part)
{
    return part == THyphenPart::Screen
               ? QStringLiteral(" var from = firstInView(), to = Math.min(nodes.length, from + %1);").arg(ScreenNodes)
               : QStringLiteral(" var from = 0, to = nodes.length;");
}

} // namespace

QString HyphenWordsScript(THyphenPart part)
{
    return QStringLiteral("(function () {%1"
                          " if (getComputedStyle(document.body).textAlign != 'justify') return;%2%3%4"
                          " var words = new Set();"
                          " for (var i = from; i < to; ++i) { var found = nodes[i].data.match(%5);"
                          "  if (found) for (var w of found) words.add(w); }"
                          " return Array.from(words); })()")
        .arg(LeaveOtherPages(), KeepingTheTopAnchor, TextNodes, PartOf(part), RussianWord);
}

QString SoftHyphensScript(const QString& hyphensJson, THyphenPart part)
{
    // A node that holds a soft hyphen has had them; each run stops when another
    // begins, and when the hyphens are taken out.
    return QStringLiteral("(function (hyphens) { var run = window.verdaskHyphenRun = (window.verdaskHyphenRun || 0) + 1;"
                          " if (!window.verdaskPlainCopy) { window.verdaskPlainCopy = true;"
                          "  document.addEventListener('copy', function (event) {"
                          "   var text = window.getSelection().toString(); if (text.indexOf('\\u00AD') < 0) return;"
                          "   event.clipboardData.setData('text/plain', text.replace(/\\u00AD/g, ''));"
                          "   event.preventDefault(); }); }%1%2%3"
                          " function hyphenate(from, to) { keeping(function () {"
                          "  for (var i = from; i < to; ++i) { var text = nodes[i].data; if (text.indexOf('\\u00AD') >= 0) continue;"
                          "   var changed = text.replace(%4, function (w) { return hyphens[w] || w; });"
                          "   if (changed !== text) nodes[i].data = changed; } }); }"
                          " if (to - from <= %5) { hyphenate(from, to); return; }"
                          // The page: what is in view first, then the rest.
                          " var shown = firstInView(), ranges = [[shown, Math.min(to, shown + %5)]];"
                          " for (var i = shown + %5; i < to; i += %6) ranges.push([i, Math.min(to, i + %6)]);"
                          " for (var i = 0; i < shown; i += %6) ranges.push([i, Math.min(shown, i + %6)]);"
                          " (function next() { var range = ranges.shift(); if (!range || run != window.verdaskHyphenRun) return;"
                          "  hyphenate(range[0], range[1]); setTimeout(next, 0); })(); })(%7);")
        .arg(KeepingTheTopAnchor, TextNodes, PartOf(part), RussianWord)
        .arg(ScreenNodes)
        .arg(ChunkNodes)
        .arg(hyphensJson);
}

QString NoSoftHyphensScript()
{
    return QStringLiteral("(function () { window.verdaskHyphenRun = (window.verdaskHyphenRun || 0) + 1;%1%2"
                          " keeping(function () { for (var node of nodes)"
                          "  if (node.data.indexOf('\\u00AD') >= 0) node.data = node.data.replace(/\\u00AD/g, ''); }); })();")
        .arg(KeepingTheTopAnchor, TextNodes);
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
