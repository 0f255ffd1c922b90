// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One view style: the look of a produced page, copied whole wherever it is held.

#include "files/Errors.h"

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

// A number of the style, read or typed, brought to the nearest end of its range
// (a font size of -5 is 2, of 300 is 72).
std::int32_t InRange(std::int64_t value, TStyleRange range);
// The same for the fields held in a byte.
std::uint8_t ByteInRange(std::int64_t value, TStyleRange range);

// What a font name and a colour may hold, so that nothing but a name or a colour
// ever reaches a page's rules or the preview, whoever wrote the value. Each gives
// the reason a value is refused, or empty text for a value that is taken.
// A font name: letters of any script, digits, blanks, "-", "." and "_" (in
// windows-1251, as the style holds it); an empty name leaves the face to the browser.
std::string FontNameFault(std::string_view name);
// A colour: "#" and six hexadecimal digits.
std::string ColorFault(std::string_view color);

// A style value that is refused: the message names the file and the key.
class EStyleValueError : public EVerdaskError {
public:
    EStyleValueError(std::string_view file, std::string_view key, std::string_view reason);
};

// How a setting that holds no value of its kind is answered: told the key and
// the reason, after which the key takes its default value.
using TBadSetting = std::function<void(std::string_view key, const std::string& reason)>;

// The default style from the eight Default keys, in their table's order; numbers
// out of their range take its nearest end. A key whose value is no whole number,
// no font name or no colour is told to bad and takes its default; without bad,
// it throws EConvertError for a number and EStyleValueError for a name or colour.
TViewStyle LoadDefaultStyle(const TConf& conf, const TBadSetting& bad = nullptr);

// Sets the eight Default keys to the style's values, in their table's order.
void StoreDefaultStyle(TConf& conf, const TViewStyle& style);

} // namespace verdask
