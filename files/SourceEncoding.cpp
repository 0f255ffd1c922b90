// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SourceEncoding.h"

#include "files/Cp1251.h"
#include "files/RussianBigrams.h"
#include "files/Utf8Run.h"

#include <algorithm>
#include <array>
#include <memory>
#include <cstdint>

namespace verdask {
namespace {

// A character of a decoded text, in windows-1251 or as a reference. "═" is the
// one the line rules read in a windows-1251 text as the library's letter-spacing
// mark, "&#9552;": a decoded one is written in hexadecimal, so that it stays a
// character of the text. Every other reference keeps its decimal form.
void AppendDecoded(char32_t c, std::string& out)
{
    constexpr char32_t DoubleHorizontal = 0x2550;
    if (c == DoubleHorizontal)
        out += "&#x2550;";
    else
        AppendHtml1251(c, out);
}

constexpr char32_t Replacement = 0xFFFD;
constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view Utf16LittleMark = "\xFF\xFE";
constexpr std::string_view Utf16BigMark = "\xFE\xFF";

// Bytes 80 to FF of the two Cyrillic DOS and Unix code pages.
constexpr char16_t Koi8RUpperHalf[128] = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524, 0x252C, 0x2534, 0x253C, 0x2580, 0x2584,
    0x2588, 0x258C, 0x2590, 0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248, 0x2264, 0x2265,
    0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7, 0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555,
    0x2556, 0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E, 0x255F, 0x2560, 0x2561, 0x0401,
    0x2562, 0x2563, 0x2564, 0x2565, 0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9, 0x044E,
    0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433, 0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C,
    0x043D, 0x043E, 0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432, 0x044C, 0x044B, 0x0437,
    0x0448, 0x044D, 0x0449, 0x0447, 0x044A, 0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413,
    0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x042F, 0x0420, 0x0421, 0x0422,
    0x0423, 0x0416, 0x0412, 0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A,
};
constexpr char16_t Cp866UpperHalf[128] = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429,
    0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436,
    0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F, 0x0401, 0x0451, 0x0404, 0x0454, 0x0407,
    0x0457, 0x040E, 0x045E, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

struct TNamed {
    TSourceEncoding Encoding;
    std::string_view Name;
};
constexpr std::array<TNamed, 6> Names = {{{TSourceEncoding::Auto, "Auto"},
                                          {TSourceEncoding::Windows1251, "windows-1251"},
                                          {TSourceEncoding::Utf8, "UTF-8"},
                                          {TSourceEncoding::Koi8R, "KOI8-R"},
                                          {TSourceEncoding::Cp866, "CP866"},
                                          {TSourceEncoding::Utf16, "UTF-16"}}};

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The bytes of a UTF-8 sequence by its lead byte; 0 for a byte no sequence starts
// with. Used to tell a sequence cut by the end of a piece.
int Utf8Length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Whether the block is UTF-8 throughout (a sequence cut by its end counts) and
// holds at least one character beyond ASCII.
bool IsUtf8WithLetters(std::string_view block)
{
    bool beyondAscii = false;
    for (std::size_t at = 0; at < block.size();) {
        const int length = Utf8Length(static_cast<unsigned char>(block[at]));
        if (length == 0)
            return false;
        if (at + static_cast<std::size_t>(length) > block.size())
            return beyondAscii; // cut by the block's end
        beyondAscii = beyondAscii || length > 1;
        if (NextUtf8CodePoint(block, at) == Replacement)
            return false;
    }
    return beyondAscii;
}

// The row of a Russian letter in the pair weights, either case; every other
// character is a word boundary.
int RussianSymbolOf(char32_t c)
{
    if (c >= 0x0410 && c <= 0x042F)
        c += 0x20; // a capital reads as its small letter
    if (c == 0x0401 || c == 0x0451)
        return 6; // ё, after е
    if (c >= 0x0430 && c <= 0x0435)
        return static_cast<int>(c - 0x0430);
    if (c >= 0x0436 && c <= 0x044F)
        return static_cast<int>(c - 0x0430) + 1;
    return WordBoundary;
}

// How much the text reads as Russian prose in a code page: the weights of its
// pairs of letters, and a penalty for every byte beyond ASCII that is no letter
// there. Capitals count as their small letters, so a title in capitals reads as
// well as in small letters.
long RussianScore(std::string_view block, char32_t (*decode)(unsigned char))
{
    constexpr long NoLetterPenalty = 12;
    long score = 0;
    int previous = WordBoundary;
    for (const char byte : block) {
        const auto b = static_cast<unsigned char>(byte);
        int current = WordBoundary;
        if (b >= 0x80) {
            current = RussianSymbolOf(decode(b));
            if (current == WordBoundary)
                score -= NoLetterPenalty;
        }
        if (current != WordBoundary || previous != WordBoundary)
            score += RussianBigramWeights[static_cast<std::size_t>(previous * RussianSymbols + current)];
        previous = current;
    }
    if (previous != WordBoundary)
        score += RussianBigramWeights[static_cast<std::size_t>(previous * RussianSymbols + WordBoundary)];
    return score;
}

char32_t FromKoi8R(unsigned char b)
{
    return Koi8RUpperHalf[b - 0x80];
}

char32_t FromCp866(unsigned char b)
{
    return Cp866UpperHalf[b - 0x80];
}

} // namespace

