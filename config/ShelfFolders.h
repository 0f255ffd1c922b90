// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The folders the bookshelf shows, kept in the configuration after the other
// keys as "Shelf 1" to "Shelf N", and whether their subfolders are read too
// ("Shelf subfolders").

#include "config/Conf.h"

#include <string>
#include <vector>

namespace verdask {

// The stored folders in order, each once; empty when the user has chosen none,
// and then the shelf shows the folders of the recent books (FoldersOfBooks).
std::vector<std::string> ShelfFolders(const TConf& conf);
// Replaces the stored list; lines of other keys stay where they are.
void StoreShelfFolders(TConf& conf, const std::vector<std::string>& folders);

bool ShelfSubfolders(const TConf& conf);
void StoreShelfSubfolders(TConf& conf, bool subfolders);

// The folders of books, in the books' order, each once.
std::vector<std::string> FoldersOfBooks(const std::vector<std::string>& books);

} // namespace verdask
