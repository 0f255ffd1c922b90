// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One view style: the look of a produced page, copied whole wherever it is held.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace verdask {

class TConf;

struct TViewStyle {
    std::string FontColor = "#000000";
    std::string BackColor = "#FFFFFF";
    std::string FontName = "Arial";
    std::uint8_t FontSize = 14;
    std::uint8_t LineHeight = 18;
    std::uint8_t LetterSpacing = 1; // 0: the browser's normal spacing
    bool Justification = false;
    std::int32_t TextWidth = 100; // per cent; 100: full width, no centring table

    bool operator==(const TViewStyle&) const = default;
};

// The ranges of the style editor's number fields.
struct TStyleRange {
    int Lowest;
    int Highest;
};
inline constexpr TStyleRange FontSizeRange{2, 72};
inline constexpr TStyleRange LineHeightRange{1, 100};
inline constexpr TStyleRange LetterSpacingRange{0, 100};
inline constexpr TStyleRange TextWidthRange{30, 100};

// The style with each number brought to the nearest value its editor field allows,
// so that the style the editor shows is the style it applies and saves.
TViewStyle WithinEditorRanges(TViewStyle style);

// A number read from text as an 8-bit field: only its low 8 bits are kept.
std::uint8_t LowByte(std::int32_t value);

// How a numeric setting becomes a number.
using TIntegerSetting = std::function<std::int32_t(std::string_view key)>;

// The default style from the eight Default keys, in their table's order. Without
// integerOf, a numeric key that is no whole number throws EConvertError.
TViewStyle LoadDefaultStyle(const TConf& conf, const TIntegerSetting& integerOf = nullptr);

// Sets the eight Default keys to the style's values, in their table's order.
void StoreDefaultStyle(TConf& conf, const TViewStyle& style);

} // namespace verdask
