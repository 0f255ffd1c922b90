// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Export of a book for e-readers and phones: a page of this program, or a text
// converted on the way, as EPUB 3 or FictionBook 2.0. The book is read twice,
// a line at a time, and written through the one replace routine, so a stopped
// export leaves no part of a book behind and memory does not grow with it.

#include "conversion/LineRules.h"
#include "files/FileReplacement.h"
#include "files/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>

namespace verdask {

class TConf;
struct TSourceState;
struct TViewStyle;

enum class TBookFormat { Epub, Fb2 };

// What the user names of the book, in UTF-8; nothing for what the book tells.
struct TExportRequest {
    TBookFormat Format = TBookFormat::Epub;
    std::optional<std::string> Title;    // else the page's title line, else the file's name
    std::optional<std::string> Author;   // else line 1 of a text in the library's layout, else "Unknown"
    std::optional<std::string> Language; // else "ru" when most letters are Cyrillic, else "und"
};

// The extension of the format, with its dot.
std::string_view BookExtension(TBookFormat format);

// The path with the format's extension in place of its own.
std::string BookNameFor(std::string_view path, TBookFormat format);

// Exports a page of this program (EConvertError for any other page) in its own
// style. Throws EConvertError or EInOutError; the book at bookPath is then as before.
void ExportPage(const std::string& pagePath, const std::string& bookPath, const TExportRequest& request,
                const TViewStyle& defaultStyle, const TConversionEvents& events = {},
                FileSystem& fileSystem = PlatformFileSystem(), WhenTaken whenTaken = WhenTaken::Replace);

// Exports a loaded text as its page would read, in the style given.
void ExportText(const TConf& conf, const TSourceState& source, const TViewStyle& style, const std::string& bookPath,
                const TExportRequest& request, const TConversionEvents& events = {},
                FileSystem& fileSystem = PlatformFileSystem(), WhenTaken whenTaken = WhenTaken::Replace);

} // namespace verdask
