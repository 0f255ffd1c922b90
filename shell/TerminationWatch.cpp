// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TerminationWatch.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

namespace verdask {
namespace {

// The write end of the watch's pipe, for the signal handler: writing a byte is
// all a handler may safely do; the window is closed from the event loop.
std::atomic<int> noticeDescriptor{-1};

} // namespace

TTerminationWatch::TTerminationWatch()
{
    if (::pipe2(pipe_.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("no pipe for the termination signals");
    noticeDescriptor = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TTerminationWatch::TakeNotice);
    retry_ = new QTimer(this);
    retry_->setInterval(100);
    connect(retry_, &QTimer::timeout, this, &TTerminationWatch::CloseWhenPossible);

    struct sigaction action {};
    action.sa_handler = &TTerminationWatch::Notice;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < Signals.size(); ++i)
        ::sigaction(Signals[i], &action, &former_[i]);
}

TTerminationWatch::~TTerminationWatch()
{
    for (std::size_t i = 0; i < Signals.size(); ++i)
        ::sigaction(Signals[i], &former_[i], nullptr);
    noticeDescriptor = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TTerminationWatch::Attach(QWidget& window)
{
    // A signal that came before keeps the retry running, which closes the window now.
    window_ = &window;
}

void TTerminationWatch::Notice(int)
{
    const int descriptor = noticeDescriptor;
    if (descriptor >= 0) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(descriptor, &byte, 1);
    }
}

void TTerminationWatch::TakeNotice()
{
    char bytes[16];
    while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
    }
    CloseWhenPossible();
}

void TTerminationWatch::CloseWhenPossible()
{
    // An open dialog is cancelled first, as Escape would cancel it: no dialog of
    // the program writes anything when cancelled.
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog != nullptr)
        dialog->close();
    if (dialog != nullptr || window_ == nullptr) {
        retry_->start();
        return;
    }
    retry_->stop();
    window_->close();
}

} // namespace verdask
