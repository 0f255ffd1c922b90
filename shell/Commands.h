// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window's commands and menus. One table (Commands.cpp) gives each its menu,
// its caption with its mnemonic in Russian and in English, its keys, and when it
// is offered; a new command is a line there and a case in the window's RunCommand.

#include <QObject>

#include <array>
#include <string>

class QAction;
class QMenu;
class QMenuBar;
class QShortcut;

namespace verdask {

enum class TCommand {
    Load,
    Convert,
    LoadAndConvert,
    Read,
    Bookshelf,
    Print,
    ExportEpub,
    ExportFb2,
    Style,
    Exit,
    Contents,
    Find,
    Back,
    Forward,
    GoTo,
    ZoomIn,
    ZoomOut,
    ActualSize,
    ThemePageOwn,
    ThemeDay,
    ThemeNight,
    ThemeSepia,
    NextTheme,
    MarginsNone,
    MarginsNarrow,
    MarginsWide,
    Hyphenation,
    Russian,
    English,
    Settings,
    ViewReadme,
    About,
};
inline constexpr std::size_t CommandCount = static_cast<std::size_t>(TCommand::About) + 1;

// The menu bar and its menus.
enum class TMenu { Bar, File, RecentBooks, View, Theme, Margins, Setup, Language, Help };
inline constexpr std::size_t MenuCount = static_cast<std::size_t>(TMenu::Help) + 1;

// Ready, or Loaded while a loaded text waits for Convert.
enum class TProgramState { Ready, Loaded };

class TCommands : public QObject {
    Q_OBJECT

public:
    // Puts the menus and their commands on bar, in the table's order.
    TCommands(QMenuBar& bar, QObject* parent);

    QAction* Action(TCommand command) const { return actions_[static_cast<std::size_t>(command)]; }
    QMenu* Menu(TMenu menu) const { return menus_[static_cast<std::size_t>(menu)]; }

    // Every caption in the language (0 Russian, 1 English).
    void SetLanguage(int language);
    // Offers the commands of the state and withdraws those of the other; the
    // commands of every state are left as they are.
    void OfferFor(TProgramState state);
    // Whether the page shown is a page of this program, which the commands that
    // read one (Export) need besides the state Ready.
    void OfferForShownPage(bool ownPage);
    // While a conversion runs, the commands that would touch its text or page
    // wait; afterwards each is as it was before, or as offered meanwhile.
    void HoldForConversion();
    void ReleaseAfterConversion();

signals:
    // A command was chosen (a checkable one: its check mark changed).
    void Triggered(TCommand command);

private:
    void Offer();

    std::array<QAction*, CommandCount> actions_{};
    std::array<QMenu*, MenuCount> menus_{};
    std::array<bool, CommandCount> enabledBeforeHold_{};
    TProgramState state_ = TProgramState::Ready;
    bool ownPageShown_ = false;
    bool held_ = false;
    // Alt and the key of a Russian menu's letter in a Latin keyboard layout.
    std::array<QShortcut*, MenuCount> latinMnemonics_{};
};

// The Latin letter on the key that gives a Russian letter (ЙЦУКЕН over QWERTY),
// or 0 for a character no key of both gives.
char LatinKeyOf(char32_t russian);

// A command's or a menu's caption with its "&" mnemonic, in UTF-8.
std::string CommandCaption(TCommand command, int language);
std::string MenuCaption(TMenu menu, int language);

} // namespace verdask
