// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A source text read through its decoder: the line reader sees windows-1251 bytes
// whatever the file's encoding, and can still go back to the start of a line.

#include "files/SourceEncoding.h"
#include "files/TextFile.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace verdask {

class TDecodedFile {
public:
    // Reads file from where it stands, blockSize bytes at a time; the caller keeps it open.
    TDecodedFile(TFile& file, TEncodingGuess encoding, std::size_t blockSize = FileBlockSize);

    // Up to size decoded bytes; 0 at the end of the text.
    std::size_t Read(char* buffer, std::size_t size);
    // Goes to an offset of the decoded text that Read has passed and that no call
    // of ForgetBefore has given up.
    void Seek(std::uint64_t offset);
    // Gives up going back before offset, so that what is kept for going back
    // stays that of one block, however long the text.
    void ForgetBefore(std::uint64_t offset);
    // How many bytes of the file have been read.
    std::uint64_t FileOffset() const { return fileOffset_; }

private:
    // Where a block of the file starts, in the file and in the decoded text, and
    // the decoder as it stood there: decoding again from it gives the same bytes.
    struct TCheckpoint {
        std::uint64_t File = 0;
        std::uint64_t Decoded = 0;
        TSourceDecoder Decoder;
    };

    bool DecodeNextBlock();

    TFile& file_;
    TSourceDecoder decoder_;
    std::vector<char> block_;
    std::string decoded_;            // the decoded bytes of the last block
    std::size_t taken_ = 0;          // of decoded_, given out by Read
    std::uint64_t decodedStart_ = 0; // where decoded_ starts in the decoded text
    std::uint64_t fileOffset_ = 0;
    bool finished_ = false;
    std::deque<TCheckpoint> checkpoints_;
};

} // namespace verdask
