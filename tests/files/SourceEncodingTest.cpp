// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SourceEncoding.h"

#include "files/Cp1251.h"
#include "files/DecodedFile.h"
#include "support/TestFiles.h"
#include "support/TextFileReference.h"

#include <gtest/gtest.h>

#include <cctype>

#include <random>

namespace verdask {
namespace {

// Russian prose and a line of dialogue, as a book of the library has them.
constexpr std::string_view Prose =
    "     Был тихий летний вечер. Над озером висела та особенная тишина, какая бывает только в конце "
    "августа, когда лето ещё не ушло, а осень уже стоит за плечами.\r\n"
    " - Не ждите понапрасну, барыня, - сказал, подходя, садовник.\r\n"
    "     Ёлки у дороги стояли тёмные и молчаливые.\r\n";

// A Russian text in UTF-8 in capitals.
std::string Upper(std::string utf8)
{
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto& lead = reinterpret_cast<unsigned char&>(utf8[i]);
        if (lead < 0x80) {
            utf8[i] = static_cast<char>(std::toupper(lead));
            continue;
        }
        auto& next = reinterpret_cast<unsigned char&>(utf8[i + 1]);
        if (lead == 0xD0 && next >= 0xB0) { // а to п
            next -= 0x20;
        } else if (lead == 0xD1 && next <= 0x8F) { // р to я
            lead = 0xD0;
            next += 0x20;
        } else if (lead == 0xD1 && next == 0x91) { // ё
            lead = 0xD0;
            next = 0x81;
        }
        ++i;
    }
    return utf8;
}

// The text in another encoding, as iconv makes it.
std::string Encoded(std::string_view utf8, const char* encoding)
{
    return test::Recoded(utf8, "UTF-8", encoding);
}

// A text decoded whole, or in pieces of the given sizes, round and round.
std::string Decoded(TEncodingGuess encoding, std::string_view text, const std::vector<std::size_t>& pieces = {})
{
    TSourceDecoder decoder(encoding);
    std::string out;
    std::size_t at = 0;
    for (std::size_t i = 0; at < text.size(); ++i) {
        const std::size_t size = pieces.empty() ? text.size() : pieces[i % pieces.size()];
        decoder.Decode(text.substr(at, size), out);
        at += size;
    }
    decoder.Finish(out);
    return out;
}

TEST(SourceEncoding, EveryEncodingIsToldFromAFewLinesAndDecodesToTheWindows1251Text)
{
    const std::string expected = Utf8ToHtml1251(Prose);
    struct TCase {
        const char* IconvName;
        std::string Prefix;
        TEncodingGuess Guess;
    };
    const std::vector<TCase> cases = {
        {"WINDOWS-1251", "", {TSourceEncoding::Windows1251}},
        {"UTF-8", "", {TSourceEncoding::Utf8}},
        {"UTF-8", "\xEF\xBB\xBF", {TSourceEncoding::Utf8}},
        {"UTF-16LE", "\xFF\xFE", {TSourceEncoding::Utf16, false}},
        {"UTF-16BE", "\xFE\xFF", {TSourceEncoding::Utf16, true}},
        {"KOI8-R", "", {TSourceEncoding::Koi8R}},
        {"CP866", "", {TSourceEncoding::Cp866}},
    };
    for (const auto& c : cases) {
        const std::string text = c.Prefix + Encoded(Prose, c.IconvName);
        EXPECT_EQ(DetectEncoding(text), c.Guess) << c.IconvName << c.Prefix.size();
        EXPECT_FALSE(LooksBinary(text)) << c.IconvName;
        EXPECT_EQ(Decoded(c.Guess, text), expected) << c.IconvName;
        // Pieces cut through sequences, surrogate pairs and the byte-order mark decode alike.
        for (const std::vector<std::size_t>& pieces : {std::vector<std::size_t>{1}, {2, 1}, {3, 5, 7}})
            EXPECT_EQ(Decoded(c.Guess, text, pieces), expected) << c.IconvName << " in pieces";
    }
    // One line is enough.
    const std::string_view line = "     Над озером висела тишина.\r\n";
    for (const auto& [name, encoding] : {std::pair{"KOI8-R", TSourceEncoding::Koi8R},
                                         std::pair{"CP866", TSourceEncoding::Cp866},
                                         std::pair{"WINDOWS-1251", TSourceEncoding::Windows1251},
                                         std::pair{"UTF-8", TSourceEncoding::Utf8}})
        EXPECT_EQ(DetectEncoding(Encoded(line, name)).Encoding, encoding) << name;
    EXPECT_EQ(DetectEncoding("Plain ASCII text.\r\n").Encoding, TSourceEncoding::Windows1251);
    EXPECT_EQ(DetectEncoding("").Encoding, TSourceEncoding::Windows1251);
}

TEST(SourceEncoding, ShortTextsInCapitalsOrNotAreToldWithAMarginThatKeepsWindows1251)
{
    // Long enough to tell: every encoding, in capitals and in mixed case.
    for (const std::string title : {"Война и мир", "Герой нашего времени", "Часть первая", "Глава I. Бэла",
                                    "Мцыри", "Каштанка"}) {
        for (const bool capitals : {false, true}) {
            const std::string text = capitals ? Upper(title) : title;
            for (const auto& [name, encoding] : {std::pair{"WINDOWS-1251", TSourceEncoding::Windows1251},
                                                 std::pair{"KOI8-R", TSourceEncoding::Koi8R},
                                                 std::pair{"CP866", TSourceEncoding::Cp866}}) {
                const std::string bytes = Encoded(text, name);
                EXPECT_EQ(DetectEncoding(bytes).Encoding, encoding) << title << " " << name << capitals;
            }
        }
    }
    // Too short to tell KOI8-R from windows-1251, whose letters share their bytes:
    // windows-1251, as before.
    for (const std::string word : {"Ёж", "Да", "МИР"}) {
        for (const char* name : {"WINDOWS-1251", "KOI8-R"})
            EXPECT_EQ(DetectEncoding(Encoded(word, name)).Encoding, TSourceEncoding::Windows1251) << word << name;
    }
}

TEST(SourceEncoding, WhatWindows1251LacksBecomesAReference)
{
    const std::string text = "═ 😀 «ё» €";
    // "═" in hexadecimal: "&#9552;" is the library's letter-spacing mark.
    EXPECT_EQ(Decoded({TSourceEncoding::Utf8}, text), "&#x2550; &#128512; \xAB\xB8\xBB \x88");
    EXPECT_EQ(Decoded({TSourceEncoding::Utf16, false}, Encoded(text, "UTF-16LE"), {1}),
              "&#x2550; &#128512; \xAB\xB8\xBB \x88");
    EXPECT_EQ(Decoded({TSourceEncoding::Cp866}, Encoded("╔═╗ №", "CP866")), "&#9556;&#x2550;&#9559; \xB9");
    // Broken input gives U+FFFD's reference and goes on; a cut end too.
    EXPECT_EQ(Decoded({TSourceEncoding::Utf8}, "a\xFF" "b\xD0"), "a&#65533;b&#65533;");
    EXPECT_EQ(Decoded({TSourceEncoding::Utf8}, "\xE2x"), "&#65533;x") << "a cut end loses no letter";
    EXPECT_EQ(Decoded({TSourceEncoding::Utf8}, "\xE2\x95" "x"), "&#65533;&#65533;x");
    EXPECT_EQ(Decoded({TSourceEncoding::Utf16, false}, std::string("\x3D\xD8" "a\x00", 4)), "&#65533;a");
}

TEST(SourceEncoding, RandomTextsDecodeAlikeWholeAndInPieces)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = random() % 200; i > 0; --i)
            text += static_cast<char>(random() % 256);
        for (const TEncodingGuess guess : {TEncodingGuess{TSourceEncoding::Utf8}, TEncodingGuess{TSourceEncoding::Utf16},
                                           TEncodingGuess{TSourceEncoding::Utf16, true},
                                           TEncodingGuess{TSourceEncoding::Koi8R}})
            EXPECT_EQ(Decoded(guess, text, {1 + random() % 7}), Decoded(guess, text))
                << round << " " << EncodingName(guess.Encoding) << guess.BigEndian;
        DetectEncoding(text);
    }
}

