// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Colours between their style text "#RRGGBB" and the colour dialog's value
// red + 256 * green + 65536 * blue.

#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

// The pairs at positions 2-3, 4-5 and 6-7 as hexadecimal numbers; a pair that
// cannot be read counts as 0. The first character is not examined.
std::uint32_t StyleColorToRgb(std::string_view color);

// "#" and red, green, blue as two upper-case hexadecimal digits each.
std::string RgbToStyleColor(std::uint32_t rgb);

} // namespace verdask
