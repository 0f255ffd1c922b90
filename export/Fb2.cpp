// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/Fb2.h"

#include "files/Cp1251.h"

#include <utility>

namespace verdask {
namespace {

void WriteAuthor(TTextWriter& out, const std::string& author)
{
    const TAuthorName name = PartedName(author);
    out.Write("<author>");
    if (name.Last.empty()) {
        out.Write("<nickname>" + author + "</nickname>");
    } else {
        out.Write("<first-name>" + name.First + "</first-name>");
        if (!name.Middle.empty())
            out.Write("<middle-name>" + name.Middle + "</middle-name>");
        out.Write("<last-name>" + name.Last + "</last-name>");
    }
    out.Write("</author>\n");
}

bool IsSection(const THeading& heading)
{
    return heading.Kind != THeadingKind::Title && heading.Kind != THeadingKind::Break;
}

} // namespace

TFb2Writer::TFb2Writer(TTextWriter& out, const TBookMeta& meta, const std::vector<THeading>& headings,
                       const std::string& date)
    : out_(out), headings_(headings), levels_(NavigationLevels(headings)), hasSections_(headings.size(), false)
{
    for (std::size_t index = 0; index < headings.size(); ++index) {
        for (std::size_t next = index + 1; next < headings.size(); ++next) {
            if (!IsSection(headings[next]))
                continue;
            hasSections_[index] = levels_[next] > levels_[index];
            break;
        }
    }
    out_.Write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
               "xmlns:l=\"http://www.w3.org/1999/xlink\">\n<description>\n<title-info>\n"
               "<genre>prose_classic</genre>\n");
    WriteAuthor(out_, meta.Author);
    out_.Write("<book-title>" + meta.Title + "</book-title>\n<lang>" + meta.Language + "</lang>\n</title-info>\n" +
               "<document-info>\n<author><nickname>Verdask Library Text Converter</nickname></author>\n" +
               "<program-used>Verdask Library Text Converter " + VERDASK_VERSION + "</program-used>\n" +
               "<date value=\"" + date + "\">" + date + "</date>\n<id>" + meta.Identifier +
               "</id>\n<version>1.0</version>\n</document-info>\n</description>\n<body>\n");
}

void TFb2Writer::CloseSection()
{
    if (!open_.back().Filled)
        out_.Write("<empty-line/>\n");
    out_.Write("</section>\n");
    open_.pop_back();
    if (!open_.empty())
        open_.back().Filled = true;
}

void TFb2Writer::EnsureTextSection()
{
    if (open_.empty() || (open_.back().HasSections && !open_.back().Wrapper)) {
        const int level = open_.empty() ? 1 : open_.back().Level;
        out_.Write("<section>\n");
        open_.push_back({level, false, true, false});
    }
}

void TFb2Writer::Heading(std::size_t index)
{
    const THeading& heading = headings_[index];
    const std::string text = HeadingXml(heading);
    if (heading.Kind == THeadingKind::Title && open_.empty() && !bodyTitled_) {
        out_.Write("<title><p>" + text + "</p></title>\n");
        bodyTitled_ = true;
        return;
    }
    if (!IsSection(heading)) {
        EnsureTextSection();
        out_.Write("<subtitle id=\"h" + std::to_string(index) + "\">" +
                   (heading.Kind == THeadingKind::Break ? std::string("* * *") : text) + "</subtitle>\n");
        open_.back().Filled = true;
        gap_ = false;
        return;
    }
    const int level = levels_[index];
    while (!open_.empty() && (open_.back().Wrapper || open_.back().Level >= level))
        CloseSection();
    out_.Write("<section id=\"h" + std::to_string(index) + "\">\n<title><p>" + text + "</p></title>\n");
    open_.push_back({level, hasSections_[index], false, false});
    gap_ = false;
}

void TFb2Writer::BeginParagraph(std::int64_t anchor)
{
    EnsureTextSection();
    if (std::exchange(gap_, false))
        out_.Write("<empty-line/>\n");
    out_.Write(anchor > 0 ? "<p id=\"a" + std::to_string(anchor) + "\">" : std::string("<p>"));
    open_.back().Filled = true;
}

void TFb2Writer::Text(std::string_view xml)
{
    out_.Write(xml);
}

void TFb2Writer::LineBreak()
{
    out_.Write("</p>\n<p>");
}

void TFb2Writer::EndParagraph()
{
    out_.Write("</p>\n");
}

void TFb2Writer::EmptyLine()
{
    gap_ = !open_.empty() && open_.back().Filled;
}

void TFb2Writer::Finish()
{
    if (open_.empty())
        EnsureTextSection();
    while (!open_.empty())
        CloseSection();
    out_.Write("</body>\n</FictionBook>\n");
}

} // namespace verdask