std::string_view EncodingName(TSourceEncoding encoding)
{
    for (const auto& named : Names) {
        if (named.Encoding == encoding)
            return named.Name;
    }
    return {};
}

std::optional<TSourceEncoding> EncodingNamed(std::string_view name)
{
    for (const auto& named : Names) {
        if (named.Name.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = AsciiLower(named.Name[i]) == AsciiLower(name[i]);
        if (same)
            return named.Encoding;
    }
    return std::nullopt;
}

bool LooksBinary(std::string_view firstBlock)
{
    if (firstBlock.starts_with(Utf16LittleMark) || firstBlock.starts_with(Utf16BigMark))
        return false;
    for (const char byte : firstBlock) {
        const auto b = static_cast<unsigned char>(byte);
        const bool text = b >= 0x20 || b == '\t' || b == '\n' || b == '\r' || b == '\f' || b == 0x1B || b == 0x1A;
        if (!text)
            return true;
    }
    return false;
}

TEncodingGuess DetectEncoding(std::string_view firstBlock)
{
    if (firstBlock.starts_with(Utf8Mark))
        return {TSourceEncoding::Utf8};
    if (firstBlock.starts_with(Utf16LittleMark))
        return {TSourceEncoding::Utf16, false};
    if (firstBlock.starts_with(Utf16BigMark))
        return {TSourceEncoding::Utf16, true};
    if (IsUtf8WithLetters(firstBlock))
        return {TSourceEncoding::Utf8};
    // windows-1251 unless another reads clearly better: every text that converted
    // before still converts to the same page.
    const long windows = RussianScore(firstBlock, Windows1251ToUnicode);
    const long koi8 = RussianScore(firstBlock, FromKoi8R);
    const long dos = RussianScore(firstBlock, FromCp866);
    // Short texts (a title alone, two letters) that read about as well either
    // way stay windows-1251.
    constexpr long ClearlyBetter = 24;
    const long other = std::max(koi8, dos);
    if (other > 0 && other - windows >= ClearlyBetter)
        return {koi8 >= dos ? TSourceEncoding::Koi8R : TSourceEncoding::Cp866};
    return {TSourceEncoding::Windows1251};
}

TEncodingGuess EncodingFor(TSourceEncoding chosen, std::string_view firstBlock)
{
    switch (chosen) {
    case TSourceEncoding::Auto:
        return DetectEncoding(firstBlock);
    case TSourceEncoding::Utf16:
        return {chosen, firstBlock.starts_with(Utf16BigMark)};
    default:
        return {chosen};
    }
}

TSourceDecoder::TSourceDecoder(TEncodingGuess encoding) : encoding_(encoding)
{
}

void TSourceDecoder::Decode(std::string_view piece, std::string& out)
{
    std::string start;
    if (!started_) {
        // The byte-order mark may come cut over the first pieces.
        const std::size_t mark = encoding_.Encoding == TSourceEncoding::Utf8    ? Utf8Mark.size()
                                 : encoding_.Encoding == TSourceEncoding::Utf16 ? Utf16LittleMark.size()
                                                                                : 0;
        pending_.append(piece);
        if (pending_.size() < mark && !piece.empty())
            return;
        started_ = true;
        start.swap(pending_);
        std::string_view whole = start;
        if ((encoding_.Encoding == TSourceEncoding::Utf8 && whole.starts_with(Utf8Mark)) ||
            (encoding_.Encoding == TSourceEncoding::Utf16 &&
             whole.starts_with(encoding_.BigEndian ? Utf16BigMark : Utf16LittleMark)))
            whole.remove_prefix(mark);
        piece = whole;
    }
    switch (encoding_.Encoding) {
    case TSourceEncoding::Utf8:
        DecodeUtf8(piece, out);
        break;
    case TSourceEncoding::Utf16:
        DecodeUtf16(piece, out);
        break;
    case TSourceEncoding::Koi8R:
        DecodeTable(piece, Koi8RUpperHalf, out);
        break;
    case TSourceEncoding::Cp866:
        DecodeTable(piece, Cp866UpperHalf, out);
        break;
    case TSourceEncoding::Auto:
    case TSourceEncoding::Windows1251:
        out.append(piece);
        break;
    }
}

void TSourceDecoder::Finish(std::string& out)
{
    if (!started_)
        Decode({}, out);
    if (encoding_.Encoding == TSourceEncoding::Utf8) {
        // A sequence the text's end cut gives up its lead byte alone, as anywhere else.
        const std::string rest = std::move(pending_);
        for (std::size_t at = 0; at < rest.size();)
            AppendDecoded(NextUtf8CodePoint(rest, at), out);
    } else if (!pending_.empty() || highSurrogate_ != 0) {
        AppendDecoded(Replacement, out);
    }
    pending_.clear();
    highSurrogate_ = 0;
}

void TSourceDecoder::DecodeUtf8(std::string_view bytes, std::string& out)
{
    std::size_t at = 0;
    if (!pending_.empty()) {
        // The bytes the last piece cut, with the first of this one: decoded as
        // the whole text would be, until this piece's own bytes begin.
        const std::size_t cut = pending_.size();
        const std::string head = pending_ + std::string(bytes.substr(0, 3));
        pending_.clear();
        std::size_t position = 0;
        while (position < cut) {
            const auto length = static_cast<std::size_t>(Utf8Length(static_cast<unsigned char>(head[position])));
            if (position + length > head.size()) {
                pending_ = head.substr(position); // this piece is too short to end it
                return;
            }
            AppendDecoded(NextUtf8CodePoint(head, position), out);
        }
        at = position - cut;
    }
    while (at < bytes.size()) {
        at = DecodeUtf8Run(bytes, at, out);
        if (at == bytes.size())
            break;
        const auto length = static_cast<std::size_t>(Utf8Length(static_cast<unsigned char>(bytes[at])));
        if (at + length > bytes.size()) {
            pending_.assign(bytes.substr(at));
            return;
        }
        // A broken sequence gives up one byte only: what follows may be whole.
        AppendDecoded(NextUtf8CodePoint(bytes, at), out);
    }
}

void TSourceDecoder::DecodeUtf16(std::string_view bytes, std::string& out)
{
    std::size_t at = 0;
    if (!pending_.empty() && !bytes.empty()) {
        DecodeUtf16Unit(static_cast<unsigned char>(pending_[0]), static_cast<unsigned char>(bytes[0]), out);
        pending_.clear();
        at = 1;
    }
    // The windows-1251 byte of every UTF-16 unit, 0 where a reference is written
    // (and for NUL, its own byte): one lookup a unit, no branch on its kind.
    static const auto direct = [] {
        auto table = std::make_unique<std::array<unsigned char, 0x10000>>();
        for (unsigned unit = 0; unit < table->size(); ++unit)
            (*table)[unit] = unit < 0x80 ? static_cast<unsigned char>(unit)
                             : unit < Windows1251Limit && unit != 0x2550 ? Windows1251Bytes[unit]
                                                                          : 0;
        return std::unique_ptr<const std::array<unsigned char, 0x10000>>(std::move(table));
    }();
    const auto& directBytes = *direct;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const bool bigEndian = encoding_.BigEndian;
    while (at + 1 < bytes.size()) {
        // Most of a Russian book: ASCII and the letters of the code page, outside
        // any surrogate pair, gathered in a local block the compiler keeps apart.
        std::array<char, 4096> run;
        std::size_t length = 0;
        while (highSurrogate_ == 0 && at + 1 < bytes.size() && length < run.size()) {
            const unsigned unit = bigEndian ? (data[at] << 8) | data[at + 1] : (data[at + 1] << 8) | data[at];
            const unsigned char byte = directBytes[unit];
            if (byte == 0 && unit != 0)
                break;
            run[length++] = static_cast<char>(byte);
            at += 2;
        }
        out.append(run.data(), length);
        if (length == run.size() || at + 1 >= bytes.size())
            continue;
        DecodeUtf16Unit(data[at], data[at + 1], out);
        at += 2;
    }
    pending_.append(bytes.substr(at));
}

void TSourceDecoder::DecodeUtf16Unit(unsigned char first, unsigned char second, std::string& out)
{
    const char32_t unit = encoding_.BigEndian ? (first << 8) | second : (second << 8) | first;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (highSurrogate_ != 0)
            AppendDecoded(Replacement, out);
        highSurrogate_ = unit;
        return;
    }
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendDecoded(highSurrogate_ != 0 ? 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00)
                                           : Replacement,
                       out);
        highSurrogate_ = 0;
        return;
    }
    if (highSurrogate_ != 0) {
        AppendDecoded(Replacement, out);
        highSurrogate_ = 0;
    }
    AppendDecoded(unit, out);
}

