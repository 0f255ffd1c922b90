// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How a page of this program is told from any other file: the line right after
// its first line holding "<BODY" is the header-end marker. Only such pages are
// rewritten in place, written through a link or read for their contents and style.

#include "files/FileSystem.h"
#include "files/TextFile.h"

#include <string>
#include <string_view>

namespace verdask {

// The last header line: pages of this program have it right after the body start line.
inline constexpr std::string_view HeaderEndMarker = "<!--Lantorpress header ends here-->";

// Reads the open file from its start in bounded pieces, whatever it holds. Throws EInOutError.
bool IsOwnPage(TFile& page);
// False, too, for a file that cannot be opened or read.
bool IsOwnPage(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
