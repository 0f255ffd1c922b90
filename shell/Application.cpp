// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Application.h"

#include <QApplication>

#include <unistd.h>

namespace verdask {

void PrepareApplication(bool offscreen)
{
    if (offscreen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Beside the page script that takes peer connections away (NoWebRtc.js),
    // WebRTC sends nothing over UDP, so that a script slipping past it reaches
    // no STUN server either.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags += " --force-webrtc-ip-handling-policy=disable_non_proxied_udp";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace verdask
