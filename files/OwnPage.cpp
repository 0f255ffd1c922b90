// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/OwnPage.h"

#include "files/Errors.h"
#include "files/LineReader.h"

#include <algorithm>

namespace verdask {
namespace {

constexpr std::string_view BodyTag = "<BODY";

// Whether the current line holds text, which may span two pieces.
bool LineHolds(TLineReader& reader, std::string_view text)
{
    std::string tail; // the end of the pieces before, where text may begin
    std::string_view piece;
    bool found = false;
    while (reader.NextPiece(piece)) {
        if (found)
            continue;
        std::string joined = tail;
        joined.append(piece.substr(0, text.size() - 1));
        found = joined.find(text) != std::string::npos || piece.find(text) != std::string_view::npos;
        tail.append(piece.substr(piece.size() - std::min(piece.size(), text.size() - 1)));
        tail.erase(0, tail.size() - std::min(tail.size(), text.size() - 1));
    }
    return found;
}

// Whether the current line is text, reading no more of it than text's length and one.
bool LineIs(TLineReader& reader, std::string_view text)
{
    std::string head;
    std::string_view piece;
    while (head.size() <= text.size() && reader.NextPiece(piece))
        head.append(piece.substr(0, text.size() + 1 - head.size()));
    return head == text;
}

} // namespace

bool IsOwnPage(TFile& page)
{
    TLineReader reader(page, LineEnds::CarriageReturn);
    bool bodyFound = false;
    while (!bodyFound && reader.StartLine())
        bodyFound = LineHolds(reader, BodyTag);
    return bodyFound && reader.StartLine() && LineIs(reader, HeaderEndMarker);
}

bool IsOwnPage(const std::string& pagePath, FileSystem& fileSystem)
{
    try {
        TFile page = TFile::OpenForReading(fileSystem, pagePath);
        const bool own = IsOwnPage(page);
        page.Close();
        return own;
    } catch (const EInOutError&) {
        return false;
    }
}

} // namespace verdask
