// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ShelfDialog.h"

#include "config/ShelfFolders.h"
#include "conversion/Shelf.h"
#include "files/Misc.h"
#include "shell/InterfaceText.h"
#include "shell/MainWindow.h"
#include "shell/QtStrings.h"
#include "shell/ShelfScanner.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace verdask {
namespace {

// What a row keeps besides what it shows.
constexpr int SortRole = Qt::UserRole;         // what its column sorts by
constexpr int PathRole = Qt::UserRole + 1;     // the page, in the title's cell
constexpr int StateRole = Qt::UserRole + 2;    // its TReadingState, in the progress cell
constexpr int PercentRole = Qt::UserRole + 3;  // in the progress cell

// With its frame, the dialog fits a screen of 640 by 480.
constexpr int DialogWidth = 600;
constexpr int DialogHeight = 420;
constexpr int FolderColumnWidth = 170;
constexpr int ShortestFolderShown = 16; // characters the folder list keeps, however long a path

const QColor FinishedColour(0x1E, 0x7B, 0x34);

// A book being read shows a slim bar with its percent beside it, readable in
// any style and on a selected row; one not started or finished shows its word
// instead, greyed or green.
class TProgressDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.data(StateRole).toInt() != static_cast<int>(TReadingState::Reading))
            return QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QString percent = cell.text;
        cell.text.clear();
        const QWidget* view = cell.widget;
        QStyle* style = view != nullptr ? view->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, view);

        const int margin = cell.fontMetrics.averageCharWidth();
        const QRect inside = cell.rect.adjusted(margin, 0, -margin, 0);
        const int textWidth = cell.fontMetrics.horizontalAdvance(QStringLiteral("100%"));
        const int barHeight = std::min(inside.height() - 4, cell.fontMetrics.height() / 2 + 2);
        QStyleOptionProgressBar bar;
        bar.rect = QRect(inside.left(), inside.center().y() - barHeight / 2, inside.width() - textWidth - margin,
                         barHeight);
        bar.palette = cell.palette;
        bar.direction = cell.direction;
        bar.state = QStyle::State_Enabled | QStyle::State_Horizontal;
        bar.minimum = 0;
        bar.maximum = 100;
        bar.progress = index.data(PercentRole).toInt();
        bar.textVisible = false;
        style->drawControl(QStyle::CE_ProgressBar, &bar, painter, view);
        const bool selected = (cell.state & QStyle::State_Selected) != 0;
        style->drawItemText(painter, inside, Qt::AlignRight | Qt::AlignVCenter, cell.palette, true, percent,
                            selected ? QPalette::HighlightedText : QPalette::Text);
    }

    // Room around the bar.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + 6));
        return size;
    }
};

// The folders of one shelf differ at their ends: a long one loses its middle.
class TFolderDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};

QString Text(int language, TShelfText which)
{
    return QString::fromStdString(ShelfText(language, which));
}

QString ProgressText(const TShelfBook& book, int language)
{
    switch (book.State()) {
    case TReadingState::NotStarted: return Text(language, TShelfText::NotStarted);
    case TReadingState::Finished: return Text(language, TShelfText::Finished);
    case TReadingState::Reading: break;
    }
    return QStringLiteral("%1%").arg(book.Percent());
}

QStandardItem* Cell(const QString& text, const QVariant& sortKey)
{
    auto* cell = new QStandardItem(text);
    cell->setData(sortKey, SortRole);
    cell->setEditable(false);
    return cell;
}

