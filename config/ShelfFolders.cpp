// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ShelfFolders.h"

#include "files/Misc.h"

#include <algorithm>

namespace verdask {
namespace {

constexpr std::string_view SubfoldersKey = "Shelf subfolders";

std::string ShelfKey(std::size_t index)
{
    return "Shelf " + std::to_string(index + 1);
}

} // namespace

std::vector<std::string> ShelfFolders(const TConf& conf)
{
    std::vector<std::string> folders;
    for (std::size_t i = 0;; ++i) {
        std::string folder = conf.GetValue(ShelfKey(i));
        if (folder.empty())
            return folders;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
}

void StoreShelfFolders(TConf& conf, const std::vector<std::string>& folders)
{
    // Removed first, so that the list is written in order at the end of the file.
    for (std::size_t i = 0; !conf.GetValue(ShelfKey(i)).empty(); ++i)
        conf.SetValue(ShelfKey(i), "");
    for (std::size_t i = 0; i < folders.size(); ++i)
        conf.SetValue(ShelfKey(i), folders[i]);
}

bool ShelfSubfolders(const TConf& conf)
{
    return IsYes(conf.GetValue(SubfoldersKey));
}

void StoreShelfSubfolders(TConf& conf, bool subfolders)
{
    conf.SetValue(SubfoldersKey, subfolders ? "Yes" : "No");
}

std::vector<std::string> FoldersOfBooks(const std::vector<std::string>& books)
{
    std::vector<std::string> folders;
    for (const std::string& book : books) {
        std::string folder = DirectoryPart(book);
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
    return folders;
}

} // namespace verdask
