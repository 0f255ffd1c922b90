// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The reader: the web view with the page being read (the current page), the
// reading position kept in that page, find, Back and Forward, zoom, contents and
// printing. A position is measured only from the current page once it has
// loaded, and written only into that page; whatever else the view shows (a
// link's target, the home page, the built-in page, an error, a page still
// loading, a match a find shows) never touches a bookmark.

#include "files/FileSystem.h"
#include "files/Prompts.h"
#include "shell/Hyphenation.h"
#include "shell/ReaderLook.h"
#include "shell/ReadingPlace.h"
#include "shell/WebView.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QPrinter;
class QSplitter;
class QTimer;

namespace verdask {

class TContentsPanel;
class TFindBar;
class TPageFind;
class TPrintQueue;
struct THeading;

class TReader : public QWidget {
    Q_OBJECT

public:
    // prompts: the print dialog and the reports of what went wrong.
    explicit TReader(Prompts& prompts, QWidget* parent = nullptr);
    ~TReader() override;

    // The language of the reader's own messages (0 Russian, 1 English).
    void SetLanguage(int language);
    // Where pages are read and written; tests make it fail.
    void UseFileSystem(FileSystem& files) { files_ = &files; }

    // Leaves the current page, its position saved, and shows path as the current
    // page, loaded anew from its file: it opens at its stored bookmark. A page of
    // more than 50 MB is shown only when the reader says so.
    void ShowPage(const std::string& path);
    // Shows a page the program has just written, as ShowPage does; written over the
    // current page, it holds the reader's place carried over by the conversion,
    // which the place measured in the page it replaced must not overwrite.
    void ShowConvertedPage(const std::string& path);
    // Shows what is no page to read (the home page, the built-in page); the
    // current page and its bookmark stay.
    void ShowOther(const std::string& target);
    const std::string& CurrentPage() const { return currentPage_; }
    // The name of the page shown: the current page's file name, or, while a link's
    // page (or the home page) is shown instead, that one's; empty for none.
    QString ShownName() const;
    // The file of the page shown: the current page's, or a link's page's while
    // that is shown instead; empty for what is no file (the home page, the built-in page).
    std::string ShownFile() const;

    // The number of the paragraph anchor at the top of what the view shows, or 0.
    std::int64_t GetReadingPosition();
    // The position to store for the current page: measured now when the page is
    // shown, else the one measured last while it was, else where it opened;
    // nothing without a current page. A page left where it opened keeps its bookmark.
    std::optional<std::int64_t> PositionToStore();
    // Writes PositionToStore into the current page. A failure is reported (once
    // a page in a run) and goes no further: the page stays as it was.
    void SaveReadingPosition();

    // Asks with the print dialog and prints the shown page; returns at once.
    void Print();
    // Prints the shown page on printer, or into pdfFile when it is named.
    void Print(std::unique_ptr<QPrinter> printer, const std::string& pdfFile);
    bool Printing() const;
    // The view is loading a page; Print waits for it to be shown.
    bool Loading() const { return loading_; }

    TWebView* View() const { return view_; }

    // The size of every page, in percent (25 to 500). The paragraph at the top of
    // the view stays at the top.
    void SetZoomPercent(int percent);
    int ZoomPercent() const { return zoomPercent_; }
    // One step larger (1) or smaller (-1) on the usual scale of zooms.
    void StepZoom(int direction);
    // The theme and margins every page of this program is shown in, over its own
    // style; its file is not touched. The paragraph at the top stays at the top.
    void SetLook(const TReaderLook& look);
    const TReaderLook& Look() const { return look_; }
    // Russian hyphenation of justified pages of this program in the view, with
    // soft hyphens the page files never get (View > Hyphenation).
    void SetHyphenation(bool on);
    bool Hyphenation() const { return hyphenation_; }

    // The contents panel beside the page (View > Contents, F9).
    void ShowContents(bool shown);
    bool ContentsShown() const;
    TContentsPanel* Contents() const { return contents_; }

    // The find bar under the page; Ctrl+F opens it.
    void OpenFindBar();
    TFindBar* FindBar() const { return findBar_; }

    // The paragraph at the top of the current page as last measured, and the
    // page's number of paragraphs; 0 when not known.
    std::int64_t ShownParagraph() const;
    std::int64_t ParagraphCount() const;

    // Back to the place before the last jump (a contents heading, a find, a link's
    // page), and Forward again.
    void GoBack();
    void GoForward();
    // Puts paragraph N at the top: a jump, which Back returns from.
    void GoToParagraph(std::int64_t paragraph);
    bool CanGoBack() const;
    bool CanGoForward() const;

signals:
    // The view's renderer stopped while it showed, or loaded, this page, which is
    // no longer the current page.
    void PageDropped(const QString& path);
    // Another page became the current page (empty: none).
    void CurrentPageChanged(const QString& path);
    // The paragraph at the top of the current page, or the page's number of
    // paragraphs, changed.
    void PositionChanged();
    // What Back and Forward can do changed.
    void JumpsChanged();
    // Another page is shown, the current one or a link's (ShownName).
    void ShownChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OpenPage(const std::string& path);
    void LoadStarted();
    void LoadFinished(bool ok);
    void FileRequested(const QUrl& url);
    void RendererStopped();
    bool CurrentPageShown() const;
    bool MayShow(const std::string& path);
    void ShowLater(const std::string& text, bool error);
    void GoToHeading(const THeading& heading);
    void PushJump(const TReadingPlace::TKept& from);
    void StepThrough(std::vector<TReadingPlace::TKept>& from, std::vector<TReadingPlace::TKept>& to);
    void ClearJumps();
    void LeavePage();
    void LoadContents();
    void ApplyZoom();
    void HyphenateShown(THyphenPart part);
    bool StillHyphenating(const QUrl& url) const;

    Prompts& prompts_;
    FileSystem* files_ = &PlatformFileSystem();
    int language_ = 1;
    TWebView* view_;
    TFindBar* findBar_;
    TContentsPanel* contents_;
    QSplitter* splitter_;
    bool contentsShown_ = false;
    TReadingPlace* place_;
    TPageFind* find_;
    int zoomPercent_ = 100;
    TReaderLook look_;
    bool hyphenation_ = true;
    std::shared_ptr<const THyphenator> hyphenator_; // read when first needed, shared with a worker

    std::string currentPage_;
    QUrl currentUrl_;
    bool loading_ = false;        // the view loads whatever it loads
    bool currentLoading_ = false; // asked for, not loaded yet
    bool currentLoaded_ = false;  // the view shows it, loaded
    bool awayFromPage_ = false;   // the view shows another page (a link's) for now
    std::set<std::string> failedSaves_;
    std::set<std::string> largePagesAllowed_;

    std::vector<TReadingPlace::TKept> back_;         // the places before the jumps in the page
    std::vector<TReadingPlace::TKept> forward_;
    TPrintQueue* printing_;
};

} // namespace verdask
