// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/LineReader.h"

#include <algorithm>
#include <cstring>

namespace verdask {

namespace {
constexpr char CarriageReturn = '\r';
constexpr char LineFeed = '\n';
constexpr char ControlZ = '\x1A';
constexpr char Nul = '\0';
// The first of two bytes, or end: memchr runs far faster than a loop over bytes.
const char* FirstOf(const char* begin, const char* end, char first, char second)
{
    const void* found = std::memchr(begin, first, static_cast<std::size_t>(end - begin));
    const char* limit = found == nullptr ? end : static_cast<const char*>(found);
    const void* other = std::memchr(begin, second, static_cast<std::size_t>(limit - begin));
    return other == nullptr ? limit : static_cast<const char*>(other);
}

} // namespace

TLineReader::TLineReader(FileSystem& fileSystem, const std::string& path, LineEnds rule, std::size_t blockSize)
    : ownFile_(TFile::OpenForReading(fileSystem, path)), file_(*ownFile_), buffer_(std::max<std::size_t>(blockSize, 2))
{
    SetRule(rule);
}

TLineReader::TLineReader(FileSystem& fileSystem, const std::string& path, LineEnds rule, TEncodingGuess encoding,
                         std::size_t blockSize)
    : TLineReader(fileSystem, path, rule, blockSize)
{
    if (encoding.Encoding != TSourceEncoding::Windows1251 && encoding.Encoding != TSourceEncoding::Auto)
        decoded_.emplace(file_, encoding, blockSize);
}

TLineReader::TLineReader(TFile& file, LineEnds rule, std::size_t blockSize)
    : file_(file), buffer_(std::max<std::size_t>(blockSize, 2))
{
    file_.Seek(0);
    SetRule(rule);
}

void TLineReader::SetRule(LineEnds rule)
{
    rule_ = rule;
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        stops_[static_cast<unsigned char>(byte)] = IsLineEnd(c) || IsInputEnd(c);
    }
}

bool TLineReader::IsLineEnd(char byte) const
{
    switch (rule_) {
    case LineEnds::CarriageReturn:
        return byte == CarriageReturn;
    case LineEnds::LineFeed:
        return byte == LineFeed;
    case LineEnds::AnyBreak:
    case LineEnds::SourceText:
        return byte == CarriageReturn || byte == LineFeed;
    }
    return false;
}

bool TLineReader::IsInputEnd(char byte) const
{
    return byte == (rule_ == LineEnds::AnyBreak ? Nul : ControlZ);
}

const char* TLineReader::FindStop(const char* begin, const char* end) const
{
    switch (rule_) {
    case LineEnds::CarriageReturn:
        return FirstOf(begin, end, CarriageReturn, ControlZ);
    case LineEnds::LineFeed:
        return FirstOf(begin, end, LineFeed, ControlZ);
    case LineEnds::AnyBreak:
    case LineEnds::SourceText:
        break;
    }
    return std::find_if(begin, end, [this](char byte) { return stops_[static_cast<unsigned char>(byte)]; });
}

std::size_t TLineReader::ReadInput(char* buffer, std::size_t size)
{
    return decoded_ ? decoded_->Read(buffer, size) : file_.Read(buffer, size);
}

// Replaces the buffer's content by the next block.
bool TLineReader::Fill()
{
    if (fileEnded_)
        return false;
    bufferOffset_ += length_;
    position_ = 0;
    length_ = ReadInput(buffer_.data(), buffer_.size());
    fileEnded_ = length_ == 0;
    return !fileEnded_;
}

// Keeps the unread part, moved to the front, and reads behind it; false when
// nothing more could be read.
bool TLineReader::FillMore()
{
    if (fileEnded_)
        return false;
    if (position_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + position_, length_ - position_);
        bufferOffset_ += position_;
        length_ -= position_;
        position_ = 0;
    }
    if (length_ == buffer_.size())
        return false;
    const std::size_t got = ReadInput(buffer_.data() + length_, buffer_.size() - length_);
    fileEnded_ = got == 0;
    length_ += got;
    return got > 0;
}

void TLineReader::SkipLineFeedAfterCarriageReturn()
{
    skipLineFeed_ = false;
    if (position_ == length_ && !Fill())
        return;
    if (buffer_[position_] == LineFeed)
        ++position_;
}

bool TLineReader::AtEnd()
{
    if (inLine_)
        return false;
    if (skipLineFeed_)
        SkipLineFeedAfterCarriageReturn();
    if (inputEnded_)
        return true;
    if (position_ == length_ && !Fill())
        return true;
    inputEnded_ = IsInputEnd(buffer_[position_]);
    return inputEnded_;
}

