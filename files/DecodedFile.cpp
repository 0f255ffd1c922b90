// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/DecodedFile.h"

#include <algorithm>
#include <cstring>

namespace verdask {

TDecodedFile::TDecodedFile(TFile& file, TEncodingGuess encoding, std::size_t blockSize)
    : file_(file), decoder_(encoding), block_(std::max<std::size_t>(blockSize, 1))
{
}

// Replaces decoded_ by the next block's bytes; false at the end of the text.
bool TDecodedFile::DecodeNextBlock()
{
    if (finished_)
        return false;
    decodedStart_ += decoded_.size();
    decoded_.clear();
    taken_ = 0;
    checkpoints_.push_back({fileOffset_, decodedStart_, decoder_});
    const std::size_t got = file_.Read(block_.data(), block_.size());
    fileOffset_ += got;
    if (got == 0) {
        finished_ = true;
        decoder_.Finish(decoded_);
    } else {
        decoder_.Decode(std::string_view(block_.data(), got), decoded_);
    }
    return true;
}

std::size_t TDecodedFile::Read(char* buffer, std::size_t size)
{
    while (taken_ == decoded_.size()) {
        if (!DecodeNextBlock())
            return 0;
    }
    const std::size_t count = std::min(size, decoded_.size() - taken_);
    std::memcpy(buffer, decoded_.data() + taken_, count);
    taken_ += count;
    return count;
}

void TDecodedFile::Seek(std::uint64_t offset)
{
    if (checkpoints_.empty())
        return; // nothing read yet: the text's start is the only offset there is
    auto from = std::find_if(checkpoints_.rbegin(), checkpoints_.rend(),
                             [offset](const TCheckpoint& checkpoint) { return checkpoint.Decoded <= offset; });
    if (from == checkpoints_.rend())
        from = std::prev(checkpoints_.rend());
    const TCheckpoint start = *from;
    checkpoints_.erase(std::prev(from.base()), checkpoints_.end());
    file_.Seek(start.File);
    fileOffset_ = start.File;
    decoder_ = start.Decoder;
    finished_ = false;
    decoded_.clear();
    taken_ = 0;
    decodedStart_ = start.Decoded;
    while (decodedStart_ + decoded_.size() < offset && DecodeNextBlock()) {
    }
    taken_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset - decodedStart_, decoded_.size()));
}

void TDecodedFile::ForgetBefore(std::uint64_t offset)
{
    while (checkpoints_.size() >= 2 && checkpoints_[1].Decoded <= offset)
        checkpoints_.pop_front();
}

} // namespace verdask
