#pragma once

// The embedded web view, with exactly the operations the program needs of it.

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QPrinter;
class QWebEngineView;

namespace verdask {

class TWebView : public QWidget {
    Q_OBJECT

public:
    explicit TWebView(QWidget* parent = nullptr);

    // The program's navigation: "about:blank", "about:" followed by a page's HTML
    // text (windows-1251), a web address, or a file path.
    void Navigate(const std::string& target);
    void NavigateToFile(const std::string& path);
    void NavigateToAddress(const std::string& address);
    void NavigateToHtml(const std::string& html);

    // Replaces the shown document by a page text (windows-1251), rendered at once.
    void ShowPageText(const std::string& pageText);

    struct TElement {
        std::string TagName;   // in capitals: "A" for an anchor
        std::string OuterHtml; // for an anchor its start tag, "<A name=a7>"
    };
    // The innermost element at a point of the view, or nothing; waits for the
    // view's answer at most timeoutMs milliseconds, and no answer is nothing.
    std::optional<TElement> ElementFromPoint(int x, int y, int timeoutMs = 2000);

    // ElementFromPoint at (x, y) for every y, in one call to the view. Nothing at
    // all when the view holds no HTML document or gives no answer in time.
    std::vector<std::optional<TElement>> ElementsFromPoints(int x, const std::vector<int>& ys, int timeoutMs = 3000);

    // Whether the view holds an HTML document.
    bool HasHtmlDocument(int timeoutMs = 2000);

    // Prints the shown document on a printer the print dialog set up; false when
    // printing failed or took longer than timeoutMs.
    bool PrintTo(QPrinter& printer, int timeoutMs = 60000);

    QWebEngineView* View() const { return view_; }

signals:
    void LoadFinished(bool ok);

private:
    QVariant RunScript(const QString& script, int timeoutMs);

    QWebEngineView* view_;
};

} // namespace verdask
