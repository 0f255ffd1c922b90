// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The bookshelf's scan of its folders, in a worker thread, so that a shelf on a
// slow disk never holds the window up. One scan counts at a time: a new one
// leaves the one before to end by itself, and the scanner's end stops and waits
// for every scan it started, so that no worker outlives it.

#include "conversion/Shelf.h"

#include <QFuture>
#include <QObject>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace verdask {

class TShelfScanner : public QObject {
    Q_OBJECT

public:
    explicit TShelfScanner(QObject* parent = nullptr);
    ~TShelfScanner() override;

    // Scans the folders (their subfolders too when asked) for the books on them.
    void Start(std::vector<std::string> folders, bool subfolders);
    // The scan ends after the page it reads; the books found so far are its books.
    void Stop();
    bool Running() const { return running_; }

    // The books of the last scan that ended, sorted by path, and what went wrong
    // in it (empty for nothing).
    const std::vector<TShelfBook>& Books() const { return books_; }
    const std::string& Failure() const { return failure_; }

signals:
    // The count of the books found so far by the scan going on.
    void Found(qulonglong books);
    // The scan ended, found all or was stopped.
    void Finished(bool stopped);

    // A worker's count, taken over to the scanner's thread.
    void Counted(int scan, qulonglong books, QPrivateSignal);

private:
    struct TResult {
        std::vector<TShelfBook> Books;
        std::string Failure;
    };
    struct TScan {
        std::shared_ptr<std::atomic<bool>> Stopped;
        QFuture<TResult> Result;
    };

    void TakeCount(int scan, qulonglong books);
    void StopAll();

    std::vector<TScan> scans_; // the workers that may still run, the current one last
    int current_ = 0;
    bool running_ = false;
    std::vector<TShelfBook> books_;
    std::string failure_;
};

} // namespace verdask
