// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/RecentBooks.h"

#include <algorithm>

namespace verdask {
namespace {

std::string RecentKey(std::size_t index)
{
    return "Recent " + std::to_string(index + 1);
}

} // namespace

std::vector<std::string> RecentBooks(const TConf& conf)
{
    std::vector<std::string> books;
    for (std::size_t i = 0; i < RecentBookCount; ++i) {
        std::string book = conf.GetValue(RecentKey(i));
        if (!book.empty() && std::find(books.begin(), books.end(), book) == books.end())
            books.push_back(std::move(book));
    }
    return books;
}

void StoreRecentBooks(TConf& conf, const std::vector<std::string>& books)
{
    // Removed first, so that the list is written in order at the end of the file.
    for (std::size_t i = 0; i < RecentBookCount; ++i)
        conf.SetValue(RecentKey(i), "");
    for (std::size_t i = 0; i < std::min(books.size(), RecentBookCount); ++i)
        conf.SetValue(RecentKey(i), books[i]);
}

std::vector<std::string> WithRecentBook(std::vector<std::string> books, const std::string& page)
{
    std::erase(books, page);
    books.insert(books.begin(), page);
    if (books.size() > RecentBookCount)
        books.resize(RecentBookCount);
    return books;
}

std::vector<std::string> ExistingBooks(const std::vector<std::string>& books, FileSystem& fileSystem)
{
    std::vector<std::string> existing;
    std::copy_if(books.begin(), books.end(), std::back_inserter(existing),
                 [&fileSystem](const std::string& book) { return fileSystem.Exists(book); });
    return existing;
}

} // namespace verdask
