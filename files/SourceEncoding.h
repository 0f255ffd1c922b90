// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The encodings a book's text may come in, how one is told from the text's first
// block, and the decoding of a text into the windows-1251 bytes that every later
// stage (line rules, indent detection, pages) works on.

#include <optional>
#include <string>
#include <string_view>

namespace verdask {

enum class TSourceEncoding { Auto, Windows1251, Utf8, Koi8R, Cp866, Utf16 };

// The name the configuration and verdask-convert use: "Auto", "windows-1251",
// "UTF-8", "KOI8-R", "CP866", "UTF-16".
std::string_view EncodingName(TSourceEncoding encoding);
// The encoding of a name, in any letter case; nothing for an unknown name.
std::optional<TSourceEncoding> EncodingNamed(std::string_view name);

// Whether a first block holds what no text holds: NUL bytes, or control bytes
// other than tab, line ends, form feed, escape and Ctrl-Z. A UTF-16 text, told by
// its byte-order mark, is a text.
bool LooksBinary(std::string_view firstBlock);

struct TEncodingGuess {
    TSourceEncoding Encoding = TSourceEncoding::Windows1251;
    bool BigEndian = false; // UTF-16 only

    bool operator==(const TEncodingGuess&) const = default;
};

// The encoding of a text from its first block: a byte-order mark; else UTF-8 when
// the block is UTF-8 with letters beyond ASCII; else windows-1251, unless the
// Russian letters read clearly better as KOI8-R or CP866.
TEncodingGuess DetectEncoding(std::string_view firstBlock);

// The encoding a text is read in when chosen is asked for: the detected one for
// Auto; for UTF-16 the byte order of its mark (little-endian without one).
TEncodingGuess EncodingFor(TSourceEncoding chosen, std::string_view firstBlock);

// Decodes a text piece by piece into windows-1251; a character the code page
// lacks becomes an HTML numeric character reference ("&#9552;"), as page titles
// do. Memory stays that of one piece, whatever the length of a line.
class TSourceDecoder {
public:
    explicit TSourceDecoder(TEncodingGuess encoding);

    // Appends the next piece, decoded. A sequence cut by the piece's end waits for
    // the next piece; a byte-order mark at the start of the text is dropped.
    void Decode(std::string_view piece, std::string& out);
    // The end of the text: a sequence left cut becomes the reference of U+FFFD.
    void Finish(std::string& out);

private:
    void DecodeUtf8(std::string_view bytes, std::string& out);
    void DecodeUtf16(std::string_view bytes, std::string& out);
    void DecodeUtf16Unit(unsigned char first, unsigned char second, std::string& out);
    void DecodeTable(std::string_view bytes, const char16_t* upperHalf, std::string& out);

    TEncodingGuess encoding_;
    std::string pending_;        // the start of a cut sequence
    bool started_ = false;       // the byte-order mark has been looked for
    char32_t highSurrogate_ = 0; // UTF-16: the first half of a pair
};

} // namespace verdask
