// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The reading-position bookmark: a script line in the head of a page of this
// program that jumps to the paragraph the reader was at, rewritten in place.

#include "files/FileSystem.h"
#include "files/OwnPage.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"

#include <cstdint>
#include <optional>
#include <string>

namespace verdask {

// The anchor the bookmark of the page jumps to: the script line in its head, 0 for
// none. Reads the head alone. Throws EInOutError.
std::int64_t StoredBookmark(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

enum class TBookmarkResult {
    NoPage,      // no file at the path: nothing to do
    ForeignPage, // not a page of this program: never touched
    Unchanged,   // the page holds that bookmark already: not rewritten
    Saved,
};

// Where a page of this program stands: its bookmark and its number of
// paragraphs (its last anchor).
struct TPagePlace {
    std::int64_t Anchor = 0;
    std::int64_t Paragraphs = 0;

    bool operator==(const TPagePlace&) const = default;
};

// Read from the page's head and its end only: nothing for no file or a page of
// another program. Throws EInOutError.
std::optional<TPagePlace> PlaceInPage(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

// The number of the page's last paragraph anchor, 0 for none. Reads from its end
// back, a block at a time. Throws EInOutError.
std::int64_t LastParagraph(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());
// The same for a page the caller holds open.
std::int64_t LastParagraph(TFile& page);

// Rewrites the page with the script line of position: the rewritten page is
// written beside it and takes its place in one step (TFileReplacement). Throws
// EInOutError, naming the page, when it cannot be read or rewritten; the page
// is then as it was.
TBookmarkResult SaveBookmark(const std::string& pagePath, std::int64_t position,
                             FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