void TSourceDecoder::DecodeTable(std::string_view bytes, const char16_t* upperHalf, std::string& out)
{
    // The windows-1251 byte of each byte of the code page, 0 where a reference is
    // written (and for NUL, its own byte): one lookup a byte for a whole book.
    const auto directBytes = [](const char16_t* half) {
        std::array<unsigned char, 256> direct{};
        for (unsigned b = 0; b < 0x80; ++b)
            direct[b] = static_cast<unsigned char>(b);
        for (unsigned b = 0x80; b < 0x100; ++b) {
            const char32_t c = half[b - 0x80];
            direct[b] = c < Windows1251Limit && c != 0x2550 ? Windows1251Bytes[c] : 0;
        }
        return direct;
    };
    static const std::array<unsigned char, 256> koi8 = directBytes(Koi8RUpperHalf);
    static const std::array<unsigned char, 256> dos = directBytes(Cp866UpperHalf);
    const auto& direct = upperHalf == Koi8RUpperHalf ? koi8 : dos;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();) {
        // Gathered in a local block the compiler keeps apart from everything else.
        std::array<char, 4096> run;
        std::size_t length = 0;
        while (at < bytes.size() && length < run.size()) {
            const unsigned char decoded = direct[data[at]];
            if (decoded == 0 && data[at] != 0)
                break;
            run[length++] = static_cast<char>(decoded);
            ++at;
        }
        out.append(run.data(), length);
        if (length < run.size() && at < bytes.size())
            AppendDecoded(upperHalf[data[at++] - 0x80], out);
    }
}

} // namespace verdask
