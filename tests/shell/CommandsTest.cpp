// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Commands.h"

#include "files/Cp1251.h"
#include "shell/InterfaceText.h"

#include <QAction>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

namespace verdask {
namespace {

// Every caption is its interface row with one mnemonic mark, in both languages.
TEST(Commands, CaptionsAreTheRowsWithAMnemonic)
{
    const TInterfaceText table = FillInterfaceText();
    using TItem = std::variant<TCommand, TMenu>;
    const std::pair<TItem, int> rows[] = {
        {TMenu::File, Row::File},
        {TMenu::Setup, Row::Setup},
        {TMenu::Help, Row::Help},
        {TMenu::Language, Row::Language},
        {TCommand::Load, Row::Load},
        {TCommand::Convert, Row::Convert},
        {TCommand::LoadAndConvert, Row::LoadAndConvert},
        {TCommand::Read, Row::Read},
        {TCommand::Print, Row::Print},
        {TCommand::Style, Row::Style},
        {TCommand::Exit, Row::Exit},
        {TCommand::Settings, Row::Settings},
        {TCommand::ViewReadme, Row::ViewReadme},
        {TCommand::About, Row::About},
    };
    for (const auto& [item, row] : rows) {
        for (const int language : {RussianColumn, EnglishColumn}) {
            std::string caption = std::holds_alternative<TMenu>(item) ? MenuCaption(std::get<TMenu>(item), language)
                                                                      : CommandCaption(std::get<TCommand>(item), language);
            ASSERT_EQ(std::count(caption.begin(), caption.end(), '&'), 1) << caption;
            std::erase(caption, '&');
            EXPECT_EQ(Utf8ToHtml1251(caption), table[static_cast<std::size_t>(language)][static_cast<std::size_t>(row)])
                << caption;
        }
    }
    EXPECT_EQ(CommandCaption(TCommand::Russian, EnglishColumn), "Русский") << "a language keeps its own name";
    EXPECT_EQ(CommandCaption(TCommand::ZoomIn, EnglishColumn), "Zoom &in");
}

// Export needs the state Ready and a page of this program shown; what changes
// during a conversion's hold takes effect when it ends.
TEST(Commands, ExportIsOfferedWithAPageOfThisProgramAndAfterAHold)
{
    QMenuBar bar;
    TCommands commands(bar, nullptr);
    const QAction& exportEpub = *commands.Action(TCommand::ExportEpub);
    const QAction& convert = *commands.Action(TCommand::Convert);
    commands.OfferFor(TProgramState::Ready);
    EXPECT_FALSE(exportEpub.isEnabled());
    commands.OfferForShownPage(true);
    EXPECT_TRUE(exportEpub.isEnabled());
    commands.OfferFor(TProgramState::Loaded);
    EXPECT_FALSE(exportEpub.isEnabled());
    commands.OfferFor(TProgramState::Ready);

    commands.HoldForConversion();
    commands.OfferForShownPage(false);
    commands.OfferForShownPage(true);
    EXPECT_FALSE(exportEpub.isEnabled()) << "held";
    commands.ReleaseAfterConversion();
    EXPECT_TRUE(exportEpub.isEnabled());

    commands.HoldForConversion();
    commands.OfferFor(TProgramState::Loaded);
    EXPECT_FALSE(convert.isEnabled()) << "held";
    commands.ReleaseAfterConversion();
    EXPECT_TRUE(convert.isEnabled());
    EXPECT_FALSE(exportEpub.isEnabled());
}

TEST(Commands, ARussianLetterHasTheLatinLetterOfItsKey)
{
    const std::pair<char32_t, char> keys[] = {{U'ф', 'a'}, {U'в', 'd'}, {U'у', 'e'}, {U'п', 'g'}, {U'й', 'q'},
                                              {U'ё', '`'}, {U'ю', '.'}, {U'x', 0},   {U'Ф', 0}};
    for (const auto& [russian, latin] : keys)
        EXPECT_EQ(LatinKeyOf(russian), latin) << static_cast<std::uint32_t>(russian);
}

} // namespace
} // namespace verdask
