// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/GoToField.h"

#include <gtest/gtest.h>

namespace verdask {
namespace {

TEST(ParagraphToGoTo, APlaceTypedIsAParagraphOfTheBook)
{
    struct TCase {
        const char* Typed;
        std::int64_t Paragraphs;
        std::optional<std::int64_t> Paragraph;
    } const cases[] = {
        {"1520", 7380, 1520},
        {" 40% ", 7380, 2952},
        {"0%", 7380, 1},       // the first paragraph, not the title above it
        {"100%", 7380, 7380},
        {"250%", 7380, 7380},  // a share past the end is the end
        {"99999", 7380, 7380}, // so is a paragraph past it
        {"0", 7380, 1},
        {"", 7380, std::nullopt},
        {"%", 7380, std::nullopt},
        {"-5", 7380, std::nullopt},
        {"12a", 7380, std::nullopt},
        {"1 2", 7380, std::nullopt},
        {"50%", 0, std::nullopt}, // a page without paragraphs has no places
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ParagraphToGoTo(c.Typed, c.Paragraphs), c.Paragraph) << "'" << c.Typed << "'";
}

} // namespace
} // namespace verdask
