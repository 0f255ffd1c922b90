// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <csignal>

class QSocketNotifier;
class QTimer;

namespace verdask {

// Closes the window, as its close box does, on SIGTERM, SIGINT or SIGHUP: a
// session that ends, a system that shuts down or a terminal that goes saves the
// reading position and the settings instead of losing them. Open dialogs are
// cancelled first. It watches from its construction, so a signal during the
// window's start-up is kept and the window closes once attached. One at a time;
// the signals' former handling comes back when it goes.
class TTerminationWatch : public QObject {
public:
    TTerminationWatch();
    ~TTerminationWatch() override;
    TTerminationWatch(const TTerminationWatch&) = delete;
    TTerminationWatch& operator=(const TTerminationWatch&) = delete;

    void Attach(QWidget& window);

private:
    static constexpr std::array<int, 3> Signals = {SIGTERM, SIGINT, SIGHUP};
    static void Notice(int signal);
    void TakeNotice();
    void CloseWhenPossible();

    QPointer<QWidget> window_;
    std::array<int, 2> pipe_ = {-1, -1};
    std::array<struct sigaction, Signals.size()> former_{};
    QSocketNotifier* notifier_ = nullptr;
    QTimer* retry_ = nullptr;
};

} // namespace verdask