TEST(SourceEncoding, Utf8DecodesAsTheCodePageDoesCharacterByCharacter)
{
    // Mostly Russian prose, where the decoder takes sixteen bytes at a time, with
    // everything that must stop it: other two-byte letters, three- and four-byte
    // characters, overlong and broken sequences, stray continuation bytes.
    const std::vector<std::string> tokens = {
        "а", "п", "р", "я", "А", "П", "Р", "Я", "Ё", "ё", "ж", " ", " ", "-", ".", "x",  "\r\n",
        "Ђ", "«", "»", "é", "ѐ", "Ѐ", "—", "═", "😀", "\xC0\x80", "\xE0\x90\x81", "\xD0", "\x81", "\xF0\x9F",
    };
    std::mt19937 random(8122026);
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const bool plain = round % 2 == 0; // half the texts are Russian letters and blanks only
        for (int i = random() % 400; i > 0; --i)
            text += tokens[random() % (plain ? 12 : tokens.size())];
        const std::string expected = test::ReferenceDecoded(text);
        EXPECT_EQ(Decoded({TSourceEncoding::Utf8}, text), expected) << round;
        EXPECT_EQ(Decoded({TSourceEncoding::Utf8}, text, {1 + random() % 40, 1 + random() % 40}), expected) << round;
    }
}

