// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Find in the page being read, with the find bar. A find begins at the reader's
// place and goes forwards. While the bar is open a match is only shown: the
// reader's place stays the one the find began at, and Escape, or leaving the
// page, takes the view back there. The reader takes a match as the new place by
// closing the bar with its close button (or Enter in an empty field) or by
// reading on from it; that is a jump.

#include "shell/ReadingPlace.h"

#include <QObject>
#include <QString>

namespace verdask {

class TFindBar;
class TWebView;

class TPageFind : public QObject {
    Q_OBJECT

public:
    TPageFind(TWebView& view, TReadingPlace& place, TFindBar& bar, QObject* parent);

    // The reader clicked or scrolled the page: a match shown is taken.
    void ReaderActed();
    // A match still shown is given up: the view goes back to the reader's place.
    void End();
    // The page was loaded anew: what the bar holds is found again.
    void FindAgain();

signals:
    // The reader took a match: a jump from the place the find began at.
    void MatchTaken(const TReadingPlace::TKept& from);

private:
    void Search(const QString& text, bool backward);
    void ShowFound(const QString& text, int active, int matches, bool backward, bool newText);
    void Close(bool keepMatch);
    void TakeMatch();

    TWebView& view_;
    TReadingPlace& place_;
    TFindBar& bar_;
    QString text_;       // searched last
    int shownMatch_ = 0; // the match shown, from 1
};

} // namespace verdask
