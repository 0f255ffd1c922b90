// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Looks, once a folder in a run, at what was left beside a page shown. The files
// an interrupted rewrite of an earlier version left may hold the only whole copy
// of a page: they are told of and stay until the user deals with them. The
// temporary files of stopped runs are removed, and the user is told how many.

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

    void LookAroundFolderOf(const std::string& page);

private:
    Prompts& prompts_;
    std::function<int()> language_;
    std::set<std::string> foldersChecked_;
};

} // namespace verdask
