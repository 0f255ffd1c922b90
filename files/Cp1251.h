// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The windows-1251 code page, as far as the core needs it: letter case for
// matching keys, and file names (UTF-8 on this platform) written into pages.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace verdask {

// The Unicode code point of a windows-1251 byte; 0xFFFD for the one unassigned byte (98).
char32_t Windows1251ToUnicode(unsigned char byte);

// Every character of the code page beyond ASCII lies below this code point.
inline constexpr char32_t Windows1251Limit = 0x2200;
// The windows-1251 byte of each code point below the limit; 0 where the code page
// lacks it (and for ASCII, which is its own byte).
extern const std::array<unsigned char, Windows1251Limit> Windows1251Bytes;

// A byte in small letters, Latin and Cyrillic alike.
char LowerCase1251(char byte);

// Equal texts when letter case is ignored.
bool SameText1251(std::string_view a, std::string_view b);

// The character of the UTF-8 sequence at text[at], and at moved past it; a byte
// that starts no valid sequence gives U+FFFD and moves at by one.
char32_t NextUtf8CodePoint(std::string_view text, std::size_t& at);

// A character as windows-1251 bytes for an HTML page: its byte, or a numeric
// character reference when the code page lacks it.
void AppendHtml1251(char32_t c, std::string& out);

// windows-1251 text in UTF-8 (the one unassigned byte becomes U+FFFD).
std::string Windows1251ToUtf8(std::string_view text);

// The character an HTML entity's name stands for ("nbsp", "#150", "#x2550"),
// as a browser reads it: the references 128..159 are windows-1252's characters.
// Nothing for a name that no page's reader would know.
std::optional<char32_t> HtmlEntityCodePoint(std::string_view name);

// A character in UTF-8.
void AppendUtf8(char32_t c, std::string& out);

// Text of a page, windows-1251 with its entities, in UTF-8 as a browser shows it.
std::string PageTextToUtf8(std::string_view text);

// UTF-8 text as windows-1251 bytes for an HTML page: ASCII stays as it is, a
// character the code page lacks becomes a numeric character reference, and a
// byte that is no valid UTF-8 becomes the reference of U+FFFD.
std::string Utf8ToHtml1251(std::string_view utf8);

} // namespace verdask
