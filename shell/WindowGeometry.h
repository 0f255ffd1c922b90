// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Puts a window where it was: its stored position and size are the outer ones,
// frame included. The frame is known only once a window manager has framed the
// shown window, which may take a while (without one there is none), so they are
// put back once more then.

#include <QObject>
#include <QRect>

class QWidget;

namespace verdask {

class TWindowGeometry : public QObject {
public:
    explicit TWindowGeometry(QWidget& window);

    // Before the window is first shown: the stored outer geometry, within the
    // screen it is on.
    void Restore(const QRect& stored, bool maximized);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RestoreOnceFramed();
    void RestoreNormal();

    QWidget& window_;
    QRect outer_;
    bool maximized_ = false;
    bool shown_ = false;
    bool settled_ = false; // put back once framed
    int frameWaits_ = 0;
};

} // namespace verdask
