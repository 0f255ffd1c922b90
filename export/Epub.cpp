// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Epub.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace verdask {
namespace {

constexpr std::string_view Folder = "OEBPS/";
// Older readers load a file whole; a long chapter goes on in the next file.
constexpr std::uint64_t LongestFile = 256 * 1024;
constexpr std::size_t FlushSize = 64 * 1024;

constexpr std::string_view Container =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
    "  <rootfiles>\n"
    "    <rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>\n"
    "  </rootfiles>\n"
    "</container>\n";

std::string XhtmlHead(const TBookMeta& meta, std::string_view title, std::string_view extra = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"" +
           meta.Language + "\" lang=\"" + meta.Language + "\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>" +
           std::string(title) + "</title>\n<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\n" +
           std::string(extra) + "</head>\n";
}

std::string HeadingId(std::size_t index)
{
    std::string id = "h";
    id += std::to_string(index);
    return id;
}

} // namespace

TEpubWriter::TEpubWriter(TZipArchive& zip, const TBookMeta& meta, const std::vector<THeading>& headings,
                         std::string css)
    : zip_(zip), meta_(meta), headings_(headings), headingFile_(headings.size(), 0), css_(std::move(css))
{
    zip_.BeginEntry("mimetype", true);
    zip_.Write("application/epub+zip");
    zip_.EndEntry();
    zip_.BeginEntry("META-INF/container.xml");
    zip_.Write(Container);
    zip_.EndEntry();
}

std::string TEpubWriter::FileName(std::size_t file) const
{
    std::array<char, 16> name{};
    std::snprintf(name.data(), name.size(), "c%04zu.xhtml", file);
    return name.data();
}

std::string TEpubWriter::HeadingText(std::size_t index) const
{
    return HeadingXml(headings_[index]);
}

void TEpubWriter::Flush()
{
    zip_.Write(buffer_);
    buffer_.clear();
}

void TEpubWriter::OpenFile(const std::string& title)
{
    CloseFile();
    zip_.BeginEntry(std::string(Folder) + FileName(++files_));
    buffer_ = XhtmlHead(meta_, title.empty() ? meta_.Title : title) + "<body>\n";
    fileBytes_ = 0;
    fileOpen_ = true;
    content_ = false;
    gap_ = false;
}

void TEpubWriter::CloseFile()
{
    if (!std::exchange(fileOpen_, false))
        return;
    buffer_ += "</body>\n</html>\n";
    Flush();
    zip_.EndEntry();
}

void TEpubWriter::EnsureFile()
{
    if (!fileOpen_)
        OpenFile({});
}

void TEpubWriter::Heading(std::size_t index)
{
    const THeading& heading = headings_[index];
    const std::string id = HeadingId(index);
    switch (heading.Kind) {
    case THeadingKind::Title:
        EnsureFile();
        buffer_ += "<h1 class=\"title\" id=\"" + id + "\">" + HeadingText(index) + "</h1>\n";
        if (meta_.Author != "Unknown")
            buffer_ += "<p class=\"author\">" + meta_.Author + "</p>\n";
        content_ = true; // the title page stands alone
        break;
    case THeadingKind::Break:
        EnsureFile();
        buffer_ += "<p class=\"break\" id=\"" + id + "\">* * *</p>\n";
        gap_ = false;
        break;
    default: {
        // Headings one under another share a file; text after a heading ends it.
        if (!fileOpen_ || content_)
            OpenFile(HeadingText(index));
        const std::string level = std::to_string(std::clamp(heading.Depth, 1, 3));
        buffer_ += "<h" + level + " id=\"" + id + "\">" + HeadingText(index) + "</h" + level + ">\n";
        gap_ = false;
        break;
    }
    }
    headingFile_[index] = files_;
}

void TEpubWriter::BeginParagraph(std::int64_t anchor)
{
    EnsureFile();
    if (fileBytes_ + buffer_.size() > LongestFile) {
        OpenFile({});
        gap_ = false;
    }
    buffer_ += gap_ ? "<p class=\"gap\"" : "<p";
    if (anchor > 0)
        buffer_ += " id=\"a" + std::to_string(anchor) + "\"";
    buffer_ += '>';
    gap_ = false;
    content_ = true;
}

void TEpubWriter::Text(std::string_view xml)
{
    buffer_ += xml;
    if (buffer_.size() >= FlushSize) {
        fileBytes_ += buffer_.size();
        Flush();
    }
}

void TEpubWriter::LineBreak()
{
    buffer_ += "<br/>";
}

void TEpubWriter::EndParagraph()
{
    buffer_ += "</p>\n";
}

void TEpubWriter::EmptyLine()
{
    gap_ = content_;
}

