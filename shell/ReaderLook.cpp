// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ReaderLook.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace verdask {
namespace {

struct TThemeColours {
    TTheme Theme;
    std::string_view Name;
    const char* Text;
    const char* Background;
};

// The colours of the presets of the same names.
constexpr std::array<TThemeColours, 4> ThemeTable = {{
    {TTheme::PageOwn, "Page", nullptr, nullptr},
    {TTheme::Day, "Day", "#000000", "#FFFFFF"},
    {TTheme::Night, "Night", "#D8D8D0", "#202428"},
    {TTheme::Sepia, "Sepia", "#433422", "#F4ECD8"},
}};

const TThemeColours& ColoursOf(TTheme theme)
{
    return *std::find_if(ThemeTable.begin(), ThemeTable.end(),
                         [theme](const TThemeColours& entry) { return entry.Theme == theme; });
}

} // namespace

std::string_view ThemeName(TTheme theme)
{
    return ColoursOf(theme).Name;
}

std::optional<TTheme> ThemeNamed(std::string_view name)
{
    for (const TThemeColours& entry : ThemeTable) {
        if (entry.Name == name)
            return entry.Theme;
    }
    return std::nullopt;
}

TTheme NextTheme(TTheme theme)
{
    const auto* at = std::find(std::begin(Themes), std::end(Themes), theme);
    return std::next(at) == std::end(Themes) ? Themes[0] : *std::next(at);
}

QString LookCss(const TReaderLook& look)
{
    const int margin = std::clamp(look.MarginPercent, NoMargins, WidestMargins);
    QString css = QStringLiteral("BODY { margin-left: %1%; margin-right: %1% }").arg(margin);
    const TThemeColours& colours = ColoursOf(look.Theme);
    if (colours.Text != nullptr) {
        // Over the page's own rule, on the page's text and in a narrow page's table.
        css += QStringLiteral(" HTML, BODY, TD { color: %1 !important; background-color: %2 !important }"
                              " A { color: inherit !important }")
                   .arg(QLatin1String(colours.Text), QLatin1String(colours.Background));
    }
    // A printed page keeps its own look: no dark paper, no margins but the printer's.
    return QStringLiteral("@media screen { %1 }").arg(css);
}

} // namespace verdask