TEST(SourceEncoding, NamesAndTexts)
{
    for (const auto encoding : {TSourceEncoding::Auto, TSourceEncoding::Windows1251, TSourceEncoding::Utf8,
                                TSourceEncoding::Koi8R, TSourceEncoding::Cp866, TSourceEncoding::Utf16})
        EXPECT_EQ(EncodingNamed(EncodingName(encoding)), encoding);
    EXPECT_EQ(EncodingNamed("utf-8"), TSourceEncoding::Utf8);
    EXPECT_EQ(EncodingNamed("koi8-r"), TSourceEncoding::Koi8R);
    EXPECT_EQ(EncodingNamed("latin-1"), std::nullopt);

    EXPECT_TRUE(LooksBinary(std::string("PK\x03\x04\x00\x00", 6)));
    EXPECT_TRUE(LooksBinary("\x7F" "ELF\x02\x01\x01"));
    EXPECT_FALSE(LooksBinary("Text\tand\r\nlines\f\x1A"));
}

TEST(TDecodedFile, GoesBackToAnyOffsetNotGivenUp)
{
    test::TTempDir dir;
    std::mt19937 random(8122026);
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += i % 7 == 0 ? std::string("😀═") : std::string("Ёлка и ель. ");
    const std::string expected = test::ReferenceDecoded(text);
    const std::string path = dir.File("book.txt");
    test::WriteFileBytes(path, "\xEF\xBB\xBF" + text);
    for (const std::size_t block : {1u, 3u, 7u, 4096u}) {
        TFile file = TFile::OpenForReading(PlatformFileSystem(), path);
        TDecodedFile decoded(file, {TSourceEncoding::Utf8}, block);
        std::uint64_t at = 0;
        std::uint64_t kept = 0; // the earliest offset not given up
        char buffer[64];
        while (const std::size_t got = decoded.Read(buffer, 1 + random() % sizeof buffer)) {
            ASSERT_EQ(std::string_view(buffer, got), std::string_view(expected).substr(at, got)) << at;
            at += got;
            if (random() % 4 == 0) {
                kept = kept + random() % (at - kept + 1);
                decoded.ForgetBefore(kept);
            }
            if (random() % 3 == 0) {
                at = kept + random() % (at - kept + 1);
                decoded.Seek(at);
            }
        }
        EXPECT_EQ(at, expected.size()) << "block " << block;
        EXPECT_EQ(decoded.FileOffset(), text.size() + 3);
    }
}

} // namespace
} // namespace verdask
