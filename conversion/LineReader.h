#pragma once

// The one line reader of the program. It reads its file in large blocks and
// splits it into lines by one of the program's line-end rules.

#include "conversion/TextFile.h"

#include <array>
#include <string>
#include <vector>

namespace verdask {

enum class LineEnds {
    // Text files (sources and pages): a line ends at CR, an LF right after the CR
    // belongs to the line end, a lone LF stays inside the line, a byte 1A ends the input.
    CarriageReturn,
    // Configuration and style files: CR LF, a lone CR or a lone LF ends a line,
    // a NUL byte ends the text.
    AnyBreak,
    // Source texts: the text-file rule, unless the first line end (before any 1A)
    // is a lone LF; such a text is read by LineFeed. Many books in circulation
    // end their lines with LF alone, and read by the text-file rule they would be
    // a single line, which the converter drops.
    SourceText,
    // An LF ends a line, a CR right before it belongs to the line end, a lone CR
    // stays inside the line, a byte 1A ends the input.
    LineFeed,
};

class TLineReader {
public:
    // Throws EInOutError when the file cannot be opened.
    TLineReader(FileSystem& fileSystem, const std::string& path, LineEnds rule);

    // True when no line is left: the end of the file or the byte that ends the input.
    bool AtEnd();
    // Reads the next line without its line end; false when none is left.
    bool ReadLine(std::string& line);
    void Close();

private:
    bool Fill();
    bool IsLineEnd(char byte) const;
    bool IsInputEnd(char byte) const;
    void SetRule(LineEnds rule);
    void SkipLineFeedAfterCarriageReturn();

    TFile file_;
    LineEnds rule_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t length_ = 0;
    bool fileEnded_ = false;
    bool inputEnded_ = false;
    std::array<bool, 256> stops_{}; // the bytes that end a line or the input
};

} // namespace verdask
