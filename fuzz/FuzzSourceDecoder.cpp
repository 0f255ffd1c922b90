// SPDX-License-Identifier: GPL-3.0-or-later
// Source decoding: whatever the bytes, a text decodes alike whole and in pieces of
// any sizes, UTF-8 decodes as the code page decodes it character by character,
// and the decoded file gives the same bytes after going back anywhere it may.

#include "FuzzSupport.h"
#include "files/Cp1251.h"
#include "files/DecodedFile.h"
#include "support/TextFileReference.h"

using namespace verdask;

namespace {

std::string DecodedWhole(TEncodingGuess encoding, std::string_view text)
{
    TSourceDecoder decoder(encoding);
    std::string out;
    decoder.Decode(text, out);
    decoder.Finish(out);
    return out;
}

std::string DecodedInPieces(TEncodingGuess encoding, std::string_view text, std::size_t pieceSize)
{
    TSourceDecoder decoder(encoding);
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += pieceSize)
        decoder.Decode(text.substr(at, pieceSize), out);
    decoder.Finish(out);
    return out;
}

// Reads the whole text through a decoded file in blocks of blockSize, going back
// to the start of the part read last each time a step says so.
void CheckGoingBack(TEncodingGuess encoding, std::string_view text, std::size_t blockSize, std::string_view steps,
                    const std::string& expected)
{
    const std::string path = fuzz::File("source.txt");
    fuzz::Write(path, text);
    TFile file = TFile::OpenForReading(PlatformFileSystem(), path);
    TDecodedFile decoded(file, encoding, blockSize);
    std::uint64_t at = 0;
    char buffer[16];
    std::size_t step = 0;
    while (const std::size_t got = decoded.Read(buffer, 1 + (step < steps.size() ? steps[step] & 15 : 7))) {
        fuzz::Require(expected.compare(at, got, buffer, got) == 0);
        const bool back = step < steps.size() && (steps[step] & 0x10) != 0;
        ++step;
        decoded.ForgetBefore(at);
        if (back)
            decoded.Seek(at);
        else
            at += got;
    }
    fuzz::Require(at == expected.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const std::uint8_t choice = input.Byte();
    const std::size_t pieceSize = 1 + input.Byte() % 64;
    const std::string steps = input.Text(64);
    const std::string_view text = input.Rest();
    static constexpr TSourceEncoding Encodings[] = {TSourceEncoding::Windows1251, TSourceEncoding::Utf8,
                                                    TSourceEncoding::Koi8R, TSourceEncoding::Cp866,
                                                    TSourceEncoding::Utf16};
    const TEncodingGuess encoding{Encodings[choice % 5], (choice & 0x80) != 0};

    const std::string whole = DecodedWhole(encoding, text);
    fuzz::Require(DecodedInPieces(encoding, text, pieceSize) == whole);
    if (encoding.Encoding == TSourceEncoding::Utf8 && !text.starts_with("\xEF\xBB\xBF")) {
        fuzz::Require(whole == test::ReferenceDecoded(text));
    }
    CheckGoingBack(encoding, text, pieceSize, steps, whole);
    DetectEncoding(text);
    return 0;
}
