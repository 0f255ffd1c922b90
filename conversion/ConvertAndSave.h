// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The convert-and-save command: names the page, asks before replacing a file,
// and writes header, body and footer in that order.

#include "conversion/Bookmark.h"
#include "conversion/LineRules.h"
#include "files/FileReplacement.h"
#include "files/FileSystem.h"

#include <optional>
#include <string_view>
#include <string>

namespace verdask {

class Prompts;
class TConf;
struct TFileDialog;
struct TSourceState;
struct TViewStyle;

// The interface texts the command shows, in the current language.
struct TSaveTexts {
    std::string OverwriteQuestion = "Overwrite the existing file?";     // row 51
    std::string ChooseAnotherName = "File exists. Choose another name."; // row 52
};

// The source path with the extension ".html" in place of its own.
std::string PageNameFor(std::string_view sourcePath);

// Converts the loaded text into a page and returns the page's path, or nothing when
// the user gave up in a dialog (then no file was written). A page is never written
// over its own source: that name is refused as an existing one, without the
// overwrite question. Throws EConvertError or EInOutError; what was written
// before the failure stays.
std::optional<std::string> ConvertAndSave(TConf& conf, const TSourceState& source, const TViewStyle& style,
                                          TFileDialog& saveDialog, Prompts& prompts, const TSaveTexts& texts,
                                          const TConversionEvents& events,
                                          FileSystem& fileSystem = PlatformFileSystem());

// The reader's place in a book converted again, from the page it replaces: the
// same paragraph when the book has as many as before (the same text, layout and
// indent), else the one at the same share of the book; 0 for none.
std::int64_t CarriedPlace(const TPagePlace& before, std::int64_t paragraphs);

// Header, body and footer of the page, written beside it and then put in its
// place (TFileReplacement); a link at the page's name is followed only to a page
// of this program. A page of this program it replaces gives its reader's place
// to the new one (CarriedPlace). On failure the page is as before and the
// temporary file is gone; errors name the page (or the text, for its own).
void WritePage(const std::string& pagePath, const TConf& conf, const TSourceState& source, const TViewStyle& style,
               const TConversionEvents& events, FileSystem& fileSystem = PlatformFileSystem(),
               WhenTaken whenTaken = WhenTaken::Replace);

// The page into a writer of the caller's (standard output); pageName gives its
// title, position its bookmark. Returns the number of paragraphs written.
std::int64_t WritePageInto(TTextWriter& page, std::string_view pageName, const TConf& conf, const TSourceState& source,
                           const TViewStyle& style, const TConversionEvents& events,
                           FileSystem& fileSystem = PlatformFileSystem(), std::int64_t position = 0);

} // namespace verdask
