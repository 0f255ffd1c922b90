// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A view style as the CSS rules of a page head, and the way a style is read back
// out of a page that this program wrote.

#include "files/FileSystem.h"
#include "style/ViewStyle.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace verdask {

// "normal" for letter spacing 0, otherwise the number and "pt".
std::string SpacingText(const TViewStyle& style);
// "justify" or "left".
std::string AlignmentText(const TViewStyle& style);

// The three rule lines of a page head, each ending in " } ". A font name or
// colour that is none (FontNameFault, ColorFault) is written as the default
// style's, so that no value can put markup or other rules into a page.
std::string BodyRule(const TViewStyle& style);
std::string ParagraphRule(const TViewStyle& style);
std::string TableRule(const TViewStyle& style);

// The labels by which the rule lines are found in a page head.
inline constexpr std::string_view BodyRuleKey = "BODY { color:";
inline constexpr std::string_view ParagraphRuleKey = "P { text-align:";
inline constexpr std::string_view TableRuleKey = "TABLE";

// The first head line of a page holding key, or empty text: the search ends at the
// first line holding "</HEAD>", which is never a result. Throws EInOutError.
std::string FindHeadLine(const std::string& pagePath, std::string_view key,
                         FileSystem& fileSystem = PlatformFileSystem());

// FindHeadLine for several keys in one pass over the page, a result for each key.
std::vector<std::string> FindHeadLines(const std::string& pagePath, std::span<const std::string_view> keys,
                                       FileSystem& fileSystem = PlatformFileSystem());

// The style of the three head lines found by the keys above; a missing body line
// gives the default style, and so does a font name or colour that is none.
// Numbers out of their range take its nearest end. Throws EConvertError for a font size or line height
// that is no whole number.
TViewStyle StyleFromHeadLines(std::string_view bodyLine, std::string_view paragraphLine, std::string_view tableLine,
                              const TViewStyle& defaultStyle);

// The style of a page's head, or defaultStyle for a page without a body rule.
TViewStyle ReadStyleFromPage(const std::string& pagePath, const TViewStyle& defaultStyle,
                             FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
