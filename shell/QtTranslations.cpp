// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/QtTranslations.h"

#include "shell/InterfaceText.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace verdask {

void TQtTranslations::Use(int language)
{
    translators_.clear(); // a translator leaves the application as it goes
    if (language != RussianColumn)
        return;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : {"qt_ru", "qtwebengine_ru"}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QString::fromLatin1(catalogue), folder)) {
            QCoreApplication::installTranslator(translator.get());
            translators_.push_back(std::move(translator));
        }
    }
}

} // namespace verdask
