// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Cp1251.h"

#include <array>
#include <optional>
#include <cstdint>

namespace verdask {
namespace {

// Code points of the bytes 80 to BF; C0 to FF are U+0410 to U+044F in order.
constexpr std::array<char32_t, 64> UpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, //
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, //
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, //
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, //
};

constexpr char32_t Replacement = 0xFFFD;

constexpr char32_t Decode(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte < 0xC0)
        return UpperHalf[byte - 0x80];
    return 0x0410 + (byte - 0xC0);
}

constexpr char32_t LowerCodePoint(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 0x20;
    if (c >= 0x0400 && c <= 0x040F)
        return c + 0x50;
    if (c >= 0x0410 && c <= 0x042F)
        return c + 0x20;
    if (c == 0x0490)
        return 0x0491;
    return c;
}

constexpr int EncodeOrMinusOne(char32_t c)
{
    for (int byte = 0; byte < 256; ++byte) {
        if (Decode(static_cast<unsigned char>(byte)) == c && c != Replacement)
            return byte;
    }
    return -1;
}

constexpr std::array<unsigned char, 256> MakeLowerTable()
{
    std::array<unsigned char, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        const int lower = EncodeOrMinusOne(LowerCodePoint(Decode(static_cast<unsigned char>(byte))));
        table[byte] = static_cast<unsigned char>(lower < 0 ? byte : lower);
    }
    return table;
}

constexpr auto LowerTable = MakeLowerTable();

constexpr std::array<unsigned char, Windows1251Limit> MakeByteTable()
{
    std::array<unsigned char, Windows1251Limit> table{};
    for (int byte = 0x80; byte < 256; ++byte) {
        if (const char32_t c = Decode(static_cast<unsigned char>(byte)); c != Replacement)
            table[c] = static_cast<unsigned char>(byte);
    }
    return table;
}

// A browser reads the references 128..159 as the characters windows-1252 has there.
char32_t HtmlCodePoint(char32_t c)
{
    static constexpr std::array<char32_t, 32> Windows1252 = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (c >= 0x80 && c < 0xA0)
        return Windows1252[c - 0x80];
    return c;
}

} // namespace

const std::array<unsigned char, Windows1251Limit> Windows1251Bytes = MakeByteTable();

char32_t NextUtf8CodePoint(std::string_view text, std::size_t& at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++at;
        return Replacement;
    }
    if (at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return Replacement;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return Replacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return Replacement;
    }
    at += static_cast<std::size_t>(length);
    return c;
}

char32_t Windows1251ToUnicode(unsigned char byte)
{
    return Decode(byte);
}

char LowerCase1251(char byte)
{
    return static_cast<char>(LowerTable[static_cast<unsigned char>(byte)]);
}

bool SameText1251(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerCase1251(a[i]) != LowerCase1251(b[i]))
            return false;
    }
    return true;
}

void AppendHtml1251(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < Windows1251Limit && Windows1251Bytes[c] != 0) {
        out += static_cast<char>(Windows1251Bytes[c]);
    } else {
        out += "&#";
        out += std::to_string(static_cast<std::uint32_t>(c));
        out += ';';
    }
}

void AppendUtf8(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Windows1251ToUtf8(std::string_view text)
{
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (const char byte : text)
        AppendUtf8(Decode(static_cast<unsigned char>(byte)), utf8);
    return utf8;
}

std::string Utf8ToHtml1251(std::string_view utf8)
{
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();)
        AppendHtml1251(NextUtf8CodePoint(utf8, at), result);
    return result;
}

std::optional<char32_t> HtmlEntityCodePoint(std::string_view name)
{
    if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7)
            return std::nullopt;
        char32_t value = 0;
        for (const char digit : digits) {
            int d = -1;
            if (digit >= '0' && digit <= '9')
                d = digit - '0';
            else if (hex && digit >= 'a' && digit <= 'f')
                d = digit - 'a' + 10;
            else if (hex && digit >= 'A' && digit <= 'F')
                d = digit - 'A' + 10;
            if (d < 0)
                return std::nullopt;
            value = value * (hex ? 16 : 10) + static_cast<char32_t>(d);
        }
        return HtmlCodePoint(value);
    }
    static constexpr std::array<std::pair<std::string_view, char32_t>, 12> Named = {{
        {"nbsp", 0xA0}, {"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''},
        {"laquo", 0xAB}, {"raquo", 0xBB}, {"mdash", 0x2014}, {"ndash", 0x2013}, {"hellip", 0x2026},
        {"copy", 0xA9},
    }};
    for (const auto& [entity, c] : Named) {
        if (entity == name)
            return c;
    }
    return std::nullopt;
}


std::string PageTextToUtf8(std::string_view text)
{
    std::string utf8;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '&') {
            const std::size_t end = text.find(';', at);
            if (end != std::string_view::npos && end - at <= 10) {
                if (const auto c = HtmlEntityCodePoint(text.substr(at + 1, end - at - 1))) {
                    AppendUtf8(*c, utf8);
                    at = end;
                    continue;
                }
            }
        }
        AppendUtf8(Decode(static_cast<unsigned char>(text[at])), utf8);
    }
    return utf8;
}

} // namespace verdask
