// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ShelfScanner.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace verdask {

TShelfScanner::TShelfScanner(QObject* parent) : QObject(parent)
{
    // A worker's counts come through the event loop: the labels they move live here.
    connect(this, &TShelfScanner::Counted, this, &TShelfScanner::TakeCount, Qt::QueuedConnection);
}

TShelfScanner::~TShelfScanner()
{
    StopAll();
    for (TScan& scan : scans_)
        scan.Result.waitForFinished();
}

void TShelfScanner::Start(std::vector<std::string> folders, bool subfolders)
{
    StopAll();
    std::erase_if(scans_, [](const TScan& scan) { return scan.Result.isFinished(); });
    const int scan = ++current_;
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    QFuture<TResult> result =
        QtConcurrent::run([this, scan, stopped, folders = std::move(folders), subfolders]() -> TResult {
            TShelfScan how;
            how.Subfolders = subfolders;
            how.Stopped = [stopped] { return stopped->load(); };
            how.Found = [this, scan](std::size_t books) { emit Counted(scan, books, QPrivateSignal()); };
            try {
                return {ScanShelf(folders, how), {}};
            } catch (const std::exception& failure) {
                return {{}, failure.what()};
            }
        });
    auto* watcher = new QFutureWatcher<TResult>(this);
    connect(watcher, &QFutureWatcher<TResult>::finished, this, [this, watcher, scan, stopped] {
        watcher->deleteLater();
        if (scan != current_)
            return;
        TResult ended = watcher->result();
        books_ = std::move(ended.Books);
        failure_ = std::move(ended.Failure);
        running_ = false;
        emit Finished(stopped->load());
    });
    watcher->setFuture(result);
    scans_.push_back({std::move(stopped), std::move(result)});
    running_ = true;
}

void TShelfScanner::Stop()
{
    if (!scans_.empty())
        scans_.back().Stopped->store(true);
}

void TShelfScanner::StopAll()
{
    for (TScan& scan : scans_)
        scan.Stopped->store(true);
}

void TShelfScanner::TakeCount(int scan, qulonglong books)
{
    if (scan == current_ && running_)
        emit Found(books);
}

} // namespace verdask
