// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one line reader of the program. It reads its file in large blocks and
// splits it into lines by one of the program's line-end rules. A line may be
// taken whole, or in pieces when it is longer than a block, so that no line,
// however long, has to be held in memory.

#include "files/DecodedFile.h"
#include "files/SourceEncoding.h"
#include "files/TextFile.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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
    // Throws EInOutError when the file cannot be opened; every call below may
    // throw it when reading fails.
    TLineReader(FileSystem& fileSystem, const std::string& path, LineEnds rule,
                std::size_t blockSize = FileBlockSize);
    // Reads a text in the given encoding as windows-1251; lines, pieces and
    // offsets are then those of the decoded text.
    TLineReader(FileSystem& fileSystem, const std::string& path, LineEnds rule, TEncodingGuess encoding,
                std::size_t blockSize = FileBlockSize);
    // Reads a file opened by the caller, from its start; the caller closes it.
    // Several passes over one open file read one and the same page, whatever
    // another program puts at its path meanwhile.
    TLineReader(TFile& file, LineEnds rule, std::size_t blockSize = FileBlockSize);
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // True when no line is left: the end of the file or the byte that ends the input.
    bool AtEnd();
    // Reads the next line without its line end; false when none is left.
    bool ReadLine(std::string& line);
    // Reads the next line as ReadLine does, but keeps no more than its first most
    // bytes: memory stays bounded whatever the file holds.
    bool ReadLineHead(std::string& line, std::size_t most);

    // Piecewise reading. StartLine begins the next line (false when none is left);
    // then either WholeLine gives it in one piece when it fits a block, or
    // NextPiece gives it piece by piece (false once the line is over). Pieces
    // stay valid until the next call on the reader.
    bool StartLine();
    std::optional<std::string_view> WholeLine();
    bool NextPiece(std::string_view& piece);
    // Skips the rest of the current line.
    void SkipLine();
    // Goes back to the start of the current line, to read it once more.
    void RewindLine();

    void Close();

    // How far into the (decoded) text the reader has read.
    std::uint64_t Offset() const { return bufferOffset_ + position_; }
    // How many bytes of the file lie behind the reader: for a decoded text, what
    // was read of the file, a block ahead at most.
    std::uint64_t FileOffset() const { return decoded_ ? decoded_->FileOffset() : Offset(); }
    // Where the line begun last starts in the (decoded) text.
    std::uint64_t LineStart() const { return lineOffset_; }
    // Whether the input ended at the byte that ends it rather than at the end of the file.
    bool InputEnded() const { return inputEnded_; }

private:
    std::size_t ReadInput(char* buffer, std::size_t size);
    bool Fill();
    bool FillMore();
    bool IsLineEnd(char byte) const;
    bool IsInputEnd(char byte) const;
    void SetRule(LineEnds rule);
    void SkipLineFeedAfterCarriageReturn();
    bool TakePiece(std::size_t stop, std::string_view& piece);
    const char* FindStop(const char* begin, const char* end) const;

    std::optional<TFile> ownFile_;
    TFile& file_;
    std::optional<TDecodedFile> decoded_; // a text in another encoding than windows-1251
    LineEnds rule_;
    std::vector<char> buffer_;
    std::size_t position_ = 0;
    std::size_t length_ = 0;
    std::uint64_t bufferOffset_ = 0; // where buffer_[0] stands in the file
    std::uint64_t lineOffset_ = 0;   // where the current line starts
    bool fileEnded_ = false;
    bool inputEnded_ = false;
    bool inLine_ = false;
    bool skipLineFeed_ = false; // a CR ended the last line; an LF after it belongs to it
    bool heldCarriageReturn_ = false; // LineFeed rule: a CR at a block's end, maybe before an LF
    std::array<bool, 256> stops_{};   // the bytes that end a line or the input
};

} // namespace verdask
