// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/Colors.h"

namespace verdask {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The pair of characters at 0-based offset; a pair cut short by the end of the
// text is read as far as it goes, an empty or unreadable one is 0.
std::uint32_t HexPair(std::string_view color, std::size_t offset)
{
    if (offset >= color.size())
        return 0;
    const std::string_view pair = color.substr(offset, 2);
    std::uint32_t value = 0;
    for (const char c : pair) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return 0;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

} // namespace

std::uint32_t StyleColorToRgb(std::string_view color)
{
    const std::uint32_t red = HexPair(color, 1);
    const std::uint32_t green = HexPair(color, 3);
    const std::uint32_t blue = HexPair(color, 5);
    return red + 256 * green + 65536 * blue;
}

std::string RgbToStyleColor(std::uint32_t rgb)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string color = "#";
    for (const std::uint32_t component : {rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF}) {
        color += Digits[component >> 4];
        color += Digits[component & 0xF];
    }
    return color;
}

} // namespace verdask
