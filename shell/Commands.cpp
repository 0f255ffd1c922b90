// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Commands.h"

#include "shell/InterfaceText.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include <stdexcept>
#include <variant>

namespace verdask {
namespace {

struct TSeparator {};
using TItem = std::variant<TCommand, TMenu, TSeparator>;

// When a command is offered: in every state, in one of the program's states only,
// or in Ready while a page of this program is shown.
enum class TOffered { Always, WhenReady, WhenLoaded, WithOwnPage };

enum TFlags : unsigned {
    Plain = 0,
    Waits = 1,     // refused while a conversion runs: it would touch the text or page being converted
    Checkable = 2, // on or off
    Exclusive = 4, // one of the menu's exclusive items is checked, at first the first
};

using TKeys = std::array<QKeyCombination, 2>;

struct TEntry {
    TMenu In;
    TItem Item;
    std::string_view Russian = {};
    std::string_view English = {};
    TKeys Keys = {};
    TOffered Offered = TOffered::Always;
    unsigned Flags = Plain;
};

using enum TCommand;
using enum TMenu;
using enum TOffered;
constexpr TSeparator Separator;

// The menus in their order; the captions are the interface rows with a mnemonic
// unique in their menu.
constexpr TEntry Entries[] = {
    // in     item             Russian                       English                 keys              offered, flags
    {Bar, File, "&Файл", "&File"},
    {File, Load, "&Загрузить", "&Load", {Qt::CTRL | Qt::Key_L}, Always, Waits},
    {File, Convert, "П&реобразовать", "&Convert", {}, WhenLoaded, Waits},
    {File, LoadAndConvert, "Загрузить &и преобразовать", "Load &and convert", {Qt::Key_F2}, WhenReady, Waits},
    {File, Read, "&Читать", "&Read", {Qt::Key_F3, Qt::CTRL | Qt::Key_O}, Always, Waits},
    {File, RecentBooks, "&Недавние книги", "Recent &books"},
    // B is Recent books' letter, and П Print's.
    {File, Bookshelf, "&Книжная полка...", "Boo&kshelf...", {Qt::CTRL | Qt::Key_B}, Always, Waits},
    {File, Print, "&Печатать", "&Print", {Qt::CTRL | Qt::Key_P}, WhenReady, Waits},
    // The formats' names are Latin in either language, and so are their letters.
    {File, ExportEpub, "Экспорт в &EPUB...", "Export as &EPUB...", {}, WithOwnPage, Waits},
    {File, ExportFb2, "Экспорт в &FB2...", "Export as &FB2...", {}, WithOwnPage, Waits},
    {File, Separator},
    {File, Style, "&Стиль", "&Style", {}, WhenReady, Waits},
    {File, Separator},
    {File, Exit, "&Выход", "E&xit", {Qt::ALT | Qt::Key_X, Qt::CTRL | Qt::Key_Q}},
    {Bar, View, "&Вид", "&View"},
    {View, Contents, "&Содержание", "&Contents", {Qt::Key_F9}, Always, Checkable},
    {View, Find, "&Найти на странице...", "&Find in the page...", {Qt::CTRL | Qt::Key_F}},
    {View, Separator},
    {View, Back, "На&зад", "&Back", {Qt::ALT | Qt::Key_Left}},
    {View, Forward, "&Вперёд", "Fo&rward", {Qt::ALT | Qt::Key_Right}},
    {View, GoTo, "&Перейти...", "&Go to...", {Qt::CTRL | Qt::Key_G}},
    {View, Separator},
    // Ctrl and the key of plus, with or without Shift.
    {View, ZoomIn, "&Увеличить", "Zoom &in", {Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal}},
    {View, ZoomOut, "У&меньшить", "Zoom &out", {Qt::CTRL | Qt::Key_Minus}},
    {View, ActualSize, "&Обычный размер", "&Actual size", {Qt::CTRL | Qt::Key_0}},
    {View, Separator},
    {View, Theme, "&Тема", "&Theme"},
    {Theme, ThemePageOwn, "&Как на странице", "The &page's own", {}, Always, Exclusive},
    {Theme, ThemeDay, "&День", "&Day", {}, Always, Exclusive},
    {Theme, ThemeNight, "&Ночь", "&Night", {}, Always, Exclusive},
    {Theme, ThemeSepia, "&Сепия", "&Sepia", {}, Always, Exclusive},
    {Theme, Separator},
    {Theme, NextTheme, "С&ледующая тема", "N&ext theme", {Qt::Key_F8}},
    {View, Margins, "По&ля", "&Margins"},
    {Margins, MarginsNone, "&Без полей", "&None", {}, Always, Exclusive},
    {Margins, MarginsNarrow, "&Узкие", "N&arrow", {}, Always, Exclusive},
    {Margins, MarginsWide, "&Широкие", "&Wide", {}, Always, Exclusive},
    {View, Hyphenation, "П&ереносы", "&Hyphenation", {}, Always, Checkable},
    {Bar, Setup, "&Установки", "&Settings"},
    {Setup, Language, "&Язык/Language", "&Language/Язык"},
    // The languages are named in their own language, whichever is chosen.
    {Language, Russian, "Русский", "Русский", {}, Always, Exclusive},
    {Language, English, "English", "English", {}, Always, Exclusive},
    {Setup, Settings, "&Установки", "&Settings", {}, Always, Waits},
    {Bar, Help, "&Помощь", "&Help"},
    {Help, ViewReadme, "&Просмотр readme", "&View readme file", {Qt::Key_F1}},
    {Help, About, "&О программе...", "&About..."},
};

constexpr std::size_t Index(TCommand command)
{
    return static_cast<std::size_t>(command);
}

constexpr std::size_t Index(TMenu menu)
{
    return static_cast<std::size_t>(menu);
}

QString Caption(const TEntry& entry, int language)
{
    return QString::fromUtf8(language == RussianColumn ? entry.Russian : entry.English);
}

// Runs visit(entry, command) for every command of the table, in its order.
template <typename Visit>
void ForEachCommand(Visit&& visit)
{
    for (const TEntry& entry : Entries) {
        if (const auto* command = std::get_if<TCommand>(&entry.Item))
            visit(entry, *command);
    }
}

template <typename Item>
const TEntry& EntryOf(Item item)
{
    for (const TEntry& entry : Entries) {
        if (const auto* held = std::get_if<Item>(&entry.Item); held != nullptr && *held == item)
            return entry;
    }
    throw std::logic_error("an item the command table lacks");
}

// The letter after "&" in a caption, in lower case.
char32_t MnemonicOf(std::string_view caption)
{
    const QString text = QString::fromUtf8(caption);
    const qsizetype at = text.indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower().unicode() : 0;
}

QList<QKeySequence> Shortcuts(const TKeys& keys)
{
    QList<QKeySequence> shortcuts;
    for (const QKeyCombination key : keys) {
        if (key.key() != Qt::Key_unknown)
            shortcuts << QKeySequence(key);
    }
    return shortcuts;
}

} // namespace

TCommands::TCommands(QMenuBar& bar, QObject* parent) : QObject(parent)
{
    QActionGroup* exclusive = nullptr;
    for (const TEntry& entry : Entries) {
        QMenu* in = Menu(entry.In);
        if (std::holds_alternative<TSeparator>(entry.Item)) {
            in->addSeparator();
        } else if (const auto* menu = std::get_if<TMenu>(&entry.Item)) {
            QMenu* added = in != nullptr ? in->addMenu(Caption(entry, EnglishColumn)) : bar.addMenu(Caption(entry, EnglishColumn));
            menus_[Index(*menu)] = added;
            // Alt and a menu's letter open it in either keyboard layout: Qt finds a
            // Latin letter from a Cyrillic layout itself, not a Cyrillic one from a Latin layout.
            if (const char latin = LatinKeyOf(MnemonicOf(entry.Russian)); in == nullptr && latin != 0) {
                auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Alt+%1").arg(QChar(latin))), &bar);
                connect(shortcut, &QShortcut::activated, &bar, [&bar, added] { bar.setActiveAction(added->menuAction()); });
                latinMnemonics_[Index(*menu)] = shortcut;
            }
        } else {
            const TCommand command = std::get<TCommand>(entry.Item);
            QAction* action = in->addAction(Caption(entry, EnglishColumn));
            action->setShortcuts(Shortcuts(entry.Keys));
            action->setCheckable((entry.Flags & (Checkable | Exclusive)) != 0);
            if ((entry.Flags & Exclusive) != 0) {
                if (exclusive == nullptr || exclusive->parent() != in) {
                    exclusive = new QActionGroup(in);
                    action->setChecked(true);
                }
                exclusive->addAction(action);
            }
            if ((entry.Flags & Checkable) != 0)
                connect(action, &QAction::toggled, this, [this, command] { emit Triggered(command); });
            else
                connect(action, &QAction::triggered, this, [this, command] { emit Triggered(command); });
            actions_[Index(command)] = action;
        }
    }
}

void TCommands::SetLanguage(int language)
{
    for (QShortcut* shortcut : latinMnemonics_) {
        if (shortcut != nullptr)
            shortcut->setEnabled(language == RussianColumn);
    }
    for (const TEntry& entry : Entries) {
        if (const auto* menu = std::get_if<TMenu>(&entry.Item))
            Menu(*menu)->setTitle(Caption(entry, language));
        else if (const auto* command = std::get_if<TCommand>(&entry.Item))
            Action(*command)->setText(Caption(entry, language));
    }
}

void TCommands::OfferFor(TProgramState state)
{
    state_ = state;
    Offer();
}

void TCommands::OfferForShownPage(bool ownPage)
{
    ownPageShown_ = ownPage;
    Offer();
}

// A command held for a conversion gets what is offered once the conversion ends.
void TCommands::Offer()
{
    const bool ready = state_ == TProgramState::Ready;
    ForEachCommand([this, ready](const TEntry& entry, TCommand command) {
        if (entry.Offered == Always)
            return;
        const bool offered = entry.Offered == WhenLoaded ? !ready : ready && (entry.Offered == WhenReady || ownPageShown_);
        if (held_ && (entry.Flags & Waits) != 0)
            enabledBeforeHold_[Index(command)] = offered;
        else
            Action(command)->setEnabled(offered);
    });
}

void TCommands::HoldForConversion()
{
    held_ = true;
    ForEachCommand([this](const TEntry& entry, TCommand command) {
        if ((entry.Flags & Waits) != 0) {
            enabledBeforeHold_[Index(command)] = Action(command)->isEnabled();
            Action(command)->setEnabled(false);
        }
    });
}

void TCommands::ReleaseAfterConversion()
{
    held_ = false;
    ForEachCommand([this](const TEntry& entry, TCommand command) {
        if ((entry.Flags & Waits) != 0)
            Action(command)->setEnabled(enabledBeforeHold_[Index(command)]);
    });
}

char LatinKeyOf(char32_t russian)
{
    static constexpr std::u32string_view Russian = U"йцукенгшщзхъфывапролджэячсмитьбюё";
    static constexpr std::string_view Latin = "qwertyuiop[]asdfghjkl;'zxcvbnm,.`";
    static_assert(Russian.size() == Latin.size());
    const auto at = Russian.find(russian);
    return at == std::u32string_view::npos ? 0 : Latin[at];
}

std::string CommandCaption(TCommand command, int language)
{
    return Caption(EntryOf(command), language).toStdString();
}

std::string MenuCaption(TMenu menu, int language)
{
    return Caption(EntryOf(menu), language).toStdString();
}

} // namespace verdask
