// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Russian hyphenation for the reader: where a word may break, from the patterns
// of libhyphen (Debian's hyphen-ru). The view puts soft hyphens there in the text
// it shows; page files never get them.

#include <QString>

#include <memory>
#include <string>

struct _HyphenDict;

namespace verdask {

// Where Debian puts the Russian patterns.
inline constexpr const char* RussianPatterns = "/usr/share/hyphen/hyph_ru_RU.dic";

class THyphenator {
public:
    explicit THyphenator(const std::string& patternsPath = RussianPatterns);

    // False when the patterns could not be read: then no word is hyphenated.
    bool Loaded() const { return patterns_ != nullptr; }
    // The word with a soft hyphen (U+00AD) wherever it may break, two letters at
    // least on either side; as it is when it holds anything but Russian letters.
    QString Hyphenated(const QString& word) const;

private:
    struct TFree {
        void operator()(_HyphenDict* patterns) const;
    };
    std::unique_ptr<_HyphenDict, TFree> patterns_;
};

} // namespace verdask
