// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the reader is in the current page: the paragraph at the top of the view,
// measured once the view has been still for a moment, and the paragraph the
// program put at the top (the bookmark the page opened at, the place kept through
// a zoom), held there until the reader moves. Only the reader moves the place:
// while the program shows something else of the page (a match of a find), what
// the view shows is not measured.

#include "shell/WebView.h"

#include <QObject>
#include <QUrl>

#include <cstdint>
#include <functional>

class QTimer;

namespace verdask {

class TReadingPlace : public QObject {
    Q_OBJECT

public:
    // The reader's place as kept to come back to, exactly.
    struct TKept {
        TWebView::TPlace Place;
        std::int64_t HeldAnchor = 0;
        THeadingLine HeldHeading;
        QString HeldLayout;
        double HeldScrollY = 0;
    };

    // pageShown: whether the view shows the current page, loaded.
    TReadingPlace(TWebView& view, std::function<bool()> pageShown, QObject* parent);

    // A page became current (an empty url: none); it stands at anchor (0: its top)
    // until the reader moves.
    void StartPage(const QUrl& url, std::int64_t anchor);
    // The reader's place: the paragraph at the top, 0 at the top of the page;
    // while the program shows another part of the page, the one the reader was at.
    std::int64_t Paragraph() const { return suspended_ ? origin_.Place.Anchor : paragraph_; }
    // The paragraph at the top of what the view shows, the reader's place or not.
    std::int64_t ShownParagraph() const { return suspended_ ? shownParagraph_ : paragraph_; }
    // The page's number of paragraphs, 0 while unknown; asked of the page again.
    std::int64_t ParagraphCount() const { return paragraphCount_; }
    void CountParagraphs();

    // Measures the place now when the page is shown; else the one measured while
    // it was stands.
    void MeasureNow();
    // Measures it once the view has been still for a moment.
    void MeasureSoon();
    // Puts the held paragraph back at the top when the page was laid out anew.
    void HoldPlace();
    // Holds the paragraph at the top now, as the page is laid out anew (a zoom).
    void HoldCurrent();
    // The reader scrolls: the program holds the place no more, whatever the page's
    // layouts that are yet to come.
    void ReaderMoves();

    // The program shows another part of the page (a match), which is not the
    // reader's place: the place is kept, and what the view shows is not measured.
    void Suspend();
    bool Suspended() const { return suspended_; }
    // Where the reader was when the program began to show another part.
    const TKept& Origin() const { return origin_; }
    // The reader reads on from what the program showed: a place of the reader's,
    // measured soon.
    void TakeShown();
    // Back to the place the reader was at.
    void Resume() { ReturnTo(origin_); }
    TKept Keep();
    // Back to a kept place, which is the reader's again.
    void ReturnTo(const TKept& kept);
    // Puts a contents heading's line at the top, which may stand at the end of the
    // paragraph before its own, or after the last paragraph: the place is the
    // heading's paragraph, and the heading is put back there until the reader moves.
    void GoToHeading(std::int64_t anchor, const THeadingLine& heading);

signals:
    // The paragraph at the top, or the number of paragraphs, changed.
    void Changed();

private:
    void MeasureLater();
    void TakeMeasure(const TWebView::TPlace& place);
    bool Holding(const TWebView::TPlace& place);
    void Hold(std::int64_t anchor, const THeadingLine& heading);
    bool Shown() const;

    TWebView& view_;
    std::function<bool()> pageShown_;
    QTimer* stillTimer_;
    QUrl url_;
    std::int64_t paragraph_ = 0;      // where the page opened, or measured while it was shown
    std::int64_t paragraphCount_ = 0;
    std::int64_t heldAnchor_ = 0;     // put at the top by the program, until the reader moves
    THeadingLine heldHeading_;        // the line put there, when a heading's
    QString heldLayout_;              // the page's size and zoom when it was put there
    double heldScrollY_ = 0;          // and the page's scroll offset then
    bool suspended_ = false;
    TKept origin_;
    std::int64_t shownParagraph_ = 0; // measured while suspended
};

} // namespace verdask
