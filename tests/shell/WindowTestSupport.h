// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config/Conf.h"
#include "shell/MainWindow.h"
#include "shell/WebView.h"
#include "support/TestFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <memory>

namespace verdask::test {

// Runs the event loop until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

// The value of a script run in the view's page (invalid when none came in time).
QVariant RunScript(TWebView& view, const QString& script);

// A main window in a temporary program folder, answering through scripted prompts.
struct TWindowFixture {
    TTempDir Dir;
    std::string Program = Dir.File("verdask");
    std::string ConfigPath = Dir.File("verdask.con");
    TScriptedPrompts Prompts;
    std::unique_ptr<TMainWindow> Window;

    TMainWindow& Start()
    {
        Window = std::make_unique<TMainWindow>(Program, Prompts);
        return *Window;
    }
    // Closes the window as the user does and destroys it, which writes the configuration.
    void CloseAndDestroy()
    {
        Window->close();
        Window.reset();
    }
    void WriteConfig(const std::vector<std::string>& lines) { WriteFileBytes(ConfigPath, CrLfLines(lines)); }
    // The configuration file as the window left it.
    TConf StoredConfig() const
    {
        TConf conf;
        conf.LoadFromFile(ConfigPath);
        return conf;
    }
};

// The lines a store filled by the defaults holds, in their order.
std::vector<std::string> DefaultConfigLines();

} // namespace verdask::test
