// verdask: the program's window.

#include "shell/Application.h"
#include "shell/Main.h"
#include "shell/QtPrompts.h"
#include "shell/Text.h"

#include <QApplication>

int main(int argc, char** argv)
{
    verdask::PrepareApplication();
    QApplication application(argc, argv);
    verdask::TQtPrompts prompts;
    verdask::TMainForm form(verdask::ToPath(QCoreApplication::applicationFilePath()), prompts);
    prompts.SetParent(&form);
    form.show();
    return application.exec();
}
