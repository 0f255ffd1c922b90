// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/Shelf.h"

#include "conversion/Bookmark.h"
#include "files/Cp1251.h"
#include "files/Errors.h"
#include "files/LineReader.h"
#include "files/OwnPage.h"
#include "style/PageFrame.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <string_view>

namespace verdask {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view TitleStart = "<P style=\"text-align: center\"><B>";
constexpr std::string_view TitleEnd = "</B></P>";

// What the head tells: the bookmark of the script line and the title line after
// the header's end marker.
struct THead {
    std::int64_t Anchor = 0;
    std::string Title;
};

THead ReadHead(TFile& page)
{
    constexpr int HeadLinesRead = 64;
    constexpr std::size_t MostOfALine = 4096;
    THead head;
    TLineReader reader(page, LineEnds::CarriageReturn);
    std::string line;
    bool afterMarker = false;
    for (int count = 0; count < HeadLinesRead && reader.ReadLineHead(line, MostOfALine); ++count) {
        if (afterMarker) {
            // The rules may put more after the title's end ("&nbsp;" closing a spaced group).
            const std::size_t end = line.find(TitleEnd);
            if (line.starts_with(TitleStart) && end != std::string::npos)
                head.Title = line.substr(TitleStart.size(), end - TitleStart.size());
            break;
        }
        if (line.starts_with(ScriptLinePrefix))
            head.Anchor = BookmarkAnchorOf(line);
        afterMarker = line == HeaderEndMarker;
    }
    return head;
}

std::string Trimmed(std::string text)
{
    while (text.starts_with(' ') || text.starts_with("\xC2\xA0"))
        text.erase(0, text[0] == ' ' ? 1 : 2);
    while (text.ends_with(' ') || text.ends_with("\xC2\xA0"))
        text.resize(text.size() - (text.back() == ' ' ? 1 : 2));
    return text;
}

std::int64_t WrittenAt(const std::string& path)
{
    std::error_code error;
    const auto written = fs::last_write_time(path, error);
    if (error)
        return 0;
    const auto system = std::chrono::file_clock::to_sys(written);
    return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

bool IsPageName(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".html" || extension == ".htm";
}

// The pages in a folder, and in its subfolders when asked.
std::vector<std::string> PagesIn(const std::string& folder, bool subfolders)
{
    std::vector<std::string> pages;
    std::error_code error;
    const auto take = [&pages](const fs::directory_entry& entry) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored) && IsPageName(entry.path()))
            pages.push_back(entry.path().string());
    };
    const auto options = fs::directory_options::skip_permission_denied;
    if (subfolders) {
        for (auto it = fs::recursive_directory_iterator(folder, options, error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error))
            take(*it);
    } else {
        for (auto it = fs::directory_iterator(folder, options, error); !error && it != fs::directory_iterator();
             it.increment(error))
            take(*it);
    }
    return pages;
}

} // namespace

int TShelfBook::Percent() const
{
    if (Paragraphs <= 0 || Anchor <= 0)
        return 0;
    return static_cast<int>(std::min<std::int64_t>(Anchor, Paragraphs) * 100 / Paragraphs);
}

TReadingState TShelfBook::State() const
{
    if (Anchor <= 0)
        return TReadingState::NotStarted;
    const bool lastShare = Anchor * 50 >= Paragraphs * 49;
    const bool lastParagraphs = Paragraphs > 40 && Paragraphs - Anchor < 20;
    return lastShare || lastParagraphs ? TReadingState::Finished : TReadingState::Reading;
}

std::optional<TShelfBook> ReadShelfBook(const std::string& pagePath, FileSystem& fileSystem)
{
    TFile page = TFile::OpenForReading(fileSystem, pagePath);
    if (!IsOwnPage(page))
        return std::nullopt;
    const THead head = ReadHead(page);
    TShelfBook book;
    book.Path = pagePath;
    book.Title = Trimmed(PageTextToUtf8(head.Title));
    if (book.Title.empty())
        book.Title = fs::path(pagePath).stem().string();
    book.Anchor = head.Anchor;
    book.Paragraphs = LastParagraph(page);
    book.WrittenAt = WrittenAt(pagePath);
    page.Close();
    return book;
}

std::vector<TShelfBook> ScanShelf(const std::vector<std::string>& paths, const TShelfScan& scan,
                                  FileSystem& fileSystem)
{
    std::vector<std::string> pages;
    for (const std::string& path : paths) {
        std::error_code error;
        if (fs::is_directory(path, error)) {
            auto inFolder = PagesIn(path, scan.Subfolders);
            pages.insert(pages.end(), inFolder.begin(), inFolder.end());
        } else {
            pages.push_back(path);
        }
    }
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
    std::vector<TShelfBook> books;
    for (const std::string& page : pages) {
        if (scan.Stopped && scan.Stopped())
            break;
        try {
            if (auto book = ReadShelfBook(page, fileSystem)) {
                books.push_back(std::move(*book));
                if (scan.Found)
                    scan.Found(books.size());
            }
        } catch (const EInOutError&) {
            // A page that cannot be read is no book on the shelf.
        }
    }
    return books;
}

} // namespace verdask
