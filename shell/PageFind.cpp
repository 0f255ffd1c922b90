// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PageFind.h"

#include "shell/FindBar.h"
#include "shell/WebView.h"

#include <QPointer>
#include <QWebEngineView>

namespace verdask {

TPageFind::TPageFind(TWebView& view, TReadingPlace& place, TFindBar& bar, QObject* parent)
    : QObject(parent), view_(view), place_(place), bar_(bar)
{
    connect(&bar, &TFindBar::Search, this, &TPageFind::Search);
    connect(&bar, &TFindBar::Closed, this, &TPageFind::Close);
}

void TPageFind::Search(const QString& text, bool backward)
{
    const bool newText = text != text_;
    text_ = text;
    if (text.isEmpty()) {
        view_.Find({}, false, [](int, int) {});
        End();
        return;
    }
    if (!place_.Suspended()) {
        place_.Suspend();
        shownMatch_ = 0;
    }
    auto find = [self = QPointer<TPageFind>(this), text, backward, newText] {
        if (!self || self->text_ != text)
            return; // typed on meanwhile
        self->view_.Find(text, backward, [self, text, backward, newText](int active, int matches) {
            if (self)
                self->ShowFound(text, active, matches, backward, newText);
        });
    };
    // The engine finds from the caret on.
    if (newText)
        view_.PlaceCaretAt(place_.Origin().Place.Anchor, find);
    else
        find();
}

// A find with no match leaves the view at the reader's place.
void TPageFind::ShowFound(const QString& text, int active, int matches, bool backward, bool newText)
{
    if (text != text_ || !place_.Suspended())
        return;
    const bool wrapped = !newText && shownMatch_ > 0 && matches > 0 && (backward ? active > shownMatch_ : active < shownMatch_);
    shownMatch_ = matches > 0 ? active : 0;
    if (matches == 0)
        view_.ReturnTo(place_.Origin().Place);
    bar_.ShowResult(active, matches, wrapped, backward);
}

void TPageFind::Close(bool keepMatch)
{
    view_.Find({}, false, [](int, int) {});
    if (keepMatch && place_.Suspended())
        TakeMatch();
    End();
    view_.View()->setFocus(Qt::OtherFocusReason);
}

void TPageFind::ReaderActed()
{
    if (place_.Suspended())
        TakeMatch();
}

void TPageFind::TakeMatch()
{
    if (shownMatch_ > 0) {
        const TReadingPlace::TKept from = place_.Origin();
        place_.TakeShown();
        emit MatchTaken(from);
    } else {
        place_.Resume();
    }
    shownMatch_ = 0;
}

void TPageFind::End()
{
    if (place_.Suspended())
        place_.Resume();
    text_.clear();
    shownMatch_ = 0;
}

void TPageFind::FindAgain()
{
    if (bar_.isVisible() && !bar_.Text().isEmpty())
        Search(bar_.Text(), false);
}

} // namespace verdask
