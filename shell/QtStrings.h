// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one place where the program's bytes meet Qt's strings.

#include <QString>

#include <string>
#include <string_view>

namespace verdask {

// windows-1251 bytes, the program's own text, as a QString.
QString FromWindows1251(std::string_view text);
std::string ToWindows1251(const QString& text);

// A message or a path: the file system's UTF-8 where the bytes are valid UTF-8,
// else the program's windows-1251 (an error text may carry either).
QString ToDisplay(std::string_view text);

// Paths are the file system's bytes.
QString FromPath(std::string_view path);
std::string ToPath(const QString& path);

} // namespace verdask
