#include "conversion/LineReader.h"

#include <algorithm>

namespace verdask {

namespace {
constexpr char CarriageReturn = '\r';
constexpr char LineFeed = '\n';
constexpr char ControlZ = '\x1A';
constexpr char Nul = '\0';
} // namespace

TLineReader::TLineReader(FileSystem& fileSystem, const std::string& path, LineEnds rule)
    : file_(TFile::OpenForReading(fileSystem, path)), buffer_(FileBlockSize)
{
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

bool TLineReader::Fill()
{
    if (fileEnded_)
        return false;
    position_ = 0;
    length_ = file_.Read(buffer_.data(), buffer_.size());
    fileEnded_ = length_ == 0;
    return !fileEnded_;
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

bool TLineReader::AtEnd()
{
    if (inputEnded_)
        return true;
    if (position_ == length_ && !Fill())
        return true;
    inputEnded_ = IsInputEnd(buffer_[position_]);
    return inputEnded_;
}

void TLineReader::SkipLineFeedAfterCarriageReturn()
{
    if (position_ == length_ && !Fill())
        return;
    if (buffer_[position_] == LineFeed)
        ++position_;
}

bool TLineReader::ReadLine(std::string& line)
{
    line.clear();
    if (AtEnd())
        return false;
    for (;;) {
        if (position_ == length_ && !Fill())
            return true; // a last line without a line end
        const char* begin = buffer_.data() + position_;
        const char* end = buffer_.data() + length_;
        const char* stop = std::find_if(begin, end, [this](char byte) { return stops_[static_cast<unsigned char>(byte)]; });
        line.append(begin, stop);
        position_ = static_cast<std::size_t>(stop - buffer_.data());
        if (stop == end)
            continue;
        if (IsInputEnd(*stop)) {
            inputEnded_ = true;
            return true;
        }
        ++position_;
        if (rule_ == LineEnds::SourceText)
            SetRule(*stop == LineFeed ? LineEnds::LineFeed : LineEnds::CarriageReturn);
        if (rule_ == LineEnds::LineFeed) {
            if (!line.empty() && line.back() == CarriageReturn)
                line.pop_back();
        } else if (*stop == CarriageReturn) {
            SkipLineFeedAfterCarriageReturn();
        }
        return true;
    }
}

void TLineReader::Close()
{
    file_.Close();
}

} // namespace verdask
