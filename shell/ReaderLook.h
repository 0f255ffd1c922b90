// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the reader shows pages of this program over their own style, without
// touching their files: a theme of colours and margins beside the text.

#include <QString>

#include <optional>
#include <string_view>

namespace verdask {

// The page's own colours, or one of the reader's themes.
enum class TTheme { PageOwn, Day, Night, Sepia };
inline constexpr TTheme Themes[] = {TTheme::PageOwn, TTheme::Day, TTheme::Night, TTheme::Sepia};

// The margin beside the text, in per cent of the view's width on each side.
inline constexpr int NoMargins = 0;
inline constexpr int NarrowMargins = 3;
inline constexpr int WideMargins = 8;
inline constexpr int WidestMargins = 20;

struct TReaderLook {
    TTheme Theme = TTheme::PageOwn;
    int MarginPercent = NarrowMargins;

    bool operator==(const TReaderLook&) const = default;
};

// "Page", "Day", "Night", "Sepia": the values of the key "Theme".
std::string_view ThemeName(TTheme theme);
std::optional<TTheme> ThemeNamed(std::string_view name);
// The theme after theme, the page's own after the last.
TTheme NextTheme(TTheme theme);

// The rules the view adds to a page of this program for look, on screen only.
QString LookCss(const TReaderLook& look);

} // namespace verdask
