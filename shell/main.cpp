// SPDX-License-Identifier: GPL-3.0-or-later
// verdask: the program's window.

#include "shell/Application.h"
#include "shell/MainWindow.h"
#include "shell/QtPrompts.h"
#include "shell/QtStrings.h"
#include "shell/TerminationWatch.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

int main(int argc, char** argv)
{
    verdask::PrepareApplication();
    QApplication application(argc, argv);
    application.setWindowIcon(QIcon(QStringLiteral(":/verdask.png")));
    // Ties the window to the installed desktop entry (its icon, on Wayland).
    QGuiApplication::setDesktopFileName(QStringLiteral("verdask"));
    verdask::TTerminationWatch watch;
    verdask::TQtPrompts prompts;
    verdask::TMainWindow window(verdask::ToPath(QCoreApplication::applicationFilePath()), prompts);
    prompts.SetParent(&window);
    watch.Attach(window);
    window.show();
    // "verdask FILE", as a file manager starts it: the file is opened once the window is up.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        const std::string path = verdask::ToPath(QFileInfo(arguments.at(1)).absoluteFilePath());
        QTimer::singleShot(0, &window, [&window, path] { window.OpenFile(path); });
    }
    return application.exec();
}
