// verdask: the program's window.

#include "shell/Application.h"
#include "shell/Main.h"
#include "shell/QtPrompts.h"
#include "shell/Text.h"

#include <QApplication>
#include <QIcon>

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
    return application.exec();
}
