// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Files the window is given to open besides its dialogs: one dropped on the
// window, and one chosen from File > Recent books, the pages read last, which
// this keeps (most recent first).

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace verdask {

class Prompts;
class TReader;
struct TFileDialog;

// A path the window reads as a page (.html, .htm); any other file is a text to convert.
bool NamesAPage(const std::string& path);

// Read's dialog: Load's, with a title, extension and filter of its own while it
// is shown. True when a page was chosen (loadDialog.FileName).
bool ChoosePageToRead(Prompts& prompts, TFileDialog& loadDialog, const std::string& title);

class TFileOpener : public QObject {
    Q_OBJECT

public:
    // window: takes the drops; recentMenu: filled each time it opens; busy: true
    // while the window must not open anything (a conversion runs).
    TFileOpener(QWidget& window, QMenu& recentMenu, std::function<bool()> busy);

    // The language of the empty list's entry (0 Russian, 1 English).
    void SetLanguage(int language) { language_ = language; }
    const std::vector<std::string>& RecentBooks() const { return books_; }
    void SetRecentBooks(std::vector<std::string> books) { books_ = std::move(books); }
    // A page was read: it comes first.
    void AddRecentBook(const std::string& page);
    // Every page reader shows comes first, but the manual, which is no book; a
    // page the view could not show leaves the list.
    void KeepBooksReadIn(const TReader& reader, const std::string& manual);

signals:
    // A file dropped: a page to read, or a text to convert.
    void FileDropped(const std::string& path);
    // A recent book chosen: a page to read.
    void RecentBookChosen(const std::string& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillRecentMenu();

    QWidget& window_;
    QMenu& recentMenu_;
    std::function<bool()> busy_;
    int language_ = 1;
    std::vector<std::string> books_;
};

} // namespace verdask
