// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// File > Bookshelf: the pages of this program in the shelf's folders, with how
// far each has been read, found in the background; a book chosen opens at its
// place as Read opens it. The folders are the ones the user chose, else the
// folders of the books read last; a change is kept in the settings at once.

#include <QDialog>
#include <QLocale>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTreeView;

namespace verdask {

class TMainWindow;
class TShelfScanner;

// The dates of the shelf are written as the user's locale writes them when it is
// of the interface's language, else as that language does: never a mix of two.
QLocale ShelfLocale(int language);

class TShelfDialog : public QDialog {
    Q_OBJECT

public:
    // The columns of the list of books.
    enum TColumn { TitleColumn, ProgressColumn, DateColumn, FolderColumn, ColumnCount };

    explicit TShelfDialog(TMainWindow& mainWindow);

    // Add folder's choice: the folder joins the shelf, which is scanned again.
    void AddFolder(const std::string& folder);
    // Remove folder: the folder chosen in the list leaves the shelf.
    void RemoveFolder();
    const std::vector<std::string>& Folders() const { return folders_; }
    bool Scanning() const;

    QComboBox* FolderList() const { return folderList_; }
    QCheckBox* Subfolders() const { return subfolders_; }
    QLineEdit* Filter() const { return filter_; }
    QLabel* Count() const { return count_; }
    QTreeView* Books() const { return books_; }
    QPushButton* StopButton() const { return stop_; }

signals:
    // A book to read; the dialog closes.
    void BookChosen(const std::string& page);

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LayOut();
    void ShowTexts();
    void ChooseFolderToAdd();
    void StoreFolders();
    void Scan();
    void ShowFound(qulonglong books);
    void ShowBooks(bool stopped);
    void KeepARowCurrent();
    void OpenBook(const QModelIndex& index);

    TMainWindow& mainWindow_;
    const int language_;
    std::vector<std::string> folders_;
    QLabel* folderLabel_;
    QComboBox* folderList_;
    QPushButton* addFolder_;
    QPushButton* removeFolder_;
    QCheckBox* subfolders_;
    QLabel* count_;
    QPushButton* stop_;
    QLabel* filterLabel_;
    QLineEdit* filter_;
    QStandardItemModel* model_;
    QSortFilterProxyModel* shown_;
    QTreeView* books_;
    QPushButton* open_;
    QPushButton* close_;
    TShelfScanner* scanner_;
};

} // namespace verdask
