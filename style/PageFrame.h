// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The frame of every page the program writes: 13 header lines, the body, 3 footer lines.

#include "files/OwnPage.h"
#include "files/TextFile.h"
#include "style/ViewStyle.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

// The program's home page, shown in every page footer, the built-in page and the about box.
inline constexpr std::string_view HomePageAddress = "https://verdask-converter.github.io/";

// The start of the script line, which the bookmark writer replaces as a whole line.
inline constexpr std::string_view ScriptLinePrefix = "<SCRIPT language=\"javascript\">function doLoad() {";
inline constexpr std::string_view PlainScriptLine =
    "<SCRIPT language=\"javascript\">function doLoad() {window.focus();}</SCRIPT>";

inline constexpr std::string_view BodyStartLine = "<BODY onLoad=\"doLoad()\">";
inline constexpr std::string_view CentredBodyStartLine = "<BODY onLoad=\"doLoad()\"><TABLE ALIGN=CENTER><TR><TD>";

inline constexpr int HeaderLineCount = 13;

// The script line of a reading position, the paragraph anchor at the top of the
// view: the page reopens with paragraph N at its top; 0 (the top of the page, or
// above its first paragraph) stores no bookmark.
std::string MakeBookmarkScript(std::int64_t position);

// The anchor a script line jumps to, 0 for none: the inverse of MakeBookmarkScript.
std::int64_t BookmarkAnchorOf(std::string_view scriptLine);
inline constexpr int FooterLineCount = 3;

// The page title of a page path: its file name in windows-1251, with what the code
// page lacks and the characters that would end the title as character references.
std::string PageTitle(std::string_view pagePath);

// Header lines 1 to 13, each ended by CR LF; the script line holds the bookmark of position.
std::string PageHeaderText(std::string_view pagePath, const TViewStyle& style, std::int64_t position = 0);
// Footer lines 1 to 3, each ended by CR LF.
std::string PageFooterText();

// Write the header and the footer into a page being written. Throw EInOutError.
void WritePageHeader(TTextWriter& page, std::string_view pagePath, const TViewStyle& style,
                     std::int64_t position = 0);
void AppendPageFooter(TTextWriter& page);

} // namespace verdask