std::string TEpubWriter::NavigationText() const
{
    std::string nav = XhtmlHead(meta_, meta_.Title) +
                      "<body>\n<nav epub:type=\"toc\" id=\"toc\">\n<h1>" + meta_.Title + "</h1>\n";
    if (headings_.empty()) {
        nav += "<ol>\n<li><a href=\"" + FileName(1) + "\">" + meta_.Title + "</a></li>\n</ol>\n";
    } else {
        const std::vector<int> levels = NavigationLevels(headings_);
        int open = 0;
        for (std::size_t index = 0; index < headings_.size(); ++index) {
            const int level = levels[index];
            if (level > open) {
                nav += "\n<ol>\n";
            } else {
                nav += "</li>\n";
                for (; open > level; --open)
                    nav += "</ol>\n</li>\n";
            }
            open = level;
            nav += "<li><a href=\"" + FileName(headingFile_[index]) + "#" + HeadingId(index) + "\">" +
                   HeadingText(index) + "</a>";
        }
        nav += "</li>\n";
        for (; open > 1; --open)
            nav += "</ol>\n</li>\n";
        nav += "</ol>\n";
    }
    return nav + "</nav>\n</body>\n</html>\n";
}

std::string TEpubWriter::NcxText() const
{
    std::string ncx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\" xml:lang=\"" +
                      meta_.Language + "\">\n<head>\n<meta name=\"dtb:uid\" content=\"" + meta_.Identifier +
                      "\"/>\n<meta name=\"dtb:depth\" content=\"";
    const std::vector<int> levels = NavigationLevels(headings_);
    const int depth = levels.empty() ? 1 : *std::max_element(levels.begin(), levels.end());
    ncx += std::to_string(depth) +
           "\"/>\n<meta name=\"dtb:totalPageCount\" content=\"0\"/>\n<meta name=\"dtb:maxPageNumber\" "
           "content=\"0\"/>\n</head>\n<docTitle><text>" +
           meta_.Title + "</text></docTitle>\n<navMap>\n";
    auto point = [&](std::size_t order, const std::string& label, const std::string& source) {
        return "<navPoint id=\"n" + std::to_string(order) + "\" playOrder=\"" + std::to_string(order) +
               "\"><navLabel><text>" + label + "</text></navLabel><content src=\"" + source + "\"/>";
    };
    if (headings_.empty()) {
        ncx += point(1, meta_.Title, FileName(1)) + "</navPoint>\n";
    } else {
        int open = 0;
        for (std::size_t index = 0; index < headings_.size(); ++index) {
            for (; open >= levels[index]; --open)
                ncx += "</navPoint>\n";
            ncx += point(index + 1, HeadingText(index), FileName(headingFile_[index]) + "#" + HeadingId(index)) +
                   "\n";
            open = levels[index];
        }
        for (; open > 0; --open)
            ncx += "</navPoint>\n";
    }
    return ncx + "</navMap>\n</ncx>\n";
}

std::string TEpubWriter::PackageText() const
{
    std::string opf = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"id\" "
                      "xml:lang=\"" +
                      meta_.Language +
                      "\">\n<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n<dc:identifier id=\"id\">" +
                      meta_.Identifier + "</dc:identifier>\n<dc:title>" + meta_.Title +
                      "</dc:title>\n<dc:creator>" + meta_.Author + "</dc:creator>\n<dc:language>" + meta_.Language +
                      "</dc:language>\n<meta property=\"dcterms:modified\">" + meta_.Modified +
                      "</meta>\n</metadata>\n<manifest>\n"
                      "<item id=\"nav\" href=\"nav.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>\n"
                      "<item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\"/>\n"
                      "<item id=\"css\" href=\"style.css\" media-type=\"text/css\"/>\n";
    for (std::size_t file = 1; file <= files_; ++file)
        opf += "<item id=\"c" + std::to_string(file) + "\" href=\"" + FileName(file) +
               "\" media-type=\"application/xhtml+xml\"/>\n";
    opf += "</manifest>\n<spine toc=\"ncx\">\n";
    for (std::size_t file = 1; file <= files_; ++file)
        opf += "<itemref idref=\"c" + std::to_string(file) + "\"/>\n";
    return opf + "</spine>\n</package>\n";
}

void TEpubWriter::Finish()
{
    // A book with no text still has a page: its title.
    if (files_ == 0) {
        OpenFile({});
        buffer_ += "<h1 class=\"title\">" + meta_.Title + "</h1>\n";
    }
    CloseFile();
    const std::pair<std::string_view, std::string> entries[] = {
        {"nav.xhtml", NavigationText()}, {"toc.ncx", NcxText()}, {"style.css", css_}, {"content.opf", PackageText()}};
    for (const auto& [name, text] : entries) {
        zip_.BeginEntry(std::string(Folder) + std::string(name));
        zip_.Write(text);
        zip_.EndEntry();
    }
}

} // namespace verdask
