// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Path helpers and number conversion shared by every part of the program.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace verdask {

#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// The part of a path before its last separator (without it); empty when there is none.
std::string DirectoryPart(std::string_view path);

// The part of a path after its last separator, extension included; empty when there is none.
std::string FileNamePart(std::string_view path);

// The program's own path with its extension replaced by ext (".con"); a name without
// an extension gets ext appended.
std::string ProgramFileWithExt(std::string_view programPath, std::string_view ext);

// directory + separator + name.
std::string FileBeside(std::string_view directory, std::string_view name);

// The file called name in the folder of path: the temporary files beside a page.
// A path without a folder (a page named on the command line) is in the current
// folder, and so is its sibling; "/book.html" has "/name".
std::string SiblingPath(std::string_view path, std::string_view name);

// True when both paths name one existing file, whatever their spelling.
bool IsSameFile(const std::string& a, const std::string& b);

// The integer of a text: a whole decimal number with an optional sign that fits
// 32 bits, nothing before or after it.
std::optional<std::int32_t> TryTextToInteger(std::string_view text);

// As TryTextToInteger, but anything else throws EConvertError.
std::int32_t TextToInteger(std::string_view text);

// Plain decimal text of a number, "-" in front when negative.
std::string IntegerToText(std::int64_t value);

} // namespace verdask
