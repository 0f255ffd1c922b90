// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tells of the files an interrupted rewrite of an earlier version left beside a
// page, which may hold the only whole copy of it: once a folder in a run, for
// they stay until the user deals with them.

#include <QObject>

#include <functional>
#include <set>
#include <string>

namespace verdask {

class Prompts;

class TLeftoverCopyNotice : public QObject {
public:
    // language: the language to tell it in (0 Russian, 1 English), when it is told.
    TLeftoverCopyNotice(Prompts& prompts, std::function<int()> language, QObject* parent);

    void TellOfCopiesBeside(const std::string& page);

private:
    Prompts& prompts_;
    std::function<int()> language_;
    std::set<std::string> foldersChecked_;
};

} // namespace verdask
