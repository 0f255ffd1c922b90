// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FileOpener.h"

#include "config/RecentBooks.h"
#include "files/Misc.h"
#include "files/Prompts.h"
#include "shell/InterfaceText.h"
#include "shell/QtStrings.h"
#include "shell/Reader.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

namespace verdask {
namespace {

constexpr std::string_view ReadFilter = "html files (*.html)|*.html|All files |*.*";

} // namespace

bool NamesAPage(const std::string& path)
{
    const QString extension = QFileInfo(FromPath(path)).suffix().toLower();
    return extension == QLatin1String("html") || extension == QLatin1String("htm");
}

bool ChoosePageToRead(Prompts& prompts, TFileDialog& loadDialog, const std::string& title)
{
    TFileDialog dialog = loadDialog;
    dialog.Title = title;
    dialog.DefaultExt = "html";
    dialog.Filter = ReadFilter;
    const bool chosen = prompts.ExecuteOpenDialog(dialog);
    dialog.Title = loadDialog.Title;
    dialog.DefaultExt = loadDialog.DefaultExt;
    dialog.Filter = loadDialog.Filter;
    loadDialog = dialog;
    return chosen;
}

TFileOpener::TFileOpener(QWidget& window, QMenu& recentMenu, std::function<bool()> busy)
    : QObject(&window), window_(window), recentMenu_(recentMenu), busy_(std::move(busy))
{
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    recentMenu.setToolTipsVisible(true);
    connect(&recentMenu, &QMenu::aboutToShow, this, &TFileOpener::FillRecentMenu);
}

void TFileOpener::AddRecentBook(const std::string& page)
{
    books_ = WithRecentBook(books_, page);
}

void TFileOpener::KeepBooksReadIn(const TReader& reader, const std::string& manual)
{
    connect(&reader, &TReader::CurrentPageChanged, this, [this, manual](const QString& path) {
        if (!path.isEmpty() && ToPath(path) != manual)
            AddRecentBook(ToPath(path));
    });
    connect(&reader, &TReader::PageDropped, this,
            [this](const QString& path) { std::erase(books_, ToPath(path)); });
}

// The pages read last whose files are there.
void TFileOpener::FillRecentMenu()
{
    recentMenu_.clear();
    const std::vector<std::string> books = ExistingBooks(books_);
    for (std::size_t i = 0; i < books.size(); ++i) {
        const std::string& book = books[i];
        const QString name = FromPath(FileNamePart(book)).replace('&', QStringLiteral("&&"));
        QAction* item = recentMenu_.addAction(QStringLiteral("&%1  %2").arg((i + 1) % 10).arg(name));
        item->setToolTip(FromPath(book));
        item->setStatusTip(FromPath(book));
        connect(item, &QAction::triggered, this, [this, book] {
            if (!busy_())
                emit RecentBookChosen(book);
        });
    }
    if (books.empty())
        recentMenu_.addAction(QString::fromStdString(ReaderText(language_, TReaderText::NoRecentBooks)))
            ->setEnabled(false);
}

// One local file at a time, and none while the window is busy.
bool TFileOpener::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_)
        return false;
    if (event->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        const QList<QUrl> urls = enter->mimeData()->urls();
        if (!busy_() && urls.size() == 1 && urls.front().isLocalFile())
            enter->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (drop->mimeData()->urls().isEmpty())
            return true;
        const std::string path = ToPath(drop->mimeData()->urls().front().toLocalFile());
        drop->acceptProposedAction();
        // Not within the drop: the file manager waits until it is over, and a
        // conversion may ask questions.
        QTimer::singleShot(0, this, [this, path] { emit FileDropped(path); });
        return true;
    }
    return false;
}

} // namespace verdask
