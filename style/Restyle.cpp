// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/Restyle.h"

#include "files/Cp1251.h"
#include "files/DecodedFile.h"
#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "files/LineReader.h"
#include "files/Misc.h"
#include "files/TextFile.h"
#include "style/PageFrame.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

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

// The name of the charset another program's page declares in its first block
// ("charset=utf-8"), or empty text.
std::string DeclaredCharset(std::string_view block)
{
    std::string lower(block);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerCase1251);
    const auto at = lower.find("charset=");
    if (at == std::string::npos)
        return {};
    std::size_t start = at + 8;
    while (start < lower.size() && (lower[start] == '"' || lower[start] == '\''))
        ++start;
    std::size_t end = start;
    while (end < lower.size() && (std::isalnum(static_cast<unsigned char>(lower[end])) || lower[end] == '-' ||
                                  lower[end] == '_' || lower[end] == '.' || lower[end] == ':'))
        ++end;
    return lower.substr(start, end - start);
}

// The encoding a charset name stands for, among those the program reads.
std::optional<TEncodingGuess> EncodingOfCharset(const std::string& name)
{
    static const std::pair<std::string_view, TSourceEncoding> aliases[] = {
        {"cp1251", TSourceEncoding::Windows1251},  {"x-cp1251", TSourceEncoding::Windows1251},
        {"win-1251", TSourceEncoding::Windows1251}, {"us-ascii", TSourceEncoding::Windows1251},
        {"ascii", TSourceEncoding::Windows1251},    {"utf8", TSourceEncoding::Utf8},
        {"ibm866", TSourceEncoding::Cp866},         {"koi8r", TSourceEncoding::Koi8R},
    };
    for (const auto& [alias, encoding] : aliases) {
        if (name == alias)
            return TEncodingGuess{encoding};
    }
    const auto named = EncodingNamed(name);
    if (!named || *named == TSourceEncoding::Auto)
        return std::nullopt;
    return TEncodingGuess{*named};
}

// The encoding another program's page is written in: its byte-order mark, else
// the charset it declares, else UTF-8 when its bytes are UTF-8 beyond ASCII, else
// windows-1251. Throws EInOutError for a charset the program does not read: the
// page would be garbled.
TEncodingGuess ForeignPageEncoding(TFile& page, const std::string& pagePath)
{
    page.Seek(0);
    std::string block(FileBlockSize, '\0');
    block.resize(page.Read(block.data(), block.size()));
    const TEncodingGuess detected = DetectEncoding(block);
    const bool byteOrderMark = block.starts_with("\xEF\xBB\xBF") || block.starts_with("\xFF\xFE") ||
                               block.starts_with("\xFE\xFF");
    if (byteOrderMark)
        return detected;
    if (const std::string charset = DeclaredCharset(block); !charset.empty()) {
        if (const auto encoding = EncodingOfCharset(charset))
            return *encoding;
        throw EInOutError(pagePath, EILSEQ,
                          "the page is written in " + charset +
                              ", which the program does not convert to windows-1251; it is left as it was");
    }
    return detected.Encoding == TSourceEncoding::Utf8 ? detected : TEncodingGuess{};
}

// Where the text of another program's page starts, in its decoded text: after
// its first body tag in any letter case ("<body", "<Body ...>") and a line end
// right after the tag; the start of the page when it has none.
std::uint64_t ForeignBodyStart(TFile& page, TEncodingGuess encoding)
{
    constexpr std::string_view Tag = "<body";
    page.Seek(0);
    TDecodedFile text(page, encoding);
    enum { Searching, InTag, AfterTag, AfterReturn } state = Searching;
    std::size_t matched = 0;
    std::uint64_t offset = 0;
    std::vector<char> block(FileBlockSize);
    for (std::size_t got; (got = text.Read(block.data(), block.size())) > 0;) {
        for (std::size_t i = 0; i < got; ++i, ++offset) {
            const char c = block[i];
            switch (state) {
            case Searching: {
                const char lower = LowerCase1251(c);
                matched = lower == Tag[matched] ? matched + 1 : (lower == '<' ? 1 : 0);
                if (matched == Tag.size())
                    state = InTag;
                break;
            }
            case InTag:
                if (c == '>')
                    state = AfterTag;
                break;
            case AfterTag:
                if (c == '\r') {
                    state = AfterReturn;
                    break;
                }
                return c == '\n' ? offset + 1 : offset;
            case AfterReturn:
                return c == '\n' ? offset + 1 : offset;
            }
        }
        text.ForgetBefore(offset);
    }
    return state == Searching || state == InTag ? 0 : offset;
}

// The new header and the text of another program's page, in windows-1251.
void WriteRestyledForeignPage(TFile& oldPage, const std::string& pagePath, TEncodingGuess encoding,
                              const TViewStyle& style, std::int64_t position, FileSystem& fileSystem)
{
    const std::uint64_t start = ForeignBodyStart(oldPage, encoding);
    TFileReplacement page(fileSystem, pagePath, LinkAtTarget::FollowToOwnPage);
    WritePageHeader(page.Writer(), pagePath, style, position);
    oldPage.Seek(0);
    TDecodedFile text(oldPage, encoding);
    std::vector<char> block(FileBlockSize);
    std::uint64_t offset = 0;
    for (std::size_t got; (got = text.Read(block.data(), block.size())) > 0; offset += got) {
        text.ForgetBefore(offset + got);
        if (offset + got <= start)
            continue;
        const std::size_t from = offset >= start ? 0 : static_cast<std::size_t>(start - offset);
        page.Writer().Write(std::string_view(block.data() + from, got - from));
    }
    oldPage.Close();
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
    TEncodingGuess encoding;
    if (!own) {
        // Before any question: a page the program would garble is left alone.
        encoding = ForeignPageEncoding(oldPage, pagePath);
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
    if (own)
        WriteRestyledPage(oldPage, pagePath, style, position, fileSystem);
    else
        WriteRestyledForeignPage(oldPage, pagePath, encoding, style, position, fileSystem);
    return {0, true, true, {}};
}

} // namespace verdask
