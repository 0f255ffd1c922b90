// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/BookMeta.h"

#include "files/Cp1251.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace verdask {
namespace {

std::vector<std::string_view> Words(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(' ', at)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

std::string_view Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

bool IsCapital1251(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDF) || byte == 0xA8;
}

// A name: words that each begin with a capital, "М.Ю.Лермонтов" among them.
bool LooksLikeName(std::string_view text)
{
    const auto words = Words(text);
    if (words.empty() || words.size() > 5)
        return false;
    return std::all_of(words.begin(), words.end(), [](std::string_view word) {
        if (!IsCapital1251(static_cast<unsigned char>(word.front())))
            return false;
        return std::any_of(word.begin() + 1, word.end(),
                           [](char c) { return LowerCase1251(c) == c && static_cast<unsigned char>(c) >= 'a'; });
    });
}

std::string Fixed(double value)
{
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.3g", value);
    return text.data();
}

} // namespace

std::string HeadingXml(const THeading& heading)
{
    std::string xml = XmlTextOf(heading.Text);
    return xml.empty() ? std::string("* * *") : xml;
}

std::vector<int> NavigationLevels(const std::vector<THeading>& headings)
{
    std::vector<int> levels;
    std::vector<int> open;
    for (const THeading& heading : headings) {
        const int depth = std::max(heading.Depth, 1);
        while (!open.empty() && open.back() >= depth)
            open.pop_back();
        levels.push_back(static_cast<int>(open.size()) + 1);
        open.push_back(depth);
    }
    return levels;
}

TAuthorName PartedName(std::string_view author)
{
    auto words = Words(author);
    if (words.size() == 1) {
        const std::string_view word = words.front();
        const auto dot = word.rfind('.');
        if (dot == std::string_view::npos || dot + 1 == word.size())
            return {};
        return {std::string(word.substr(0, dot + 1)), {}, std::string(word.substr(dot + 1))};
    }
    if (words.size() < 2)
        return {};
    TAuthorName name{std::string(words.front()), {}, std::string(words.back())};
    for (std::size_t index = 1; index + 1 < words.size(); ++index) {
        if (!name.Middle.empty())
            name.Middle += ' ';
        name.Middle += words[index];
    }
    return name;
}

TNamedBook BookNamedByLine(std::string_view line1)
{
    const std::string_view line = Trimmed(line1);
    const auto stop = line.find(". ");
    const std::string_view name = stop == std::string_view::npos ? line : line.substr(0, stop);
    if (!LooksLikeName(name))
        return {};
    TNamedBook book;
    book.Author = Windows1251ToUtf8(name);
    if (stop != std::string_view::npos)
        book.Title = Windows1251ToUtf8(Trimmed(line.substr(stop + 2)));
    return book;
}

std::string BookLanguage(const TBookSurvey& survey, std::string_view otherwise)
{
    if (survey.CyrillicLetters > survey.LatinLetters)
        return "ru";
    return std::string(otherwise);
}

std::string BookIdentifier(std::string_view title, std::string_view author)
{
    // Two FNV-1a hashes of the names make the 128 bits of a name-based UUID.
    std::uint64_t first = 14695981039346656037ULL;
    std::uint64_t second = 1099511628211ULL * 31;
    for (const std::string_view part : {title, std::string_view("\n"), author}) {
        for (const char c : part) {
            first = (first ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
            second = (second ^ static_cast<unsigned char>(c)) * 1099511628211ULL + 7;
        }
    }
    second = (second & ~(0xFULL << 12)) | (0x8ULL << 12);     // version 8: of the program's own making
    first = (first & ~(0x3ULL << 62)) | (0x2ULL << 62);       // the variant of RFC 4122
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "urn:uuid:%08x-%04x-%04x-%04x-%012llx",
                  static_cast<unsigned>(second >> 32), static_cast<unsigned>((second >> 16) & 0xFFFF),
                  static_cast<unsigned>(second & 0xFFFF), static_cast<unsigned>(first >> 48),
                  static_cast<unsigned long long>(first & 0xFFFFFFFFFFFFULL));
    return text.data();
}

std::string BookCss(const TViewStyle& style, int indentSpaces)
{
    const double fontSize = std::max<int>(style.FontSize, 1);
    const double lineHeight = std::clamp(style.LineHeight / fontSize, 1.0, 3.0);
    std::string font = Windows1251ToUtf8(style.FontName);
    std::string css = "body { margin: 0; line-height: " + Fixed(lineHeight);
    if (!font.empty())
        css += "; font-family: \"" + font + "\", serif";
    if (style.LetterSpacing > 0)
        css += "; letter-spacing: " + Fixed(style.LetterSpacing / fontSize) + "em";
    css += " }\n";
    css += "p { margin: 0; text-indent: " + Fixed(indentSpaces * 0.375) + "em; text-align: " +
           (style.Justification ? "justify" : "left") + " }\n";
    css += "p.gap { margin-top: 1em }\n"
           "p.break { margin: 1em 0; text-indent: 0; text-align: center }\n"
           "h1, h2, h3 { margin: 1.5em 0 1em; text-align: center; text-indent: 0; page-break-after: avoid }\n"
           "h1 { font-size: 1.6em }\nh2 { font-size: 1.35em }\nh3 { font-size: 1.15em }\n"
           "h1.title { margin-top: 30% }\np.author { text-align: center; text-indent: 0; margin-top: 2em }\n";
    return css;
}

} // namespace verdask
