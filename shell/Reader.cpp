#include "shell/Reader.h"

#include "conversion/Bookmark.h"
#include "conversion/Contents.h"
#include "files/Errors.h"
#include "shell/ContentsPanel.h"
#include "shell/FindBar.h"
#include "shell/InterfaceText.h"
#include "shell/PrintJob.h"
#include "shell/QtStrings.h"
#include "shell/WebView.h"

#include <QPrinter>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace verdask {
namespace {

// A position is measured this long after the view stopped scrolling or resizing.
constexpr int MeasureDelayMs = 250;
// The contents panel's width when it is first shown.
constexpr int ContentsWidth = 220;
// The zooms a step goes through, in percent, as browsers have them.
constexpr int ZoomSteps[] = {25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500};

} // namespace

TReader::TReader(Prompts& prompts, QWidget* parent)
    : QWidget(parent),
      prompts_(prompts),
      view_(new TWebView(this)),
      findBar_(new TFindBar(this)),
      contents_(new TContentsPanel(this)),
      splitter_(new QSplitter(Qt::Horizontal, this)),
      measureTimer_(new QTimer(this)),
      printing_(new TPrintQueue(this))
{
    // The contents beside the page, the find bar under it.
    auto* page = new QWidget(this);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(view_, 1);
    pageLayout->addWidget(findBar_);
    splitter_->addWidget(contents_);
    splitter_->addWidget(page);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    contents_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
    connect(contents_, &TContentsPanel::HeadingChosen, this, [this](const THeading& heading) {
        view_->ScrollToHeading(heading.Anchor, FromWindows1251(heading.Text));
        view_->View()->setFocus(Qt::OtherFocusReason);
    });
    connect(this, &TReader::PositionChanged, this, [this] { contents_->MarkPartOf(ShownParagraph()); });
    connect(findBar_, &TFindBar::Search, this, &TReader::Search);
    connect(findBar_, &TFindBar::Closed, this, [this] {
        view_->Find({}, false, [](int, int) {});
        view_->View()->setFocus(Qt::OtherFocusReason);
    });
    measureTimer_->setSingleShot(true);
    measureTimer_->setInterval(MeasureDelayMs);
    connect(measureTimer_, &QTimer::timeout, this, &TReader::MeasureLater);
    connect(view_, &TWebView::LoadStarted, this, &TReader::LoadStarted);
    connect(view_, &TWebView::LoadFinished, this, &TReader::LoadFinished);
    connect(view_, &TWebView::Scrolled, measureTimer_, qOverload<>(&QTimer::start));
    connect(view_, &TWebView::LaidOut, this, &TReader::HoldPlace);
    connect(view_, &TWebView::LaidOut, measureTimer_, qOverload<>(&QTimer::start));
    connect(view_, &TWebView::FileRequested, this, &TReader::FileRequested);
    connect(view_, &TWebView::RendererStopped, this, &TReader::RendererStopped);
    connect(printing_, &TPrintQueue::Failed, this, [this](const QString& error) { ShowLater(error.toStdString(), true); });
}

TReader::~TReader()
{
    // The view outlives this part of the reader by a moment: it tells it nothing more.
    view_->disconnect(this);
}

void TReader::SetLanguage(int language)
{
    language_ = language;
    findBar_->SetLanguage(language);
}

void TReader::ShowPage(const std::string& path)
{
    SaveReadingPosition();
    const bool another = path != currentPage_;
    currentPage_ = path;
    paragraphCount_ = 0;
    currentUrl_ = QUrl::fromLocalFile(FromPath(path));
    currentLoading_ = true;
    currentLoaded_ = false;
    std::int64_t bookmark = 0;
    try {
        bookmark = StoredBookmark(path, *files_);
    } catch (const EVerdaskError&) {
        // The view shows why the page cannot be read; there is no bookmark to keep.
    }
    // Until the reader moves, the page is where it opens: left before it has
    // loaded, or unmoved, it keeps its bookmark, and a page just written over it
    // gets that one.
    HoldAt(bookmark);
    loading_ = true;
    view_->NavigateToFile(path);
    // Read again for the same page too: converting a book anew rewrites it.
    LoadContents();
    if (another)
        emit CurrentPageChanged(FromPath(path));
    emit PositionChanged();
}

void TReader::ShowOther(const std::string& target)
{
    MeasureNow(); // the last look at the current page before it goes
    loading_ = true;
    view_->Navigate(target);
}

std::int64_t TReader::GetReadingPosition()
{
    return view_->MeasurePlace().Anchor;
}

bool TReader::CurrentPageShown() const
{
    return currentLoaded_ && view_->FileUrl() == currentUrl_;
}

std::optional<std::int64_t> TReader::PositionToStore()
{
    if (currentPage_.empty())
        return std::nullopt;
    MeasureNow();
    return lastPosition_;
}

