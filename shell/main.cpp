// verdask: the program's window.

#include "shell/Application.h"
#include "shell/Main.h"
#include "shell/QtPrompts.h"
#include "shell/Text.h"

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
    verdask::TMainForm form(verdask::ToPath(QCoreApplication::applicationFilePath()), prompts);
    prompts.SetParent(&form);
    watch.Attach(form);
    form.show();
    // "verdask FILE", as a file manager starts it: the file is opened once the window is up.
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        const std::string path = verdask::ToPath(QFileInfo(arguments.at(1)).absoluteFilePath());
        QTimer::singleShot(0, &form, [&form, path] { form.OpenFileGuarded(path); });
    }
    return application.exec();
}
