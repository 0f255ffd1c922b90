// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The embedded web view, with exactly the operations the program needs of it.

#include "shell/PageScripts.h"

#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QPageLayout;
class QPageRanges;
class QWebEngineView;

namespace verdask {

// The line of a contents heading, put at the top in place of its paragraph's anchor.
struct THeadingLine {
    QString Text; // empty: the anchor itself
    // The line follows the anchor's paragraph (no paragraph starts after it); else it
    // is the paragraph's own or stands at the end of the one before.
    bool AfterAnchor = false;
};

class TWebView : public QWidget {
    Q_OBJECT

public:
    explicit TWebView(QWidget* parent = nullptr);
    ~TWebView() override;

    // The program's navigation: "about:blank", "about:" followed by a page's HTML
    // text (windows-1251), a web address, or a file path.
    void Navigate(const std::string& target);
    // A file is always loaded anew from its start, so its own doLoad places it.
    void NavigateToFile(const std::string& path);
    void NavigateToAddress(const std::string& address);
    void NavigateToHtml(const std::string& html);

    // Replaces the shown document by a page text (windows-1251), rendered at once.
    void ShowPageText(const std::string& pageText);

    // Where the view stands in its document.
    struct TPlace {
        QUrl DocumentUrl;        // empty when the view holds no HTML document or gave no answer
        std::int64_t Anchor = 0; // the paragraph anchor "aN" at the top, 0 at the very top or above the first
        QString Layout;          // the document's viewport size and zoom, "800x600@1.25"
        double ScrollY = 0;      // how far the document is scrolled
    };
    // The paragraph at the top of the view: the last paragraph anchor whose first
    // line starts at or above the view's top line, found from the anchors'
    // positions in one call to the view, whatever the line length, width or zoom.
    // Waits for the view's answer at most timeoutMs milliseconds.
    TPlace MeasurePlace(int timeoutMs = 3000);
    // The same without waiting: answer gets the place when the view gives it.
    void MeasurePlaceLater(std::function<void(const TPlace&)> answer);

    // The number of the page's last paragraph anchor ("aN"), 0 without one; answer
    // gets it when the view gives it.
    void ParagraphCountLater(std::function<void(std::int64_t)> answer);
    // Puts paragraph anchor aN at the top of the view, or the line of its heading
    // when heading names one; the top of the page for anchor 0, unless the heading
    // follows it. Unless the page is
    // still laid out as heldLayout (as TPlace::Layout; empty for any), where it was
    // put there before and the reader may have moved since. placed gets where the
    // view then stands (anchor 0 when the page has no such anchor), or nothing when
    // it was left as it was.
    void PlaceParagraph(std::int64_t anchor, const THeadingLine& heading, const QString& heldLayout,
                        std::function<void(const std::optional<TPlace>&)> placed);
    // Puts the page's caret at the start of paragraph anchor aN (the top of the
    // page for 0), where a find begins; then runs done.
    void PlaceCaretAt(std::int64_t anchor, std::function<void()> done);
    // Takes the view back to place: to its scroll offset when the page is still
    // laid out as it was, else to its paragraph.
    void ReturnTo(const TPlace& place);
    // The size of every page the view shows: 1 is 100%.
    void SetZoom(double factor);
    // The look of every page of this program the view shows, the one shown too.
    void SetLook(const QString& css);
    // The Russian words of the part of a justified page of this program, each
    // once (none for any other page); answer gets them when the view gives them.
    void HyphenWordsLater(THyphenPart part, std::function<void(const QStringList&)> answer);
    // Soft hyphens into the part of the shown text (hyphensJson: an object of each
    // word and the word hyphenated), the paragraph at the top kept; and out of it again.
    void PutSoftHyphens(const QString& hyphensJson, THyphenPart part);
    void RemoveSoftHyphens();
    double Zoom() const;
    // Marks text in the page, in any letter case, and shows the next match (or the
    // one before); answer gets the match shown, from 1, and how many there are.
    // An empty text clears the marks.
    void Find(const QString& text, bool backward, std::function<void(int, int)> answer);

    // Whether the view holds an HTML document.
    bool HasHtmlDocument(int timeoutMs = 2000);

    // The shown document as a PDF with its text, made by the view's engine without
    // holding up the window; done gets the bytes, none when it failed.
    void PrintToPdf(const QPageLayout& layout, const QPageRanges& ranges,
                    std::function<void(const QByteArray&)> done);

    QWebEngineView* View() const { return view_; }
    // The file loaded last, or loading, with no fragment; empty for anything else.
    QUrl FileUrl() const;

signals:
    void LoadStarted();
    void LoadFinished(bool ok);
    void Scrolled();
    // The page was laid out anew at another size: the view's or its zoom's.
    void LaidOut();
    // A link, the history or a reload asks for a file: the view loads files only
    // when the program navigates to them (a page may not load other files).
    void FileRequested(const QUrl& url);
    // The view's renderer stopped: crashed, killed, or out of memory.
    void RendererStopped();
    // The reader clicked the page, or scrolled it: turned the wheel or pressed a
    // key that moves through it.
    void ReaderActed(bool scrolled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // In the page's own world unless another is given.
    QVariant RunScript(const QString& script, int timeoutMs, quint32 world = 0);
    void RunScriptLater(const QString& script, std::function<void(const QVariant&)> answer, quint32 world = 0);
    // The view's own menu without what would leave the book (the caller owns it).
    QMenu* ContextMenu();
    void ShowContextMenu(const QPoint& at);

    QWebEngineView* view_;
    QObject* page_ = nullptr;
    std::shared_ptr<bool> answering_ = std::make_shared<bool>(true); // until the view goes
};

} // namespace verdask
