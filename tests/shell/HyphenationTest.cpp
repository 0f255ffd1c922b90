// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Hyphenation.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

TEST(Hyphenator, BreaksRussianWordsAtTheirHyphenPointsOnly)
{
    const THyphenator hyphenator;
    ASSERT_TRUE(hyphenator.Loaded()) << "Debian's hyphen-ru";
    const struct {
        const char* Word;
        const char* Hyphenated; // "-" for a soft hyphen
    } rows[] = {
        {"переменная", "пе-ремен-ная"},
        {"Высокопревосходительство", "Вы-со-ко-пре-вос-ходи-тельство"},
        {"ёлочка", "ёлоч-ка"},
        {"мама", "мама"},           // too short to break, two letters on each side
        {"Наполеон", "Напо-ле-он"},
        {"word", "word"},           // no Russian word
        {"из-за", "из-за"},         // a hyphen is no letter
    };
    for (const auto& row : rows) {
        QString shown = hyphenator.Hyphenated(QString::fromUtf8(row.Word));
        shown.replace(QChar(0x00AD), '-');
        EXPECT_EQ(shown.toStdString(), row.Hyphenated) << row.Word;
    }
    EXPECT_FALSE(THyphenator("/nonexistent/patterns.dic").Loaded());
    EXPECT_EQ(THyphenator("/nonexistent/patterns.dic").Hyphenated(QString::fromUtf8("переменная")),
              QString::fromUtf8("переменная"));
}

} // namespace
} // namespace verdask
