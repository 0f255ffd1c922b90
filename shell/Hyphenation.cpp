// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Hyphenation.h"

#include <hyphen.h>

#include <cstdlib>
#include <string_view>
#include <vector>

namespace verdask {
namespace {

// The patterns are in KOI8-R: the small letters а to я, then ё.
constexpr std::u16string_view SmallLetters = u"абвгдежзийклмнопрстуфхцчшщъыьэюя";
constexpr std::string_view Koi8SmallLetters = "\xC1\xC2\xD7\xC7\xC4\xC5\xD6\xDA\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0"
                                              "\xD2\xD3\xD4\xD5\xC6\xC8\xC3\xDE\xDB\xDD\xDF\xD9\xD8\xDC\xC0\xD1";
constexpr char Koi8SmallYo = '\xA3';
constexpr int LeastOnEitherSide = 2;

// The word's letters in KOI8-R, small; nothing when one is no Russian letter.
bool ToKoi8(const QString& word, std::string& koi8)
{
    koi8.clear();
    for (const QChar letter : word.toLower()) {
        if (letter == QChar(u'ё')) {
            koi8 += Koi8SmallYo;
            continue;
        }
        const auto at = SmallLetters.find(letter.unicode());
        if (at == std::u16string_view::npos)
            return false;
        koi8 += Koi8SmallLetters[at];
    }
    return true;
}

} // namespace

void THyphenator::TFree::operator()(_HyphenDict* patterns) const
{
    hnj_hyphen_free(patterns);
}

THyphenator::THyphenator(const std::string& patternsPath) : patterns_(hnj_hyphen_load(patternsPath.c_str()))
{
}

QString THyphenator::Hyphenated(const QString& word) const
{
    std::string koi8;
    if (!patterns_ || word.size() < 2 * LeastOnEitherSide || !ToKoi8(word, koi8))
        return word;
    std::vector<char> hyphens(koi8.size() + 5);
    char** replacements = nullptr;
    int* positions = nullptr;
    int* cuts = nullptr;
    const int failed = hnj_hyphen_hyphenate3(patterns_.get(), koi8.data(), static_cast<int>(koi8.size()), hyphens.data(),
                                             nullptr, &replacements, &positions, &cuts, LeastOnEitherSide,
                                             LeastOnEitherSide, 0, 0);
    // Russian patterns hold no replacements; were there any, they are let go.
    if (replacements != nullptr) {
        for (std::size_t i = 0; i < koi8.size(); ++i)
            std::free(replacements[i]);
        std::free(replacements);
    }
    std::free(positions);
    std::free(cuts);
    if (failed != 0)
        return word;
    QString hyphenated;
    hyphenated.reserve(word.size() + word.size() / 2);
    for (qsizetype i = 0; i < word.size(); ++i) {
        hyphenated += word[i];
        if ((hyphens[static_cast<std::size_t>(i)] & 1) != 0 && i + 1 < word.size())
            hyphenated += QChar(0x00AD);
    }
    return hyphenated;
}

} // namespace verdask
