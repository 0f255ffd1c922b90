// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What an exported book says of itself, and the style its text takes.

#include "export/BookWalk.h"
#include "style/ViewStyle.h"

#include <string>
#include <string_view>
#include <vector>

namespace verdask {

// In UTF-8, escaped for XML.
struct TBookMeta {
    std::string Title;
    std::string Author;     // "Unknown" when nobody is named
    std::string Language;   // "ru", or what the user named
    std::string Identifier; // "urn:uuid:..."
    std::string Modified;   // "2026-12-09T07:30:00Z"
};

// A heading's text for the book; a heading of nothing a book can show (control
// characters alone) is shown as its kind's mark, so that no entry is empty.
std::string HeadingXml(const THeading& heading);

// Where each heading of the contents stands in the navigation: its level from 1,
// one below the heading it belongs to; the title stands beside the top headings.
std::vector<int> NavigationLevels(const std::vector<THeading>& headings);

// An author's name as a book's description parts it: the first, middle and last names.
struct TAuthorName {
    std::string First;
    std::string Middle;
    std::string Last;
};
TAuthorName PartedName(std::string_view author);

// The author line 1 of a text in the library's layout names ("Лев Николаевич
// Толстой", "М.Ю.Лермонтов. Мцыри"), and the title after it; empty where the
// line names no one (a heading, a number). windows-1251 in, UTF-8 out.
struct TNamedBook {
    std::string Author;
    std::string Title;
};
TNamedBook BookNamedByLine(std::string_view line1);

// The language of a book whose letters were counted: "ru" when most are Cyrillic.
std::string BookLanguage(const TBookSurvey& survey, std::string_view otherwise);

// The same identifier for the same title and author, so that a reader takes a
// book exported again for the book it has.
std::string BookIdentifier(std::string_view title, std::string_view author);

// The style of the book's text: relative sizes, the page's alignment and indent.
std::string BookCss(const TViewStyle& style, int indentSpaces);

} // namespace verdask
