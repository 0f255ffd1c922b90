#pragma once

// The reading-position bookmark: a script line in the head of a page of this
// program that jumps to the paragraph the reader was at, rewritten in place.

#include "files/FileSystem.h"
#include "style/PageFrame.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace verdask {

// Whether the line after the page's first line holding "<BODY" is the header-end
// marker: only such pages are rewritten. Throws EInOutError.
bool IsOwnPage(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

// What the probe at one point of the view found: the element's tag name and its
// outer HTML, or nothing.
struct TProbedElement {
    std::string TagName;
    std::string OuterHtml;
};

// The reading position the probes give, top to bottom: the number of the first
// anchor start tag "<A name=a" + number + ">" of at most 15 characters to its ">",
// 0 when its number is no whole number or when every probe misses.
std::int64_t ReadingPositionOf(const std::vector<std::optional<TProbedElement>>& probes);

// The anchor the bookmark of the page jumps to: the script line in its head, 0 for
// none. Reads the head alone. Throws EInOutError.
std::int64_t StoredBookmark(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

// The position to store for a page that opened at openedAnchor and shows position
// at its top: a page left where it opened keeps its bookmark, instead of moving a
// paragraph back at every visit.
std::int64_t KeptPosition(std::int64_t position, std::int64_t openedAnchor);

enum class TBookmarkResult {
    NoPage,      // no file at the path: nothing to do
    ForeignPage, // not a page of this program: never touched
    Unchanged,   // the page holds that bookmark already: not rewritten
    Saved,
};

// Rewrites the page with the script line of position: the rewritten page is
// written beside it and takes its place in one step (TFileReplacement). Throws
// EInOutError, naming the page, when it cannot be read or rewritten; the page
// is then as it was.
TBookmarkResult SaveBookmark(const std::string& pagePath, std::int64_t position,
                             FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
