// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ReadingPlace.h"

#include <QPointer>
#include <QTimer>

#include <cmath>

namespace verdask {
namespace {

// A position is measured this long after the view stopped scrolling or resizing.
constexpr int MeasureDelayMs = 250;

} // namespace

TReadingPlace::TReadingPlace(TWebView& view, std::function<bool()> pageShown, QObject* parent)
    : QObject(parent), view_(view), pageShown_(std::move(pageShown)), stillTimer_(new QTimer(this))
{
    stillTimer_->setSingleShot(true);
    stillTimer_->setInterval(MeasureDelayMs);
    connect(stillTimer_, &QTimer::timeout, this, &TReadingPlace::MeasureLater);
    connect(&view, &TWebView::Scrolled, stillTimer_, qOverload<>(&QTimer::start));
    connect(&view, &TWebView::LaidOut, this, &TReadingPlace::HoldPlace);
    connect(&view, &TWebView::LaidOut, stillTimer_, qOverload<>(&QTimer::start));
}

void TReadingPlace::StartPage(const QUrl& url, std::int64_t anchor)
{
    url_ = url;
    paragraphCount_ = 0;
    suspended_ = false;
    paragraph_ = anchor;
    Hold(anchor, {});
}

void TReadingPlace::Hold(std::int64_t anchor, const THeadingLine& heading)
{
    heldAnchor_ = anchor;
    heldHeading_ = heading;
    heldLayout_.clear();
}

bool TReadingPlace::Shown() const
{
    return !url_.isEmpty() && pageShown_();
}

// Asked of the document shown, for the current page only; asked again when a
// load ended in a way that left it unknown.
void TReadingPlace::CountParagraphs()
{
    view_.ParagraphCountLater([place = QPointer<TReadingPlace>(this), url = url_](std::int64_t count) {
        if (place && place->url_ == url && place->Shown() && count > 0) {
            place->paragraphCount_ = count;
            emit place->Changed();
        }
    });
}

void TReadingPlace::MeasureNow()
{
    // A hidden view keeps its last layout, but what it answers then is not what
    // the reader saw: the position measured while it was shown stands.
    if (!Shown() || !view_.isVisible())
        return;
    const TWebView::TPlace place = view_.MeasurePlace();
    if (Shown() && place.DocumentUrl.adjusted(QUrl::RemoveFragment) == url_)
        TakeMeasure(place);
}

void TReadingPlace::MeasureSoon()
{
    stillTimer_->start();
}

void TReadingPlace::MeasureLater()
{
    if (!Shown())
        return;
    view_.MeasurePlaceLater([place = QPointer<TReadingPlace>(this), url = url_](const TWebView::TPlace& measured) {
        if (place && place->url_ == url && place->Shown() && measured.DocumentUrl.adjusted(QUrl::RemoveFragment) == url)
            place->TakeMeasure(measured);
    });
}

void TReadingPlace::TakeMeasure(const TWebView::TPlace& place)
{
    if (paragraphCount_ == 0)
        CountParagraphs();
    if (suspended_) {
        if (place.Anchor != shownParagraph_) {
            shownParagraph_ = place.Anchor;
            emit Changed();
        }
        return;
    }
    if (Holding(place))
        return;
    if (place.Anchor != paragraph_) {
        paragraph_ = place.Anchor;
        emit Changed();
    }
}

// Whether the program still holds the paragraph it put at the top. A place
// measured in another layout than the one it was put there in is the engine's
// doing (a zoom or a size that reached the page late), and the paragraph is put
// back; in the same layout at the same scroll offset the reader has not moved,
// whatever the top line shows (the end of a book cannot come to the top).
// Otherwise the reader has moved and the hold ends.
bool TReadingPlace::Holding(const TWebView::TPlace& place)
{
    if (heldAnchor_ <= 0)
        return false;
    if (place.Layout != heldLayout_) {
        HoldPlace();
        return true;
    }
    if (std::abs(place.ScrollY - heldScrollY_) < 1)
        return true;
    heldAnchor_ = 0;
    return false;
}

// The page's doLoad takes it to its bookmark as soon as it has loaded, and its
// zoom and the view's real size may reach it only after that (at start the page
// loads before the window is shown); a new zoom reaches it after the program has
// put the top paragraph back. The engine keeps a place through a resize but not
// through a zoom: until the reader moves, the paragraph the program put at the
// top is put there again whenever the page is laid out anew. The answers of the
// view come in the order it was asked, so a measure asked after this finds the
// layout it leaves.
void TReadingPlace::HoldPlace()
{
    if (!Shown() || heldAnchor_ <= 0 || suspended_)
        return;
    view_.PlaceParagraph(heldAnchor_, heldHeading_, heldLayout_,
                        [place = QPointer<TReadingPlace>(this), anchor = heldAnchor_,
                         url = url_](const std::optional<TWebView::TPlace>& placed) {
                            if (!placed || !place || place->heldAnchor_ != anchor || place->url_ != url)
                                return;
                            // A page without the anchor has nothing to hold.
                            if (placed->Anchor == 0)
                                place->heldAnchor_ = 0;
                            place->heldLayout_ = placed->Layout;
                            place->heldScrollY_ = placed->ScrollY;
                        });
}

void TReadingPlace::HoldCurrent()
{
    Hold(paragraph_, {});
}

void TReadingPlace::ReaderMoves()
{
    heldAnchor_ = 0;
    MeasureSoon();
}

void TReadingPlace::Suspend()
{
    origin_ = Keep();
    shownParagraph_ = origin_.Place.Anchor;
    suspended_ = true;
}

void TReadingPlace::TakeShown()
{
    suspended_ = false;
    heldAnchor_ = 0;
    MeasureLater();
}

// A place held is kept as it was put there; its scroll offset may not be known yet.
TReadingPlace::TKept TReadingPlace::Keep()
{
    TKept kept{{}, heldAnchor_, heldHeading_, heldLayout_, heldScrollY_};
    if (!suspended_ && heldAnchor_ <= 0 && Shown() && view_.isVisible()) {
        kept.Place = view_.MeasurePlace();
        if (kept.Place.DocumentUrl.adjusted(QUrl::RemoveFragment) != url_)
            kept.Place = {};
        else
            TakeMeasure(kept.Place);
    } else if (heldAnchor_ > 0) {
        kept.Place.Layout = heldLayout_;
        kept.Place.ScrollY = heldScrollY_;
    }
    kept.Place.Anchor = paragraph_;
    return kept;
}

void TReadingPlace::ReturnTo(const TKept& kept)
{
    suspended_ = false;
    heldAnchor_ = kept.HeldAnchor;
    heldHeading_ = kept.HeldHeading;
    heldLayout_ = kept.HeldLayout;
    heldScrollY_ = kept.HeldScrollY;
    view_.ReturnTo(kept.Place);
    paragraph_ = kept.Place.Anchor;
    emit Changed();
    // A paragraph near the end of the book cannot come to the top: what does is measured.
    MeasureSoon();
}

void TReadingPlace::GoToHeading(std::int64_t anchor, const THeadingLine& heading)
{
    if (anchor <= 0 && !heading.AfterAnchor)
        return ReturnTo({}); // a heading above the first paragraph: the top of the page
    suspended_ = false;
    paragraph_ = anchor;
    Hold(anchor, heading);
    emit Changed();
    if (anchor > 0)
        return HoldPlace();
    // A page without anchors has no paragraph to hold: its heading's line is put
    // at the top once, and the reader reads on from there.
    view_.PlaceParagraph(0, heading, {}, [](const std::optional<TWebView::TPlace>&) {});
}

} // namespace verdask
