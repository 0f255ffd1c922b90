// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The bookshelf: the pages of this program in the folders the reader chose, each
// with its title and how far it has been read, told from the page's head and
// end alone, so that a shelf of a thousand books is read in a moment.

#include "files/FileSystem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace verdask {

enum class TReadingState { NotStarted, Reading, Finished };

struct TShelfBook {
    std::string Path;
    std::string Title;           // UTF-8: the page's title line, else its file name
    std::int64_t Anchor = 0;     // the paragraph the bookmark keeps, 0 for none
    std::int64_t Paragraphs = 0; // the last paragraph
    std::int64_t WrittenAt = 0;  // when the page was last written, seconds since 1970 (UTC)

    // How much of the book lies before its place: Anchor of Paragraphs, 0 to 100.
    int Percent() const;
    // Not started: no bookmark. Finished: the place among the last 2% or the last
    // 20 paragraphs of a book of more than 40.
    TReadingState State() const;

    bool operator==(const TShelfBook&) const = default;
};

// The page's entry, or nothing for a page of another program. Reads the page's
// head and its end. Throws EInOutError when it cannot be read.
std::optional<TShelfBook> ReadShelfBook(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

struct TShelfScan {
    bool Subfolders = false;                          // folders below the folders named too
    std::function<bool()> Stopped;                    // asked between pages: true ends the scan
    std::function<void(std::size_t books)> Found;     // told after each book found
};

// The books among paths: pages named, and the pages (*.html, *.htm) in folders
// named. Files that cannot be read and other programs' pages are left out. Sorted
// by path.
std::vector<TShelfBook> ScanShelf(const std::vector<std::string>& paths, const TShelfScan& scan = {},
                                  FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
