#include "style/Restyle.h"

#include "files/Errors.h"
#include "files/LineReader.h"
#include "files/Misc.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"

namespace verdask {
namespace {

constexpr std::string_view TemporaryName = "VerdaskTemp._a_";
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

void CopyRest(TLineReader& reader, const std::string& pagePath, FileSystem& fileSystem)
{
    TTextWriter page(TFile::OpenForAppending(fileSystem, pagePath));
    std::string_view piece;
    while (reader.StartLine()) {
        while (reader.NextPiece(piece))
            page.Write(piece);
        page.Write(LineEnd);
    }
    page.Close();
}

// The old page is only in the temporary file: it goes back to its name.
void PutBack(const std::string& pagePath, const std::string& temporary, FileSystem& fileSystem)
{
    fileSystem.Remove(pagePath);
    fileSystem.Rename(temporary, pagePath);
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
                           FileSystem& fileSystem)
{
    TRestyleResult result;
    if (FileNamePart(pagePath) == ReadmeName) {
        result.CloseEditor = true;
        return result;
    }
    const std::string temporary = SiblingPath(pagePath, TemporaryName);
    if (fileSystem.Exists(temporary) && fileSystem.Remove(temporary) != 0)
        return {1, false, false};
    if (fileSystem.Rename(pagePath, temporary) != 0)
        return {2, false, false};

    std::optional<TLineReader> reader;
    TForeignChoice choice = TForeignChoice::NoBackup;
    bool own = false;
    std::string backup;
    try {
        WritePageHeader(pagePath, style, fileSystem);
        reader.emplace(fileSystem, temporary, LineEnds::CarriageReturn);
        own = ReadToHeaderEnd(*reader);
        if (!own) {
            choice = questions.AskForeignChoice ? questions.AskForeignChoice() : TForeignChoice::Cancel;
            if (choice == TForeignChoice::BackupChosen) {
                const auto chosen = questions.AskBackupName ? questions.AskBackupName() : std::nullopt;
                if (chosen)
                    backup = *chosen;
                else
                    choice = TForeignChoice::Cancel;
            }
        }
        if (choice == TForeignChoice::Cancel) {
            reader->Close();
            reader.reset();
            if (fileSystem.Remove(pagePath) != 0)
                return {4, false, false};
            if (fileSystem.Rename(temporary, pagePath) != 0)
                return {5, false, false};
            return result;
        }
        CopyRest(*reader, pagePath, fileSystem);
        reader->Close();
        reader.reset();
    } catch (...) {
        reader.reset(); // closes the temporary file before it is renamed back
        PutBack(pagePath, temporary, fileSystem);
        throw;
    }

    result.CloseEditor = true;
    if (own || choice == TForeignChoice::NoBackup) {
        if (fileSystem.Remove(temporary) != 0)
            return {3, true, false};
    } else {
        if (choice == TForeignChoice::BackupBeside)
            backup = BackupName(pagePath);
        if (fileSystem.Exists(backup))
            fileSystem.Remove(backup);
        if (fileSystem.Rename(temporary, backup) != 0)
            return {6, true, false};
    }
    result.ShowPage = true;
    return result;
}

} // namespace verdask
