// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Cp1251.h"

#include <array>
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

std::string Windows1251ToUtf8(std::string_view text)
{
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (const char byte : text) {
        const char32_t c = Decode(static_cast<unsigned char>(byte));
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
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

} // namespace verdask
