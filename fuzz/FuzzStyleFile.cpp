// SPDX-License-Identifier: GPL-3.0-or-later
// Style files: whatever a file holds, the style read from it is written and read
// back unchanged, and a style of any field values survives its own file.

#include "FuzzSupport.h"
#include "files/Errors.h"
#include "style/StyleFile.h"

#include <algorithm>

using namespace verdask;

namespace {

TViewStyle WrittenAndRead(const TViewStyle& style)
{
    const std::string path = fuzz::File("again.sty");
    WriteStyleFile(path, style);
    fuzz::Require(fuzz::Read(path) == StyleFileText(style));
    TViewStyle again;
    ReadStyleFile(path, again);
    return again;
}

// A value of a style file is one line up to a NUL.
bool FitsOnALine(std::string_view value)
{
    return std::none_of(value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const TViewStyle made = fuzz::StyleFrom(input);
    if (FitsOnALine(made.FontColor) && FitsOnALine(made.BackColor) && FitsOnALine(made.FontName))
        fuzz::Require(WrittenAndRead(made) == made);

    const std::string path = fuzz::File("fuzz.sty");
    fuzz::Write(path, input.Rest());
    TViewStyle read;
    try {
        ReadStyleFile(path, read);
    } catch (const EConvertError&) {
        fuzz::Require(read == TViewStyle{}); // taken whole or not at all
        return 0; // a number that is none: the user is told
    }
    fuzz::Require(WrittenAndRead(read) == read);
    return 0;
}
