// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Export.h"

#include "conversion/Source.h"
#include "export/BookMeta.h"
#include "export/Epub.h"
#include "export/Fb2.h"
#include "export/ZipArchive.h"
#include "files/Errors.h"
#include "files/LineReader.h"
#include "files/OwnPage.h"
#include "style/StyleCss.h"

#include <array>
#include <ctime>
#include <functional>

namespace verdask {
namespace {

// Gives one reading of the body to a sink, telling how far it has gone.
using TBodyReading = std::function<void(TLineSink& body, const std::function<void(std::uint64_t)>& progress)>;

std::string UtcNow(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), format, &utc);
    return text.data();
}

std::string FileStem(std::string_view path)
{
    std::string name(path.substr(path.rfind('/') + 1));
    if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

TBookMeta MetaOf(const TBookSurvey& survey, const TExportRequest& request, const TNamedBook& named,
                 std::string_view inputPath)
{
    TBookMeta meta;
    if (request.Title) {
        meta.Title = EscapedXml(*request.Title);
    } else {
        for (const THeading& heading : survey.Headings) {
            if (heading.Kind == THeadingKind::Title)
                meta.Title = XmlTextOf(heading.Text);
        }
        if (meta.Title.empty())
            meta.Title = EscapedXml(named.Title);
    }
    if (meta.Title.empty())
        meta.Title = EscapedXml(FileStem(inputPath));
    meta.Author = EscapedXml(request.Author ? *request.Author : named.Author);
    if (meta.Author.empty())
        meta.Author = "Unknown";
    meta.Language = EscapedXml(request.Language ? *request.Language : BookLanguage(survey, "und"));
    meta.Identifier = BookIdentifier(meta.Title, meta.Author);
    meta.Modified = UtcNow("%Y-%m-%dT%H:%M:%SZ");
    return meta;
}

// The two readings, each counted as half of the work.
void Export(const TBodyReading& read, std::uint64_t size, const std::string& inputPath, const std::string& bookPath,
            const TExportRequest& request,
            const TNamedBook& named, const TViewStyle& style, const TConversionEvents& events,
            FileSystem& fileSystem, WhenTaken whenTaken, bool convertedBody)
{
    auto progress = [&](std::uint64_t base) {
        return [&events, base](std::uint64_t done) {
            if (events.Progress)
                events.Progress(base + done / 2);
        };
    };
    TSurveyReader surveyReader;
    read(surveyReader, progress(0));
    if (convertedBody)
        surveyReader.EndOfConvertedBody();
    TBookSurvey survey = surveyReader.Finish();
    const TBookMeta meta = MetaOf(survey, request, named, inputPath);

    TFileReplacement book(fileSystem, bookPath, LinkAtTarget::FollowToFile, whenTaken);
    if (request.Format == TBookFormat::Epub) {
        TZipArchive zip(book.Writer().File(), bookPath);
        TEpubWriter writer(zip, meta, survey.Headings, BookCss(style, survey.IndentSpaces));
        TBookWalk walk(survey.Headings, writer);
        read(walk, progress(size / 2));
        walk.Finish();
        writer.Finish();
        zip.Close();
    } else {
        TFb2Writer writer(book.Writer(), meta, survey.Headings, UtcNow("%Y-%m-%d"));
        TBookWalk walk(survey.Headings, writer);
        read(walk, progress(size / 2));
        walk.Finish();
        writer.Finish();
    }
    book.Commit();
}

// The body of a page: the lines after the header's end marker.
void ReadPageBody(TFile& page, TLineSink& body, const std::function<void(std::uint64_t)>& progress,
                  const PendingEvents& pending)
{
    TLineReader reader(page, LineEnds::CarriageReturn);
    std::string line;
    while (reader.ReadLineHead(line, HeaderEndMarker.size() + 1) && line != HeaderEndMarker) {
    }
    while (reader.StartLine()) {
        if (const auto whole = reader.WholeLine()) {
            body.Put(*whole);
        } else {
            std::string_view piece;
            while (reader.NextPiece(piece))
                body.Put(piece);
        }
        body.End();
        progress(reader.Offset());
        if (pending)
            pending();
    }
}

// Line 1 of a text in the library's layout, which the page leaves out.
TNamedBook NamedByText(const TSourceState& source, FileSystem& fileSystem)
{
    if (source.Layout.Paragraphs != TParagraphLayout::Indented || source.Layout.TabIndent)
        return {};
    TLineReader reader(fileSystem, source.SourcePath, LineEnds::SourceText, source.Encoding);
    std::string line;
    if (!reader.ReadLineHead(line, 512))
        return {};
    return BookNamedByLine(line);
}

} // namespace

std::string_view BookExtension(TBookFormat format)
{
    return format == TBookFormat::Epub ? ".epub" : ".fb2";
}

std::string BookNameFor(std::string_view path, TBookFormat format)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > (slash == std::string_view::npos ? 0 : slash + 1);
    return std::string(hasExtension ? path.substr(0, dot) : path) + std::string(BookExtension(format));
}

void ExportPage(const std::string& pagePath, const std::string& bookPath, const TExportRequest& request,
                const TViewStyle& defaultStyle, const TConversionEvents& events, FileSystem& fileSystem,
                WhenTaken whenTaken)
{
    TFile page = TFile::OpenForReading(fileSystem, pagePath);
    if (!IsOwnPage(page))
        throw EConvertError(pagePath + ": not a page of this program");
    const TViewStyle style = ReadStyleFromPage(pagePath, defaultStyle, fileSystem);
    const std::uint64_t size = page.Size();
    auto read = [&](TLineSink& body, const std::function<void(std::uint64_t)>& progress) {
        ReadPageBody(page, body, progress, events.Pending);
    };
    Export(read, size, pagePath, bookPath, request, {}, style, events, fileSystem, whenTaken, false);
    page.Close();
}

void ExportText(const TConf& conf, const TSourceState& source, const TViewStyle& style, const std::string& bookPath,
                const TExportRequest& request, const TConversionEvents& events, FileSystem& fileSystem,
                WhenTaken whenTaken)
{
    const std::uint64_t size = TFile::OpenForReading(fileSystem, source.SourcePath).Size();
    auto read = [&](TLineSink& body, const std::function<void(std::uint64_t)>& progress) {
        ConvertBodyInto(conf, source, body, {events.Pending, progress}, fileSystem);
    };
    Export(read, size, source.SourcePath, bookPath, request, NamedByText(source, fileSystem), style, events, fileSystem, whenTaken,
           true);
}

} // namespace verdask
