// SPDX-License-Identifier: GPL-3.0-or-later
// Style files: whatever a file holds, the style read from it is one a page may
// hold and is written and read back unchanged, and a style that a file takes as
// it is survives its own file.

#include "FuzzSupport.h"
#include "files/Errors.h"
#include "style/StyleFile.h"

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

// Whether a style file takes the style as it is: names and colours that are
// such, numbers within their ranges.
bool TakenAsItIs(const TViewStyle& style)
{
    return FontNameFault(style.FontName).empty() && ColorFault(style.FontColor).empty() &&
           ColorFault(style.BackColor).empty() && style.FontSize == ByteInRange(style.FontSize, FontSizeRange) &&
           style.LineHeight == ByteInRange(style.LineHeight, LineHeightRange) &&
           style.LetterSpacing == ByteInRange(style.LetterSpacing, LetterSpacingRange) &&
           style.TextWidth == InRange(style.TextWidth, TextWidthRange);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const TViewStyle made = fuzz::StyleFrom(input);
    if (TakenAsItIs(made))
        fuzz::Require(WrittenAndRead(made) == made);

    const std::string path = fuzz::File("fuzz.sty");
    fuzz::Write(path, input.Rest());
    TViewStyle read;
    try {
        ReadStyleFile(path, read);
    } catch (const EStyleValueError&) {
        fuzz::Require(read == TViewStyle{}); // taken whole or not at all
        return 0; // a value that is no number, name or colour: the user is told
    }
    fuzz::Require(TakenAsItIs(read));
    fuzz::Require(WrittenAndRead(read) == read);
    return 0;
}