bool TLineReader::StartLine()
{
    if (inLine_)
        SkipLine();
    if (AtEnd())
        return false;
    inLine_ = true;
    lineOffset_ = bufferOffset_ + position_;
    if (decoded_)
        decoded_->ForgetBefore(lineOffset_);
    return true;
}

// The piece before the stop byte at stop, which ends the line.
bool TLineReader::TakePiece(std::size_t stop, std::string_view& piece)
{
    piece = std::string_view(buffer_.data() + position_, stop - position_);
    inLine_ = false;
    const char byte = buffer_[stop];
    if (IsInputEnd(byte)) {
        inputEnded_ = true;
        position_ = stop;
        return true;
    }
    position_ = stop + 1;
    if (rule_ == LineEnds::SourceText)
        SetRule(byte == LineFeed ? LineEnds::LineFeed : LineEnds::CarriageReturn);
    if (rule_ == LineEnds::LineFeed) {
        if (!piece.empty() && piece.back() == CarriageReturn)
            piece.remove_suffix(1);
    } else if (byte == CarriageReturn) {
        skipLineFeed_ = true;
    }
    return true;
}

bool TLineReader::NextPiece(std::string_view& piece)
{
    piece = {};
    if (!inLine_)
        return false;
    if (position_ == length_ && !Fill()) {
        inLine_ = false; // a last line without a line end
        if (heldCarriageReturn_) {
            heldCarriageReturn_ = false;
            piece = "\r";
            return true;
        }
        return false;
    }
    if (heldCarriageReturn_) {
        heldCarriageReturn_ = false;
        if (buffer_[position_] == LineFeed) {
            ++position_;
            inLine_ = false;
            return false;
        }
        piece = "\r";
        return true;
    }
    const char* begin = buffer_.data() + position_;
    const char* end = buffer_.data() + length_;
    const char* stop = FindStop(begin, end);
    if (stop != end)
        return TakePiece(static_cast<std::size_t>(stop - buffer_.data()), piece) && (!piece.empty() || inLine_);
    piece = std::string_view(begin, static_cast<std::size_t>(end - begin));
    position_ = length_;
    if (rule_ == LineEnds::LineFeed && piece.back() == CarriageReturn) {
        piece.remove_suffix(1);
        heldCarriageReturn_ = true;
    }
    return true;
}

std::optional<std::string_view> TLineReader::WholeLine()
{
    if (!inLine_ || heldCarriageReturn_)
        return std::nullopt;
    std::size_t scanned = position_;
    for (;;) {
        const char* begin = buffer_.data() + scanned;
        const char* end = buffer_.data() + length_;
        const char* stop = FindStop(begin, end);
        if (stop != end) {
            std::string_view piece;
            TakePiece(static_cast<std::size_t>(stop - buffer_.data()), piece);
            return piece;
        }
        const std::size_t unread = position_;
        if (!FillMore()) {
            if (!fileEnded_)
                return std::nullopt; // longer than a block: the caller takes it in pieces
            std::string_view piece(buffer_.data() + position_, length_ - position_);
            position_ = length_;
            inLine_ = false;
            return piece;
        }
        // What was scanned has moved to the front with the rest of the line.
        scanned = static_cast<std::size_t>(end - buffer_.data()) - unread;
    }
}

void TLineReader::SkipLine()
{
    std::string_view piece;
    while (NextPiece(piece)) {
    }
}

void TLineReader::RewindLine()
{
    if (decoded_)
        decoded_->Seek(lineOffset_);
    else
        file_.Seek(lineOffset_);
    bufferOffset_ = lineOffset_;
    position_ = 0;
    length_ = 0;
    fileEnded_ = false;
    inputEnded_ = false;
    skipLineFeed_ = false;
    heldCarriageReturn_ = false;
    inLine_ = true;
}

bool TLineReader::ReadLine(std::string& line)
{
    line.clear();
    if (!StartLine())
        return false;
    std::string_view piece;
    while (NextPiece(piece))
        line += piece;
    return true;
}

bool TLineReader::ReadLineHead(std::string& line, std::size_t most)
{
    line.clear();
    if (!StartLine())
        return false;
    std::string_view piece;
    while (NextPiece(piece))
        line.append(piece.substr(0, most - std::min(most, line.size())));
    return true;
}

void TLineReader::Close()
{
    if (ownFile_)
        file_.Close();
}

} // namespace verdask
