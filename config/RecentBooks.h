// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The books read last, kept in the configuration after "Lastread" as "Recent 1"
// (the most recent) to "Recent 10", one page path each.

#include "config/Conf.h"
#include "files/FileSystem.h"

#include <string>
#include <vector>

namespace verdask {

inline constexpr std::size_t RecentBookCount = 10;

// The stored list, most recent first; empty and repeated entries left out.
std::vector<std::string> RecentBooks(const TConf& conf);
// Replaces the stored list by books (at most RecentBookCount of them); lines of
// other keys stay where they are.
void StoreRecentBooks(TConf& conf, const std::vector<std::string>& books);
// The list with page first and nowhere else, cut to RecentBookCount.
std::vector<std::string> WithRecentBook(std::vector<std::string> books, const std::string& page);
// The books whose files are there.
std::vector<std::string> ExistingBooks(const std::vector<std::string>& books,
                                       FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
