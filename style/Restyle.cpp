// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/Restyle.h"

#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/LineReader.h"
#include "files/Misc.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"

#include <cstdint>

namespace verdask {
namespace {

constexpr std::string_view ReadmeName = "readme.html";

// Whether the piece, with the end of the pieces before it, holds "<BODY" or "<body".
class TBodyTagSearch {
public:
    void Add(std::string_view piece)
    {
        std::string joined = tail_;
        joined.append(piece.substr(0, Keep));
        found_ = found_ || Holds(joined) || Holds(piece);
        tail_.append(piece.substr(piece.size() - std::min(piece.size(), Keep)));
        if (tail_.size() > Keep)
            tail_.erase(0, tail_.size() - Keep);
    }
    bool Found() const { return found_; }

private:
    static constexpr std::size_t Keep = 4;
    static bool Holds(std::string_view text)
    {
        return text.find("<BODY") != std::string_view::npos || text.find("<body") != std::string_view::npos;
    }

    bool found_ = false;
    std::string tail_;
};

// Reads the old page up to and including the line after its body tag (step 6),
// and says whether that line is the marker.
bool ReadToHeaderEnd(TLineReader& reader)
{
    bool bodyFound = false;
    std::string last;
    while (!bodyFound && reader.StartLine()) {
        TBodyTagSearch search;
        last.clear();
        std::string_view piece;
        while (reader.NextPiece(piece)) {
            search.Add(piece);
            if (last.size() <= HeaderEndMarker.size())
                last.append(piece.substr(0, HeaderEndMarker.size() + 1 - last.size()));
        }
        bodyFound = search.Found();
    }
    if (bodyFound && reader.StartLine()) {
        last.clear();
        std::string_view piece;
        while (reader.NextPiece(piece)) {
            if (last.size() <= HeaderEndMarker.size())
                last.append(piece.substr(0, HeaderEndMarker.size() + 1 - last.size()));
        }
    }
    return last == HeaderEndMarker;
}

void CopyRest(TLineReader& reader, TTextWriter& page)
{
    std::string_view piece;
    while (reader.StartLine()) {
        while (reader.NextPiece(piece))
            page.Write(piece);
        page.Write(LineEnd);
    }
}

// The old page, byte for byte, under the backup name.
void WriteBackup(TFile& oldPage, const std::string& backup, FileSystem& fileSystem)
{
    TFileReplacement copy(fileSystem, backup, LinkAtTarget::ReplaceName);
    CopyBytes(oldPage, 0, UINT64_MAX, copy.Writer());
    copy.Commit();
}

// The new header and the old page's lines after its header end.
void WriteRestyledPage(TFile& oldPage, const std::string& pagePath, const TViewStyle& style, std::int64_t position,
                       FileSystem& fileSystem)
{
    TFileReplacement page(fileSystem, pagePath, LinkAtTarget::FollowToOwnPage);
    WritePageHeader(page.Writer(), pagePath, style, position);
    TLineReader reader(oldPage, LineEnds::CarriageReturn);
    ReadToHeaderEnd(reader);
    CopyRest(reader, page.Writer());
    oldPage.Close(); // read through: nothing of it can fail once the new page is in place
    page.Commit();
}

} // namespace

std::string BackupName(std::string_view pagePath)
{
    std::string name(pagePath.substr(0, pagePath.empty() ? 0 : pagePath.size() - 1));
    return name + "_";
}

bool IsRestylablePage(const std::string& pagePath, FileSystem& fileSystem)
{
    TLineReader reader(fileSystem, pagePath, LineEnds::CarriageReturn);
    const bool own = ReadToHeaderEnd(reader);
    reader.Close();
    return own;
}

TRestyleResult RestylePage(const std::string& pagePath, const TViewStyle& style, const TRestyleQuestions& questions,
                           std::int64_t position, FileSystem& fileSystem)
{
    if (FileNamePart(pagePath) == ReadmeName)
        return {0, true, false, {}};
    // The old page stays where it is, open, until the new one takes its place;
    // every pass reads this one open file.
    TFile oldPage = TFile::OpenForReading(fileSystem, pagePath);
    bool own = false;
    {
        TLineReader reader(oldPage, LineEnds::CarriageReturn);
        own = ReadToHeaderEnd(reader);
    }
    std::string backup;
    if (!own) {
        const TForeignChoice choice =
            questions.AskForeignChoice ? questions.AskForeignChoice() : TForeignChoice::Cancel;
        if (choice == TForeignChoice::BackupChosen) {
            const auto chosen = questions.AskBackupName ? questions.AskBackupName() : std::nullopt;
            if (!chosen)
                return {};
            backup = *chosen;
        }
        if (choice == TForeignChoice::Cancel)
            return {};
        if (choice == TForeignChoice::BackupBeside)
            backup = BackupName(pagePath);
    }
    if (!backup.empty()) {
        // A backup in the page's own place ("book.htm_" backs up as itself) would
        // be replaced by the restyled page at once.
        if (IsSameFile(backup, pagePath))
            return {6, false, false, FormatMessage("The backup copy %s would replace the page itself", backup)};
        try {
            WriteBackup(oldPage, backup, fileSystem);
        } catch (const EInOutError& error) {
            return {6, false, false, error.what()};
        }
    }
    WriteRestyledPage(oldPage, pagePath, style, position, fileSystem);
    return {0, true, true, {}};
}

} // namespace verdask
