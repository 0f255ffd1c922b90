// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Qt's own texts (the buttons of message boxes, the file, colour and print
// dialogs, the view's menu) in the program's language, from Qt's translations.

#include <QTranslator>

#include <memory>
#include <vector>

namespace verdask {

class TQtTranslations {
public:
    // 0 Russian, 1 English (Qt's own language).
    void Use(int language);

private:
    std::vector<std::unique_ptr<QTranslator>> translators_;
};

} // namespace verdask
