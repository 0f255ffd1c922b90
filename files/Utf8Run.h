// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fast way through UTF-8 text: runs of ASCII and two-byte letters of the
// windows-1251 code page, the bulk of a Russian book, decoded sixteen bytes at a
// time. What is left (longer sequences, broken or cut ones, characters the code
// page lacks) is the caller's to decode character by character.

#include <cstddef>
#include <string>
#include <string_view>

namespace verdask {

// Appends the windows-1251 bytes of bytes[at...] while they are such a run, and
// returns where the run stopped: bytes.size(), or the start of a character the
// caller must decode. at must start a character.
std::size_t DecodeUtf8Run(std::string_view bytes, std::size_t at, std::string& out);

} // namespace verdask