void TReader::MeasureNow()
{
    // A hidden view keeps its last layout, but what it answers then is not what
    // the reader saw: the position measured while it was shown stands.
    if (!CurrentPageShown() || !view_->isVisible())
        return;
    const TWebView::TPlace place = view_->MeasurePlace();
    if (CurrentPageShown() && place.DocumentUrl.adjusted(QUrl::RemoveFragment) == currentUrl_)
        TakeMeasure(place);
}

void TReader::SaveReadingPosition()
{
    const auto position = PositionToStore();
    if (!position)
        return;
    try {
        SaveBookmark(currentPage_, *position, *files_);
    } catch (const EVerdaskError& error) {
        // A read-only folder fails at every save: told once, and the command goes on.
        if (failedSaves_.insert(currentPage_).second)
            prompts_.ShowError(BookmarkNotSavedText(language_, error.what()));
    }
}

void TReader::TakeMeasure(const TWebView::TPlace& place)
{
    if (paragraphCount_ == 0)
        CountParagraphs();
    if (Holding(place))
        return;
    if (place.Anchor != lastPosition_) {
        lastPosition_ = place.Anchor;
        emit PositionChanged();
    }
}

// Whether the program still holds the paragraph it put at the top. A place
// measured in another layout than the one it was put there in is the engine's
// doing (a zoom or a size that reached the page late), and the paragraph is put
// back; in the same layout at the same scroll offset the reader has not moved,
// whatever the top line shows (the end of a book cannot come to the top).
// Otherwise the reader has moved and the hold ends.
bool TReader::Holding(const TWebView::TPlace& place)
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

void TReader::MeasureLater()
{
    if (!CurrentPageShown())
        return;
    view_->MeasurePlaceLater([reader = QPointer<TReader>(this), url = currentUrl_](const TWebView::TPlace& place) {
        if (reader && reader->currentUrl_ == url && reader->CurrentPageShown() &&
            place.DocumentUrl.adjusted(QUrl::RemoveFragment) == url)
            reader->TakeMeasure(place);
    });
}

void TReader::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    measureTimer_->start();
}

void TReader::LoadStarted()
{
    loading_ = true;
    currentLoaded_ = false;
    ApplyZoom();
}

// The engine may take a new document back to its own zoom: every page gets the reader's.
void TReader::ApplyZoom()
{
    if (std::lround(view_->Zoom() * 100) != zoomPercent_)
        view_->SetZoom(zoomPercent_ / 100.0);
}

// The page's doLoad takes it to its bookmark as soon as it has loaded, and its
// zoom and the view's real size may reach it only after that (at start the page
// loads before the window is shown); a new zoom reaches it after the program has
// put the top paragraph back. The engine keeps a place through a resize but not
// through a zoom: until the reader moves, the paragraph the program put at the
// top is put there again whenever the page is laid out anew.
void TReader::HoldAt(std::int64_t anchor)
{
    lastPosition_ = anchor;
    heldAnchor_ = anchor;
    heldLayout_.clear();
}

// The answers of the view come in the order it was asked, so a measure asked
// after this finds the layout it leaves.
void TReader::HoldPlace()
{
    if (!CurrentPageShown() || heldAnchor_ <= 0)
        return;
    view_->HoldParagraph(heldAnchor_, heldLayout_, [reader = QPointer<TReader>(this), anchor = heldAnchor_,
                                                    url = currentUrl_](const std::optional<TWebView::TPlace>& place) {
        if (!place || !reader || reader->heldAnchor_ != anchor || reader->currentUrl_ != url)
            return;
        // A page without the anchor has nothing to hold.
        if (place->Anchor == 0)
            reader->heldAnchor_ = 0;
        reader->heldLayout_ = place->Layout;
        reader->heldScrollY_ = place->ScrollY;
    });
}

void TReader::LoadFinished(bool ok)
{
    loading_ = false;
    const bool current = view_->FileUrl() == currentUrl_;
    if (current)
        currentLoading_ = false;
    // No measuring now: a page just loaded may not be laid out yet, and where it
    // opened is known.
    currentLoaded_ = ok && current && !currentPage_.empty();
    ApplyZoom();
    if (currentLoaded_) {
        HoldPlace();
        CountParagraphs();
    }
    if (findBar_->isVisible() && !findBar_->Text().isEmpty())
        Search(findBar_->Text(), false);
}

// Asked of the document shown, for the current page only; asked again when a
// load ended in a way that left it unknown.
void TReader::CountParagraphs()
{
    view_->ParagraphCountLater([reader = QPointer<TReader>(this), url = currentUrl_](std::int64_t count) {
        if (reader && reader->currentUrl_ == url && reader->CurrentPageShown() && count > 0) {
            reader->paragraphCount_ = count;
            emit reader->PositionChanged();
        }
    });
}

