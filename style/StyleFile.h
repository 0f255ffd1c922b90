// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Style files (.sty): the eight fields of a view style as key=value lines.

#include "files/FileSystem.h"
#include "style/ViewStyle.h"

#include <string>

namespace verdask {

// The lines of a style file, as WriteStyleFile writes them, each ended by CR LF.
std::string StyleFileText(const TViewStyle& style);

// Creates or replaces the file; throws EFCreateError.
void WriteStyleFile(const std::string& path, const TViewStyle& style, FileSystem& fileSystem = PlatformFileSystem());

// Reads the eight fields into style, all of them or, when the file cannot be read
// or holds a value that is no number, font name or colour, none; numbers out of
// their range take its nearest end. Throws EFOpenError, or EStyleValueError naming
// the file and the key.
void ReadStyleFile(const std::string& path, TViewStyle& style, FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
