// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// File > Export: the book's name, asked in the save dialog as Convert asks a
// page's, for the page shown.

#include "conversion/ConvertAndSave.h"
#include "export/Export.h"
#include "files/Prompts.h"

#include <optional>
#include <string>
#include <string_view>

namespace verdask {

// The format's name as the menu and the dialog's title give it: "EPUB", "FB2".
std::string_view BookFormatName(TBookFormat format);

// Where the book goes, and whether it may replace a file there.
struct TBookTarget {
    std::string Path;
    WhenTaken Taken = WhenTaken::Refuse;
};

// Lets the user name the book of page in dialog, which is given the format's
// filter and extension and proposes the page's name with that extension beside
// it. A name taken is asked about with Convert's texts, and a No asks for another
// name; the page's own name counts as taken, without the question. Nothing when
// the user gave up.
std::optional<TBookTarget> ChooseBookName(Prompts& prompts, TFileDialog& dialog, const std::string& page,
                                          TBookFormat format, const TSaveTexts& texts,
                                          FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
