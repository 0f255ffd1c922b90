// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// An EPUB 3 book, with an EPUB 2 table of contents for older readers: one XHTML
// file a chapter (a long one in several), the contents as its navigation.

#include "export/BookMeta.h"
#include "export/ZipArchive.h"

#include <cstdint>
#include <string>
#include <vector>

namespace verdask {

class TEpubWriter final : public TBookWriter {
public:
    // Writes the mimetype and the container entries at once.
    TEpubWriter(TZipArchive& zip, const TBookMeta& meta, const std::vector<THeading>& headings,
                std::string css);
    // The navigation, the package and the style: the archive can be closed then.
    void Finish();

    void Heading(std::size_t index) override;
    void BeginParagraph(std::int64_t anchor) override;
    void Text(std::string_view xml) override;
    void LineBreak() override;
    void EndParagraph() override;
    void EmptyLine() override;

private:
    void OpenFile(const std::string& title);
    void CloseFile();
    void EnsureFile();
    void Flush();
    std::string FileName(std::size_t file) const;
    std::string NavigationText() const;
    std::string NcxText() const;
    std::string PackageText() const;
    std::string HeadingText(std::size_t index) const;

    TZipArchive& zip_;
    const TBookMeta& meta_;
    const std::vector<THeading>& headings_;
    std::vector<std::size_t> headingFile_; // the file each heading stands in
    std::string css_;
    std::string buffer_;
    std::uint64_t fileBytes_ = 0;
    std::size_t files_ = 0;
    bool fileOpen_ = false;
    bool gap_ = false;     // an empty line waits for the next paragraph
    bool content_ = false; // the file holds text after its headings
};

} // namespace verdask
