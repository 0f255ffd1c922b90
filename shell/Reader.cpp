// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Reader.h"

#include "conversion/Bookmark.h"
#include "conversion/Contents.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "shell/ContentsPanel.h"
#include "shell/FindBar.h"
#include "shell/InterfaceText.h"
#include "shell/PageFind.h"
#include "shell/PrintJob.h"
#include "shell/QtStrings.h"
#include "shell/ReadingPlace.h"
#include "shell/WebView.h"

#include <QCoreApplication>
#include <QPrinter>
#include <QThreadPool>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <utility>

namespace verdask {
namespace {

// The words and their hyphenated forms as a script's object. The words are
// Russian letters alone, which need no escaping.
QString HyphensOf(const THyphenator& hyphenator, const QStringList& words)
{
    QString hyphens = QStringLiteral("{");
    for (const QString& word : words) {
        const QString hyphenated = hyphenator.Hyphenated(word);
        if (hyphenated.size() == word.size())
            continue;
        if (hyphens.size() > 1)
            hyphens += ',';
        hyphens += '"' + word + QStringLiteral("\":\"") + hyphenated + '"';
    }
    return hyphens + '}';
}

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
      place_(new TReadingPlace(*view_, [this] { return CurrentPageShown(); }, this)),
      find_(new TPageFind(*view_, *place_, *findBar_, this)),
      printing_(new TPrintQueue(this))
{
    view_->SetLook(LookCss(look_));
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
    connect(contents_, &TContentsPanel::HeadingChosen, this, &TReader::GoToHeading);
    connect(this, &TReader::PositionChanged, this, [this] { contents_->MarkPartOf(ShownParagraph()); });
    connect(place_, &TReadingPlace::Changed, this, &TReader::PositionChanged);
    connect(find_, &TPageFind::MatchTaken, this, &TReader::PushJump);
    connect(view_, &TWebView::ReaderActed, this, [this](bool scrolled) {
        if (place_->Suspended())
            find_->ReaderActed();
        else if (scrolled)
            place_->ReaderMoves();
    });
    connect(view_, &TWebView::LoadStarted, this, &TReader::LoadStarted);
    connect(view_, &TWebView::LoadFinished, this, &TReader::LoadFinished);
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

// A page of many megabytes takes the view a long while and gigabytes of memory,
// and one too large stops it: asked once a page in a run.
bool TReader::MayShow(const std::string& path)
{
    constexpr std::uintmax_t LargePage = 50u * 1000 * 1000;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size <= LargePage || path == currentPage_ || largePagesAllowed_.contains(path))
        return true;
    if (!prompts_.AskWarningYesNo("", LargePageQuestion(language_, path, size)))
        return false;
    largePagesAllowed_.insert(path);
    return true;
}

void TReader::ShowPage(const std::string& path)
{
    if (!MayShow(path))
        return;
    SaveReadingPosition();
    OpenPage(path);
}

void TReader::ShowConvertedPage(const std::string& path)
{
    if (!MayShow(path))
        return;
    if (path != currentPage_)
        SaveReadingPosition();
    OpenPage(path);
}

void TReader::OpenPage(const std::string& path)
{
    const bool another = path != currentPage_;
    currentPage_ = path;
    currentUrl_ = QUrl::fromLocalFile(FromPath(path));
    find_->End();
    const bool wasAway = std::exchange(awayFromPage_, false);
    if (another)
        ClearJumps();
    else if (wasAway)
        emit JumpsChanged();
    currentLoading_ = true;
    currentLoaded_ = false;
    std::int64_t bookmark = 0;
    try {
        bookmark = StoredBookmark(path, *files_);
    } catch (const EVerdaskError&) {
        // The view shows why the page cannot be read; there is no bookmark to keep.
    }
    // Until the reader moves, the page is where it opens: left before it has
    // loaded, or unmoved, it keeps its bookmark.
    place_->StartPage(currentUrl_, bookmark);
    loading_ = true;
    view_->NavigateToFile(path);
    // Read again for the same page too: converting a book anew rewrites it.
    LoadContents();
    if (another)
        emit CurrentPageChanged(FromPath(path));
    emit ShownChanged();
    emit PositionChanged();
}

void TReader::ShowOther(const std::string& target)
{
    place_->MeasureNow(); // the last look at the current page before it goes
    LeavePage();
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
    place_->MeasureNow();
    return place_->Paragraph();
}

std::int64_t TReader::ShownParagraph() const
{
    return currentPage_.empty() ? 0 : place_->ShownParagraph();
}

std::int64_t TReader::ParagraphCount() const
{
    return place_->ParagraphCount();
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

void TReader::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place_->MeasureSoon();
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

QString TReader::ShownName() const
{
    if (!awayFromPage_)
        return currentPage_.empty() ? QString() : FromPath(FileNamePart(currentPage_));
    const QUrl shown = view_->View()->url();
    return shown.isLocalFile() ? shown.fileName() : shown.toDisplayString(QUrl::RemoveQuery | QUrl::RemoveFragment);
}

std::string TReader::ShownFile() const
{
    if (!awayFromPage_)
        return currentPage_;
    const QUrl shown = view_->FileUrl();
    return shown.isEmpty() ? std::string() : ToPath(shown.toLocalFile());
}

void TReader::LoadFinished(bool ok)
{
    loading_ = false;
    emit ShownChanged();
    const bool current = view_->FileUrl() == currentUrl_;
    if (current)
        currentLoading_ = false;
    // No measuring now: a page just loaded may not be laid out yet, and where it
    // opened is known.
    currentLoaded_ = ok && current && !currentPage_.empty();
    ApplyZoom();
    if (currentLoaded_) {
        place_->HoldPlace();
        place_->CountParagraphs();
        HyphenateShown(THyphenPart::Screen);
    }
    find_->FindAgain();
}

void TReader::SetHyphenation(bool on)
{
    if (on == hyphenation_)
        return;
    hyphenation_ = on;
    if (!CurrentPageShown())
        return;
    if (on)
        HyphenateShown(THyphenPart::Screen);
    else
        view_->RemoveSoftHyphens();
}

// The words in view go to the patterns first and come back with their soft
// hyphens at once; then those of the whole page, hyphenated on another thread
// (some tens of thousands of words) and put in the background.
void TReader::HyphenateShown(THyphenPart part)
{
    if (!hyphenation_)
        return;
    if (!hyphenator_)
        hyphenator_ = std::make_shared<const THyphenator>();
    view_->HyphenWordsLater(part, [reader = QPointer<TReader>(this), url = currentUrl_, part](const QStringList& words) {
        if (!reader || words.isEmpty() || !reader->StillHyphenating(url))
            return;
        if (part == THyphenPart::Screen) {
            reader->view_->PutSoftHyphens(HyphensOf(*reader->hyphenator_, words), part);
            return reader->HyphenateShown(THyphenPart::Page);
        }
        QThreadPool::globalInstance()->start([reader, url, words, hyphenator = reader->hyphenator_] {
            QString hyphens = HyphensOf(*hyphenator, words);
            QMetaObject::invokeMethod(QCoreApplication::instance(), [reader, url, hyphens = std::move(hyphens)] {
                if (reader && reader->StillHyphenating(url))
                    reader->view_->PutSoftHyphens(hyphens, THyphenPart::Page);
            });
        });
    });
}

bool TReader::StillHyphenating(const QUrl& url) const
{
    return currentUrl_ == url && CurrentPageShown() && hyphenation_;
}

void TReader::SetZoomPercent(int percent)
{
    percent = std::clamp(percent, ZoomSteps[0], ZoomSteps[std::size(ZoomSteps) - 1]);
    if (percent == zoomPercent_)
        return;
    place_->MeasureNow();
    zoomPercent_ = percent;
    // A page still loading keeps the place it opens at; at the top of a page there
    // is nothing to hold.
    place_->HoldCurrent();
    view_->SetZoom(percent / 100.0);
    place_->HoldPlace();
}

void TReader::SetLook(const TReaderLook& look)
{
    if (look == look_)
        return;
    place_->MeasureNow();
    look_ = look;
    // New margins lay the page out anew, as a zoom does.
    place_->HoldCurrent();
    view_->SetLook(LookCss(look));
    place_->HoldPlace();
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

void TReader::GoToHeading(const THeading& heading)
{
    if (!CurrentPageShown())
        return;
    find_->End();
    PushJump(place_->Keep());
    place_->GoToHeading(heading.Anchor, {FromWindows1251(heading.Text), heading.AfterAnchor});
    view_->View()->setFocus(Qt::OtherFocusReason);
}

void TReader::GoToParagraph(std::int64_t paragraph)
{
    if (!CurrentPageShown())
        return;
    find_->End();
    PushJump(place_->Keep());
    TReadingPlace::TKept there;
    there.Place.Anchor = paragraph;
    place_->ReturnTo(there);
}

void TReader::PushJump(const TReadingPlace::TKept& from)
{
    back_.push_back(from);
    forward_.clear();
    emit JumpsChanged();
}

void TReader::ClearJumps()
{
    back_.clear();
    forward_.clear();
    emit JumpsChanged();
}

bool TReader::CanGoBack() const
{
    return awayFromPage_ || !back_.empty();
}

bool TReader::CanGoForward() const
{
    return !awayFromPage_ && !forward_.empty();
}

// Back from a link's page is the page being read, where it was left; in the page
// it is the place before the last jump.
void TReader::GoBack()
{
    if (awayFromPage_ && !currentPage_.empty()) {
        ShowPage(currentPage_);
        return;
    }
    if (!back_.empty())
        StepThrough(back_, forward_);
}

void TReader::GoForward()
{
    if (CanGoForward())
        StepThrough(forward_, back_);
}

// To the last place of from; the place left goes last in to.
void TReader::StepThrough(std::vector<TReadingPlace::TKept>& from, std::vector<TReadingPlace::TKept>& to)
{
    find_->End();
    to.push_back(place_->Keep());
    place_->ReturnTo(from.back());
    from.pop_back();
    emit JumpsChanged();
}

// The view leaves the current page for another (a link's, the home page): the
// page's place is kept for Back.
void TReader::LeavePage()
{
    find_->End();
    if (!currentPage_.empty() && !awayFromPage_) {
        awayFromPage_ = true;
        emit JumpsChanged();
    }
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
    LeavePage();
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
    place_->StartPage({}, 0);
    awayFromPage_ = false;
    ClearJumps();
    LoadContents();
    view_->Navigate("about:blank");
    emit PageDropped(FromPath(page));
    emit CurrentPageChanged({});
    emit ShownChanged();
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
