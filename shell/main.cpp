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

#include <iostream>
#include <optional>
#include <string_view>

namespace {

constexpr const char* Usage = "Usage: verdask [FILE]\n"
                              "The window of Verdask's Library Text Converter: FILE, a page (.html, .htm), is read;\n"
                              "any other file is loaded and converted into a page beside it.\n"
                              "  -h, --help      show this help\n"
                              "  -V, --version   show the version\n"
                              "verdask-convert converts texts without a window.\n";

// What is answered before any window: the options, and a session with no display
// to show one on, where the window system's library would abort the program.
std::optional<int> AnswerWithoutWindow(int argc, char** argv)
{
    const std::string_view first = argc > 1 ? argv[1] : "";
    if (first == "-h" || first == "--help") {
        std::cout << Usage;
        return std::cout.flush() ? 0 : 1;
    }
    if (first == "-V" || first == "--version") {
        std::cout << "verdask " << VERDASK_VERSION << '\n';
        return std::cout.flush() ? 0 : 1;
    }
    if (first.starts_with('-') && first.size() > 1) {
        std::cerr << "verdask: unknown option " << first << "; verdask --help tells the options\n";
        return 2;
    }
    const auto set = [](const char* name) { return !qEnvironmentVariableIsEmpty(name); };
    if (!set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
        std::cerr << "verdask: there is no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is "
                     "set); verdask-convert converts texts without one\n";
        return 1;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto status = AnswerWithoutWindow(argc, argv))
        return *status;
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
