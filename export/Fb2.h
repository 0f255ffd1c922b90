// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A FictionBook 2.0 book: its description, then a section for each heading of
// the contents, nested as the contents are, in one UTF-8 file.

#include "export/BookMeta.h"
#include "files/TextFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace verdask {

class TFb2Writer final : public TBookWriter {
public:
    // Writes the description at once.
    TFb2Writer(TTextWriter& out, const TBookMeta& meta, const std::vector<THeading>& headings,
               const std::string& date);
    void Finish();

    void Heading(std::size_t index) override;
    void BeginParagraph(std::int64_t anchor) override;
    void Text(std::string_view xml) override;
    void LineBreak() override;
    void EndParagraph() override;
    void EmptyLine() override;

private:
    // A section may hold sections or text, never both: text of a section with
    // sections under it goes into an untitled one of its own.
    void EnsureTextSection();
    void CloseSection();

    struct TOpenSection {
        int Level = 0;
        bool HasSections = false; // the contents put sections under it
        bool Wrapper = false;     // untitled, holding its parent's text
        bool Filled = false;
    };

    TTextWriter& out_;
    const std::vector<THeading>& headings_;
    std::vector<int> levels_;
    std::vector<bool> hasSections_;
    std::vector<TOpenSection> open_;
    bool gap_ = false;
    bool bodyTitled_ = false;
};

} // namespace verdask
