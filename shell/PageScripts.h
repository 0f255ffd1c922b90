// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The scripts every page, and every frame a page makes, runs before any script of
// its own: window.navigate for the pages' doLoad, no WebRTC, the body's font in
// the table of a narrow page, the paragraphs' alignment for the text of a page of
// this program, and a word on the console when the page scrolls.

#include <QString>
#include <QWebEngineScript>

class QWebEngineScriptCollection;

namespace verdask {

// What a page says on its console when it scrolled: the engine's own word of it
// stops coming now and then (seen after a start in a maximized window).
extern const QString PageScrolledMessage;

void AddPageScripts(QWebEngineScriptCollection& scripts);

// The look the reader gives a page of this program over its own style (css), as
// a script a document runs when it is ready, run again on the shown document
// when the look changes. Other pages are left as they are.
extern const QString LookScriptName;

// What is hyphenated: the text nodes in view, or the whole page.
enum class THyphenPart { Screen, Page };
// The Russian words of five letters or more of the part of a justified page of
// this program, each once; undefined for any other page.
QString HyphenWordsScript(THyphenPart part);
// Puts the soft hyphens of hyphens (a word, the word with its soft hyphens) into
// the part's text, the page's in the background with what is in view first,
// keeping the paragraph at the top where it is; copying the text leaves them out.
QString SoftHyphensScript(const QString& hyphensJson, THyphenPart part);
// Takes every soft hyphen out of the page's text again.
QString NoSoftHyphensScript();
QString LookScriptSource(const QString& css);
QWebEngineScript LookScript(const QString& css);

} // namespace verdask
