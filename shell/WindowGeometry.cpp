// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/WindowGeometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace verdask {
namespace {

// A window never starts larger than the screen it is on, nor off it: the screen
// and its scale may have changed since it was stored.
QRect OnScreen(const QRect& outer)
{
    const QScreen* screen = QGuiApplication::screenAt(outer.center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return outer;
    const QRect available = screen->availableGeometry();
    QRect fitted(outer.topLeft(), outer.size().boundedTo(available.size()));
    fitted.moveLeft(std::clamp(fitted.left(), available.left(), available.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), available.top(), available.bottom() + 1 - fitted.height()));
    return fitted;
}

} // namespace

TWindowGeometry::TWindowGeometry(QWidget& window) : QObject(&window), window_(window)
{
    window.installEventFilter(this);
}

void TWindowGeometry::Restore(const QRect& stored, bool maximized)
{
    const QRect outer = OnScreen(stored);
    outer_ = outer;
    maximized_ = maximized;
    window_.move(outer.topLeft());
    window_.resize(outer.size());
    if (maximized)
        window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
}

bool TWindowGeometry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_)
        return false;
    if (event->type() == QEvent::Show && !shown_) {
        shown_ = true;
        QTimer::singleShot(0, this, [this] { RestoreOnceFramed(); });
    }
    // A window started maximized was mapped at the stored outer size, which the
    // window manager takes for the size inside the frame: the first restore gets
    // the stored size, frame included, and the stored place.
    if (event->type() == QEvent::WindowStateChange && settled_ && maximized_ && !window_.isMaximized() &&
        !(window_.windowState() & Qt::WindowMinimized)) {
        maximized_ = false;
        QTimer::singleShot(0, this, [this] { RestoreNormal(); });
    }
    return false;
}

void TWindowGeometry::RestoreNormal()
{
    const QSize frame = window_.frameGeometry().size() - window_.geometry().size();
    window_.resize(std::max(outer_.width() - frame.width(), window_.minimumWidth()),
                   std::max(outer_.height() - frame.height(), window_.minimumHeight()));
    window_.move(outer_.topLeft());
}

void TWindowGeometry::RestoreOnceFramed()
{
    constexpr int FrameWaitMs = 1000;
    constexpr int FrameLookMs = 20;
    static_assert(FrameWaitMs % FrameLookMs == 0);
    const QSize frame = window_.frameGeometry().size() - window_.geometry().size();
    // No window manager frames a window of the offscreen platform (tests, benchmarks).
    const bool framed = QGuiApplication::platformName() != QLatin1String("offscreen");
    if (frame.isEmpty() && framed && frameWaits_++ < FrameWaitMs / FrameLookMs) {
        QTimer::singleShot(FrameLookMs, this, [this] { RestoreOnceFramed(); });
        return;
    }
    settled_ = true;
    if (maximized_) {
        if (!window_.isMaximized())
            window_.showMaximized();
        return;
    }
    RestoreNormal();
}

} // namespace verdask
