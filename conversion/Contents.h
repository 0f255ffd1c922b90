// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The table of contents of a page of this program, read from the page as it is:
// the title, the volumes, parts and chapters a plain-text book marks with lines
// of their own, and its scene breaks.

#include "files/FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace verdask {

enum class THeadingKind { Title, Volume, Part, Chapter, Break };

struct THeading {
    THeadingKind Kind = THeadingKind::Chapter;
    int Depth = 0;          // 0 for the title; each kind below the ones above it
    std::string Text;       // windows-1251, as the page has it; "* * *" for a break
    std::int64_t Anchor = 0; // the paragraph to go to: the heading's own, else the
                             // first after it; 0 for the top of the page
    std::int64_t Line = 0;   // the heading's line in the page's body, from 1
    // No paragraph starts after the heading: Anchor is the last one before it (0 for
    // a page without anchors), and the heading's own line is found from there on.
    bool AfterAnchor = false;
    std::int64_t NameLine = 0; // the line of a chapter's name joined to its number; 0 for none

    bool operator==(const THeading&) const = default;
};

// Finds the headings of a page's body given its lines in order, without their
// line ends; only a line's first bytes are looked at.
class TContentsFinder {
public:
    TContentsFinder();
    TContentsFinder(const TContentsFinder&) = delete;
    TContentsFinder& operator=(const TContentsFinder&) = delete;
    ~TContentsFinder();

    void AddLine(std::string_view line);
    // The headings in order, as ReadContents gives them.
    std::vector<THeading> Finish();

private:
    class TState;
    std::unique_ptr<TState> state_;
};

// The headings in order. A book without volume, part or chapter lines has no
// contents: the result is empty then, not a list of guesses. Reads the page once,
// a line at a time. Throws EInOutError.
std::vector<THeading> ReadContents(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