// Owned by the model once appended.
QList<QStandardItem*> BookRow(const TShelfBook& book, int language, const QColor& notStartedColour)
{
    const QString title = QString::fromStdString(book.Title);
    QStandardItem* titleCell = Cell(title, title);
    titleCell->setData(FromPath(book.Path), PathRole);
    titleCell->setToolTip(FromPath(book.Path));

    const TReadingState state = book.State();
    // A book not started sorts below one opened at its first paragraph.
    const int progressKey = state == TReadingState::NotStarted ? -1 : book.Percent();
    QStandardItem* progress = Cell(ProgressText(book, language), progressKey);
    progress->setData(static_cast<int>(state), StateRole);
    progress->setData(book.Percent(), PercentRole);
    if (state == TReadingState::NotStarted)
        progress->setForeground(notStartedColour);
    else if (state == TReadingState::Finished)
        progress->setForeground(FinishedColour);

    const QString date =
        book.WrittenAt > 0
            ? ShelfLocale(language).toString(QDateTime::fromSecsSinceEpoch(book.WrittenAt).date(), QLocale::ShortFormat)
            : QString();
    QStandardItem* written = Cell(date, static_cast<qlonglong>(book.WrittenAt));

    const QString folder = FromPath(DirectoryPart(book.Path));
    QStandardItem* folderCell = Cell(folder, folder);
    folderCell->setToolTip(folder);
    return {titleCell, progress, written, folderCell};
}

// The shelf the user chose, else the folders of the books read last: never more than asked for.
std::vector<std::string> FirstFolders(TMainWindow& mainWindow)
{
    std::vector<std::string> folders = ShelfFolders(mainWindow.Conf());
    return folders.empty() ? FoldersOfBooks(mainWindow.RecentBooks()) : folders;
}

} // namespace

QLocale ShelfLocale(int language)
{
    const QLocale::Language wanted = language == RussianColumn ? QLocale::Russian : QLocale::English;
    const QLocale system;
    return system.language() == wanted ? system : QLocale(wanted);
}

