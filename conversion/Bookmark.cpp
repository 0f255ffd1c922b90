// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Bookmark.h"

#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/LineReader.h"
#include "files/Misc.h"
#include "files/OwnPage.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>
#include <optional>
#include <functional>
#include <vector>

namespace verdask {
namespace {

constexpr std::string_view BodyTag = "<BODY";

// Receives the rewritten page a piece at a time.
using TPieceSink = std::function<void(std::string_view)>;

// Up to count bytes from the start of the current line; the pieces after them
// follow through NextPiece.
std::string LineHead(TLineReader& reader, std::size_t count, std::string_view& rest, bool& more)
{
    std::string head;
    rest = {};
    more = true;
    std::string_view piece;
    while (head.size() < count) {
        if (!reader.NextPiece(piece)) {
            more = false;
            return head;
        }
        const std::size_t take = std::min(count - head.size(), piece.size());
        head.append(piece.substr(0, take));
        rest = piece.substr(take);
    }
    return head;
}

// The page as the bookmark rewrite makes it: every line that begins with the
// script prefix becomes scriptLine, every line ends in CR LF. Stops before the
// first line that starts at or after limit.
void RewriteLines(TLineReader& reader, const std::string& scriptLine, std::uint64_t limit, const TPieceSink& put)
{
    while (reader.StartLine() && reader.LineStart() < limit) {
        if (const auto line = reader.WholeLine()) {
            put(line->starts_with(ScriptLinePrefix) ? std::string_view(scriptLine) : *line);
            put(LineEnd);
            continue;
        }
        // A line longer than a block comes in pieces.
        std::string_view rest;
        bool more = false;
        const std::string head = LineHead(reader, ScriptLinePrefix.size(), rest, more);
        if (head == ScriptLinePrefix) {
            reader.SkipLine();
            put(scriptLine);
        } else {
            put(head);
            put(rest);
            std::string_view piece;
            while (more && reader.NextPiece(piece))
                put(piece);
        }
        put(LineEnd);
    }
}

// Where the rewrite departs from the page's bytes. Up to Changes, the rewrite
// gives other bytes than the page holds; from there to CopyEnd it gives the
// page's own bytes, which are copied as they stand. A page of this program
// normally changes in its script line alone, so nearly all of it is a plain copy.
struct TRewritePlan {
    std::uint64_t Changes = 0;
    std::uint64_t CopyEnd = 0;
    std::uint64_t FileEnd = 0;
    bool Unchanged() const { return Changes == 0 && CopyEnd == FileEnd; }
};

// Whether a line that begins with the script prefix is scriptLine already.
class TScriptLineCheck {
public:
    explicit TScriptLineCheck(const std::string& scriptLine) : scriptLine_(scriptLine) {}
    void Add(std::string_view piece)
    {
        length_ += piece.size();
        if (seen_.size() <= scriptLine_.size())
            seen_.append(piece.substr(0, scriptLine_.size() + 1 - seen_.size()));
    }
    bool Same() const { return length_ == scriptLine_.size() && seen_ == scriptLine_; }
    std::uint64_t Length() const { return length_; }

private:
    const std::string& scriptLine_;
    std::string seen_;
    std::uint64_t length_ = 0;
};

TRewritePlan PlanRewrite(TFile& page, const std::string& scriptLine)
{
    TRewritePlan plan;
    TLineReader reader(page, LineEnds::CarriageReturn);
    bool havePrevious = false;
    bool previousSame = true;
    std::uint64_t previousStart = 0;
    std::uint64_t previousLength = 0;
    for (;;) {
        const bool more = reader.StartLine();
        if (havePrevious) {
            // The previous line stays as it stands when its text stays and it ends in CR LF.
            const std::uint64_t end = more ? reader.LineStart() : reader.Offset();
            if (!previousSame || end - previousStart - previousLength != LineEnd.size())
                plan.Changes = end;
        }
        if (!more)
            break;
        havePrevious = true;
        previousStart = reader.LineStart();
        if (const auto line = reader.WholeLine()) {
            previousLength = line->size();
            previousSame = !line->starts_with(ScriptLinePrefix) || *line == scriptLine;
            continue;
        }
        std::string_view rest;
        bool pieces = false;
        const std::string head = LineHead(reader, ScriptLinePrefix.size(), rest, pieces);
        TScriptLineCheck check(scriptLine);
        check.Add(head);
        check.Add(rest);
        std::string_view piece;
        while (pieces && reader.NextPiece(piece))
            check.Add(piece);
        previousLength = check.Length();
        previousSame = head != ScriptLinePrefix || check.Same();
    }
    // Bytes after a Ctrl-Z are not copied; nor is the Ctrl-Z.
    plan.CopyEnd = reader.Offset();
    plan.FileEnd = reader.InputEnded() ? plan.CopyEnd + 1 : plan.CopyEnd;
    return plan;
}

void WriteRewrite(TFile& page, const std::string& scriptLine, const TRewritePlan& plan, TTextWriter& copy)
{
    TLineReader reader(page, LineEnds::CarriageReturn);
    RewriteLines(reader, scriptLine, plan.Changes, [&copy](std::string_view piece) { copy.Write(piece); });
    CopyBytes(page, plan.Changes, plan.CopyEnd, copy);
}

} // namespace

std::int64_t StoredBookmark(const std::string& pagePath, FileSystem& fileSystem)
{
    // The script line is in the head, which ends at the body start line; another
    // program's page may have no body tag at all, so the search stops early.
    constexpr int HeadLinesRead = 64;
    TLineReader reader(fileSystem, pagePath, LineEnds::CarriageReturn);
    for (int line = 0; line < HeadLinesRead && reader.StartLine(); ++line) {
        const auto whole = reader.WholeLine();
        if (!whole) {
            reader.SkipLine();
            continue;
        }
        if (whole->starts_with(ScriptLinePrefix))
            return BookmarkAnchorOf(*whole);
        if (whole->find(BodyTag) != std::string_view::npos)
            break;
    }
    return 0;
}

std::int64_t LastParagraph(const std::string& pagePath, FileSystem& fileSystem)
{
    TFile page = TFile::OpenForReading(fileSystem, pagePath);
    return LastParagraph(page);
}

std::int64_t LastParagraph(TFile& page)
{
    constexpr std::string_view AnchorTag = "<A Name=a";
    // A tag begun in one block may end in the one after it.
    constexpr std::size_t LongestTag = AnchorTag.size() + std::numeric_limits<std::int64_t>::digits10 + 2;
    std::string text;
    for (std::uint64_t end = page.Size(); end > 0;) {
        const std::uint64_t start = end > FileBlockSize ? end - FileBlockSize : 0;
        std::string block(static_cast<std::size_t>(end - start), '\0');
        page.Seek(start);
        std::size_t got = 0;
        while (got < block.size()) {
            const std::size_t count = page.Read(block.data() + got, block.size() - got);
            if (count == 0)
                break;
            got += count;
        }
        block.resize(got);
        text = block + text.substr(0, LongestTag);
        for (std::size_t at = text.rfind(AnchorTag); at != std::string::npos;
             at = at == 0 ? std::string::npos : text.rfind(AnchorTag, at - 1)) {
            const std::string_view digits = std::string_view(text).substr(at + AnchorTag.size());
            std::int64_t anchor = 0;
            const auto [past, error] = std::from_chars(digits.data(), digits.data() + digits.size(), anchor);
            if (error == std::errc() && past != digits.data() && past < digits.data() + digits.size() && *past == '>')
                return anchor;
        }
        end = start;
    }
    return 0;
}

std::optional<TPagePlace> PlaceInPage(const std::string& pagePath, FileSystem& fileSystem)
{
    if (!fileSystem.Exists(pagePath) || !IsOwnPage(pagePath, fileSystem))
        return std::nullopt;
    return TPagePlace{StoredBookmark(pagePath, fileSystem), LastParagraph(pagePath, fileSystem)};
}

TBookmarkResult SaveBookmark(const std::string& pagePath, std::int64_t position, FileSystem& fileSystem)
{
    if (!fileSystem.Exists(pagePath))
        return TBookmarkResult::NoPage;
    // Every pass reads this one open file, so the copy is made of one page even
    // when another window replaces the page meanwhile.
    std::optional<TFile> opened;
    try {
        opened.emplace(TFile::OpenForReading(fileSystem, pagePath));
    } catch (const EInOutError& error) {
        // A link whose page has gone.
        if (error.Code() == ENOENT)
            return TBookmarkResult::NoPage;
        throw;
    }
    TFile& page = *opened;
    if (!IsOwnPage(page))
        return TBookmarkResult::ForeignPage;
    const std::string scriptLine = MakeBookmarkScript(position);
    const TRewritePlan plan = PlanRewrite(page, scriptLine);
    // Reopening a page and leaving it where it was is the usual case: no rewrite then.
    if (plan.Unchanged())
        return TBookmarkResult::Unchanged;

    TFileReplacement copy(fileSystem, pagePath, LinkAtTarget::FollowToOwnPage);
    WriteRewrite(page, scriptLine, plan, copy.Writer());
    page.Close();
    copy.Commit();
    return TBookmarkResult::Saved;
}

} // namespace verdask