void TReader::SetZoomPercent(int percent)
{
    percent = std::clamp(percent, ZoomSteps[0], ZoomSteps[std::size(ZoomSteps) - 1]);
    if (percent == zoomPercent_)
        return;
    MeasureNow();
    zoomPercent_ = percent;
    // A page still loading keeps the place it opens at; at the top of a page there
    // is nothing to hold.
    HoldAt(lastPosition_);
    view_->SetZoom(percent / 100.0);
    HoldPlace();
}

void TReader::StepZoom(int direction)
{
    if (direction > 0) {
        const auto* next = std::upper_bound(std::begin(ZoomSteps), std::end(ZoomSteps), zoomPercent_);
        SetZoomPercent(next != std::end(ZoomSteps) ? *next : zoomPercent_);
    } else {
        const auto* next = std::lower_bound(std::begin(ZoomSteps), std::end(ZoomSteps), zoomPercent_);
        SetZoomPercent(next != std::begin(ZoomSteps) ? *std::prev(next) : zoomPercent_);
    }
}

void TReader::ShowContents(bool shown)
{
    contentsShown_ = shown;
    contents_->setVisible(shown);
    if (!shown)
        return;
    // A panel shown for the first time gets its width; one the reader has sized keeps it.
    const QList<int> sizes = splitter_->sizes();
    if (sizes.size() == 2 && sizes[0] < ContentsWidth / 2) {
        const int total = std::max(sizes[0] + sizes[1], 2 * ContentsWidth);
        splitter_->setSizes({ContentsWidth, total - ContentsWidth});
    }
    LoadContents();
}

bool TReader::ContentsShown() const
{
    return contentsShown_;
}

// Read from the page itself, only while the panel is shown; a page that cannot be
// read has no contents.
void TReader::LoadContents()
{
    if (!contentsShown_)
        return;
    std::vector<THeading> headings;
    if (!currentPage_.empty()) {
        try {
            headings = ReadContents(currentPage_, *files_);
        } catch (const EVerdaskError&) {
        }
    }
    contents_->SetHeadings(std::move(headings));
    contents_->MarkPartOf(ShownParagraph());
}

void TReader::OpenFindBar()
{
    findBar_->Open();
}

void TReader::Search(const QString& text, bool backward)
{
    view_->Find(text, backward, [bar = QPointer<TFindBar>(findBar_)](int active, int matches) {
        if (bar)
            bar->ShowResult(active, matches);
    });
}

void TReader::FileRequested(const QUrl& url)
{
    if (!currentPage_.empty() && url.adjusted(QUrl::RemoveFragment) == currentUrl_) {
        // Back to the page, or a reload: it opens where the reader left it.
        ShowPage(currentPage_);
        return;
    }
    // A link to another file: that file is shown, and the page being read stays
    // current, its place kept for the way back.
    SaveReadingPosition();
    loading_ = true;
    view_->NavigateToFile(ToPath(url.toLocalFile()));
}

void TReader::RendererStopped()
{
    loading_ = false;
    currentLoaded_ = false;
    printing_->EngineLost();
    const bool current = !currentPage_.empty() && (currentLoading_ || view_->FileUrl() == currentUrl_);
    if (!current) {
        ShowLater(RendererStoppedText(language_, {}), false);
        return;
    }
    // The page stays as it was (what was measured of it is kept), and it is not
    // reopened by itself: at the next start it would stop the view again.
    const std::string page = currentPage_;
    SaveReadingPosition();
    currentPage_.clear();
    currentUrl_.clear();
    currentLoading_ = false;
    paragraphCount_ = 0;
    LoadContents();
    view_->Navigate("about:blank");
    emit PageDropped(FromPath(page));
    emit CurrentPageChanged({});
    emit PositionChanged();
    ShowLater(RendererStoppedText(language_, page), true);
}

void TReader::ShowLater(const std::string& text, bool error)
{
    // Not from within the view's signal: the message box runs an event loop.
    QTimer::singleShot(0, this, [this, text, error] {
        if (error)
            prompts_.ShowError(text);
        else
            prompts_.ShowMessage(text);
    });
}

bool TReader::Printing() const
{
    return printing_->Printing();
}

void TReader::Print()
{
    if (printing_->Printing())
        return;
    // A page too large for the view stops its renderer while it loads, and the
    // engine does not survive that while it makes pages: it prints loaded pages only.
    if (loading_) {
        prompts_.ShowMessage(PageStillLoadingText(language_));
        return;
    }
    TPrintSettings settings;
    if (!prompts_.ExecutePrintDialog(settings))
        return;
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    ApplyPrintSettings(settings, *printer);
    Print(std::move(printer), settings.OutputFileName);
}

void TReader::Print(std::unique_ptr<QPrinter> printer, const std::string& pdfFile)
{
    printing_->Print(std::move(printer), pdfFile, *view_, window(), language_);
}

} // namespace verdask