TShelfDialog::TShelfDialog(TMainWindow& mainWindow)
    : QDialog(&mainWindow),
      mainWindow_(mainWindow),
      language_(mainWindow.LanguageIndex()),
      folders_(FirstFolders(mainWindow)),
      // Made in the order Tab goes through them.
      folderLabel_(new QLabel(this)),
      folderList_(new QComboBox(this)),
      addFolder_(new QPushButton(this)),
      removeFolder_(new QPushButton(this)),
      subfolders_(new QCheckBox(this)),
      count_(new QLabel(this)),
      stop_(new QPushButton(this)),
      filterLabel_(new QLabel(this)),
      filter_(new QLineEdit(this)),
      model_(new QStandardItemModel(0, ColumnCount, this)),
      shown_(new QSortFilterProxyModel(this)),
      books_(new QTreeView(this)),
      open_(new QPushButton(this)),
      close_(new QPushButton(this)),
      scanner_(new TShelfScanner(this))
{
    folderLabel_->setBuddy(folderList_);
    filterLabel_->setBuddy(filter_);
    folderList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    folderList_->setMinimumContentsLength(ShortestFolderShown);
    for (const std::string& folder : folders_)
        folderList_->addItem(FromPath(folder));
    subfolders_->setChecked(ShelfSubfolders(mainWindow.Conf()));
    filter_->setClearButtonEnabled(true);
    filter_->installEventFilter(this);
    // Enter belongs to the list and the filter: it opens the book, never a button.
    for (QPushButton* button : {addFolder_, removeFolder_, stop_, open_, close_})
        button->setAutoDefault(false);

    shown_->setSourceModel(model_);
    shown_->setSortRole(SortRole);
    shown_->setSortLocaleAware(true);
    shown_->setFilterKeyColumn(TitleColumn);
    shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    books_->setModel(shown_);
    books_->setRootIsDecorated(false);
    books_->setUniformRowHeights(true);
    books_->setAllColumnsShowFocus(true);
    books_->setSelectionBehavior(QAbstractItemView::SelectRows);
    books_->setSelectionMode(QAbstractItemView::SingleSelection);
    books_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    books_->setItemDelegateForColumn(ProgressColumn, new TProgressDelegate(books_));
    books_->setItemDelegateForColumn(FolderColumn, new TFolderDelegate(books_));
    // The books read last come first; a column clicked first sorts its own way.
    for (const auto& [column, order] : {std::pair{TitleColumn, Qt::AscendingOrder},
                                        {ProgressColumn, Qt::DescendingOrder},
                                        {DateColumn, Qt::DescendingOrder},
                                        {FolderColumn, Qt::AscendingOrder}})
        model_->setHeaderData(column, Qt::Horizontal, order, Qt::InitialSortOrderRole);
    books_->setSortingEnabled(true);
    books_->sortByColumn(DateColumn, Qt::DescendingOrder);

    connect(addFolder_, &QPushButton::clicked, this, &TShelfDialog::ChooseFolderToAdd);
    connect(removeFolder_, &QPushButton::clicked, this, &TShelfDialog::RemoveFolder);
    connect(subfolders_, &QCheckBox::toggled, this, [this](bool subfolders) {
        StoreShelfSubfolders(mainWindow_.Conf(), subfolders);
        Scan();
    });
    connect(stop_, &QPushButton::clicked, scanner_, &TShelfScanner::Stop);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& typed) {
        shown_->setFilterFixedString(typed);
        KeepARowCurrent();
    });
    connect(books_, &QTreeView::activated, this, &TShelfDialog::OpenBook);
    connect(open_, &QPushButton::clicked, this, [this] { OpenBook(books_->currentIndex()); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(scanner_, &TShelfScanner::Found, this, &TShelfDialog::ShowFound);
    connect(scanner_, &TShelfScanner::Finished, this, &TShelfDialog::ShowBooks);

    LayOut();
    ShowTexts();
    resize(DialogWidth, DialogHeight);
    filter_->setFocus();
    Scan();
}

void TShelfDialog::LayOut()
{
    auto* folders = new QHBoxLayout;
    folders->addWidget(folderLabel_);
    folders->addWidget(folderList_, 1);
    folders->addWidget(addFolder_);
    folders->addWidget(removeFolder_);
    auto* scan = new QHBoxLayout;
    scan->addWidget(subfolders_);
    scan->addStretch(1);
    scan->addWidget(count_);
    scan->addWidget(stop_);
    auto* filter = new QHBoxLayout;
    filter->addWidget(filterLabel_);
    filter->addWidget(filter_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(open_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(folders);
    layout->addLayout(scan);
    layout->addLayout(filter);
    layout->addWidget(books_, 1);
    layout->addLayout(buttons);

    QHeaderView* header = books_->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(TitleColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(ProgressColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(DateColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(FolderColumn, QHeaderView::Interactive);
    header->resizeSection(FolderColumn, FolderColumnWidth);
}

void TShelfDialog::ShowTexts()
{
    setWindowTitle(Text(language_, TShelfText::Title));
    folderLabel_->setText(Text(language_, TShelfText::Folders));
    addFolder_->setText(Text(language_, TShelfText::AddFolder));
    removeFolder_->setText(Text(language_, TShelfText::RemoveFolder));
    subfolders_->setText(Text(language_, TShelfText::Subfolders));
    stop_->setText(Text(language_, TShelfText::Stop));
    filterLabel_->setText(Text(language_, TShelfText::Filter));
    open_->setText(Text(language_, TShelfText::Open));
    close_->setText(Text(language_, TShelfText::Close));
    model_->setHorizontalHeaderLabels({Text(language_, TShelfText::TitleColumn),
                                       Text(language_, TShelfText::ProgressColumn),
                                       Text(language_, TShelfText::DateColumn),
                                       Text(language_, TShelfText::FolderColumn)});
    // The progress column is as wide as its widest word, and leaves a bar room.
    const QFontMetrics metrics = books_->fontMetrics();
    constexpr int BarChars = 8;
    int widest = metrics.horizontalAdvance(QStringLiteral("100%")) + BarChars * metrics.averageCharWidth();
    for (const TShelfText word : {TShelfText::NotStarted, TShelfText::Finished, TShelfText::ProgressColumn})
        widest = std::max(widest, metrics.horizontalAdvance(Text(language_, word)));
    books_->header()->resizeSection(ProgressColumn, widest + 3 * metrics.averageCharWidth());
}

bool TShelfDialog::Scanning() const
{
    return scanner_->Running();
}

void TShelfDialog::Scan()
{
    model_->removeRows(0, model_->rowCount());
    removeFolder_->setEnabled(!folders_.empty());
    open_->setEnabled(false);
    if (folders_.empty()) {
        scanner_->Stop();
        count_->setText(Text(language_, TShelfText::NoFolders));
        stop_->setEnabled(false);
        return;
    }
    ShowFound(0);
    stop_->setEnabled(true);
    scanner_->Start(folders_, subfolders_->isChecked());
}

void TShelfDialog::ShowFound(qulonglong books)
{
    count_->setText(QString::fromStdString(FoundBooksText(language_, books, TShelfScanState::Scanning)));
}

void TShelfDialog::ShowBooks(bool stopped)
{
    const std::vector<TShelfBook>& books = scanner_->Books();
    const QColor notStarted = books_->palette().color(QPalette::PlaceholderText);
    for (const TShelfBook& book : books)
        model_->appendRow(BookRow(book, language_, notStarted));
    count_->setText(QString::fromStdString(
        FoundBooksText(language_, books.size(), stopped ? TShelfScanState::Stopped : TShelfScanState::Done)));
    stop_->setEnabled(false);
    KeepARowCurrent();
    if (!scanner_->Failure().empty())
        mainWindow_.ReportError(scanner_->Failure());
}

// Enter opens the row shown current, so there is one while any book is shown.
void TShelfDialog::KeepARowCurrent()
{
    if (!books_->currentIndex().isValid() && shown_->rowCount() > 0)
        books_->setCurrentIndex(shown_->index(0, TitleColumn));
    open_->setEnabled(books_->currentIndex().isValid());
}

void TShelfDialog::ChooseFolderToAdd()
{
    // From the folder shown, else where Read looks.
    const int shown = folderList_->currentIndex();
    const std::string from = shown >= 0 ? folders_[static_cast<std::size_t>(shown)]
                                        : mainWindow_.Conf().GetValue(ConfKey::OpenDirectory);
    const QString chosen =
        QFileDialog::getExistingDirectory(this, FromWindows1251(mainWindow_.Text(Row::ChooseFolder)), FromPath(from),
                                          QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        AddFolder(ToPath(chosen));
}

void TShelfDialog::AddFolder(const std::string& folder)
{
    const auto at = std::find(folders_.begin(), folders_.end(), folder);
    if (at != folders_.end()) {
        folderList_->setCurrentIndex(static_cast<int>(at - folders_.begin()));
        return;
    }
    folders_.push_back(folder);
    folderList_->addItem(FromPath(folder));
    folderList_->setCurrentIndex(folderList_->count() - 1);
    StoreFolders();
    Scan();
}

void TShelfDialog::RemoveFolder()
{
    const int chosen = folderList_->currentIndex();
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= folders_.size())
        return;
    folders_.erase(folders_.begin() + chosen);
    folderList_->removeItem(chosen);
    StoreFolders();
    Scan();
}

// Kept in the settings at once; the window writes them at its close.
void TShelfDialog::StoreFolders()
{
    StoreShelfFolders(mainWindow_.Conf(), folders_);
}

void TShelfDialog::OpenBook(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const std::string page = ToPath(index.siblingAtColumn(TitleColumn).data(PathRole).toString());
    emit BookChosen(page);
    accept();
}

// However the dialog closes, its scan ends.
void TShelfDialog::done(int result)
{
    scanner_->Stop();
    QDialog::done(result);
}

// The filter field steers the list: the arrows move its current row, Enter opens it.
bool TShelfDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != filter_ || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        QApplication::sendEvent(books_, event);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenBook(books_->currentIndex());
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace verdask
