// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Page rewrites as they are worded, slow and plain: the measure of the program's
// rewrites in tests and fuzzing.

#include "files/Cp1251.h"
#include "style/PageFrame.h"

#include <string>
#include <string_view>
#include <vector>

namespace verdask::test {

// A UTF-8 text as the decoder gives it, character by character: the code page's
// byte or a reference, "═" in hexadecimal and every other reference in decimal.
inline std::string ReferenceDecoded(std::string_view utf8)
{
    std::string text;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = NextUtf8CodePoint(utf8, at);
        if (c == 0x2550)
            text += "&#x2550;";
        else
            AppendHtml1251(c, text);
    }
    return text;
}

// The lines of a text by the text-file rule: the text ends at its first Ctrl-Z, a
// CR or CR LF ends a line, and an unended last line counts when it is not empty.
inline std::vector<std::string> ReferenceLines(std::string_view text)
{
    const std::string_view input = text.substr(0, text.find('\x1A'));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] != '\r') {
            line += input[i];
            continue;
        }
        if (i + 1 < input.size() && input[i + 1] == '\n')
            ++i;
        lines.push_back(std::move(line));
        line.clear();
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

// Every line written with CR LF.
inline std::string JoinedLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

// The bookmark rewrite: every line that begins with the script prefix replaced.
inline std::string ReferenceRewrite(std::string_view page, const std::string& script)
{
    auto lines = ReferenceLines(page);
    for (auto& line : lines) {
        if (line.starts_with(ScriptLinePrefix))
            line = script;
    }
    return JoinedLines(lines);
}

// The restyle of a page of this program: the new head, then the old page's lines
// after the line that follows its first line holding "<BODY" or "<body".
inline std::string ReferenceRestyle(std::string_view page, const std::string& newHeader)
{
    const auto lines = ReferenceLines(page);
    std::size_t body = 0;
    while (body < lines.size() && lines[body].find("<BODY") == std::string::npos &&
           lines[body].find("<body") == std::string::npos)
        ++body;
    const std::size_t rest = std::min(lines.size(), body + 2);
    return newHeader + JoinedLines({lines.begin() + static_cast<std::ptrdiff_t>(rest), lines.end()});
}

// The restyle of a page of another program in an ASCII-compatible encoding, as
// its bytes stand: the new head, then its bytes after its first "<body" tag in
// any letter case and a line end right behind the tag; all of them without one.
inline std::string ReferenceForeignRestyle(std::string_view page, const std::string& newHeader)
{
    std::string lower(page);
    for (char& c : lower)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    const auto tag = lower.find("<body");
    const auto close = tag == std::string::npos ? tag : page.find('>', tag);
    if (close == std::string_view::npos)
        return newHeader + std::string(page);
    std::size_t start = close + 1;
    if (start < page.size() && page[start] == '\r')
        ++start;
    if (start < page.size() && page[start] == '\n')
        ++start;
    return newHeader + std::string(page.substr(start));
}

} // namespace verdask::test
