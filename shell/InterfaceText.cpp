// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/InterfaceText.h"

#include "conversion/Source.h"

#include "files/Errors.h"

#include "files/Cp1251.h"

#include <cmath>

namespace verdask {
namespace {

struct TRow {
    std::string_view Russian;
    std::string_view English;
};

// Written here in UTF-8 and turned into windows-1251 when the table is filled.
constexpr TRow Rows[InterfaceRowCount] = {
    {"Преобразователь текстов библиотеки Вердаска", "Verdask's Library Text Converter"}, // 0
    {"Файл", "File"}, // 1
    {"Язык/Language", "Language/Язык"}, // 2
    {"Установки", "Settings"}, // 3
    {"Выход", "Exit"}, // 4
    {"Помощь", "Help"}, // 5
    {"Просмотр readme", "View readme file"}, // 6
    {"О программе...", "About..."}, // 7
    {"Число пробелов в абзацных отступах", "Number of spaces in paragraph indents"}, // 8
    {", разрешить автоопределение", ", allow autodetect"}, // 9
    {"Неразрывные пробелы в абзацных отступах, количество:", "Non-breaking spaces in paragraph indents, the number:"}, // 10
    {"Длинное тире вместо двойного дефиса", "Replace a double dash by a long dash"}, // 11
    {"Длинное тире вместо ведущего дефиса в диалогах", "A long dash instead of a short leading dash"}, // 12
    {"Сохранять результат в том же каталоге и под тем же именем, что и исходный файл", "Save the result in the same directory and under the same name as the source"}, // 13
    {"Сохранить", "Save"}, // 14
    {"Отменить", "Cancel"}, // 15
    {"Установки", "Settings"}, // 16
    {"Загрузить", "Load"}, // 17
    {"Преобразовать", "Convert"}, // 18
    {"Загрузить и преобразовать", "Load and convert"}, // 19
    {"Печатать", "Print"}, // 20
    {"Читать", "Read"}, // 21
    {"Стиль", "Style"}, // 22
    {"Ошибка ввода/вывода с кодом ", "I/O error, code "}, // 23
    {"Ваш файл создан другой программой. Применение стиля, скорее всего, будет неудачным, возможна полная потеря информации. Вы можете попробовать, но перед этим будет разумно создать резервную копию файла. Выберите устраивающий вас вариант:", "The file was created by another program. The style application likely will be unsuccessfull, and the entire file content may be lost. You are free to try, but the wise choice will be to backup the file first. Select the option you like:"}, // 24
    {"Создание резервной копии", "Create backup copy"}, // 25
    {"Не создавать резервную копию", "Do not create a backup copy"}, // 26
    {"Создать копию файла с тем же именем и расширением htm_", "Create a copy with the same name and 'htm_' extension"}, // 27
    {"Задать имя файла вручную", "Choose file name"}, // 28
    {"Не применять стиль", "Cancel style application"}, // 29
    {"Стиль", "Style"}, // 30
    {"Применить", "Apply"}, // 31
    {"Сделать стилем по умолчанию", "Make default"}, // 32
    {"Выбрать каталог", "Choose folder"}, // 33
    {"Шрифт", "Font"}, // 34
    {"Размер шрифта", "Font size"}, // 35
    {"Цвет шрифта", "Font color"}, // 36
    {"Межстрочный интервал", "Interlinear spacing"}, // 37
    {"Межбуквенный интервал", "Letter spacing"}, // 38
    {"Цвет фона", "Background color"}, // 39
    {"Выбор стиля", "Style selection"}, // 40
    {"Преобразователь текстов библиотеки Вердаска, версия ", "Verdask Library Text Converter v. "}, // 41
    {"Разработано командой преобразователя текстов библиотеки Вердаска", "Written by the Verdask Library Text Converter team"}, // 42: the author credit line
    {"Этот стиль будет применяться ко всем вновь преобразуемым текстам. Продолжить?", "This style will be applied to all newly converted texts. Proceed?"}, // 43
    {"Выберите файл для преобразования", "Choose a file to be converted"}, // 44
    {"Выберите файл для чтения", "Choose a file to read"}, // 45
    {"Преобразователь текстов библиотеки Вердаска", "Verdask Library Text Converter"}, // 46
    {"Использовать стиль по умолчанию", "Use default"}, // 47
    {"Выравнивание текста", "Justification"}, // 48
    {"Ширина текста, % от ширины окна", "Text width, % of window"}, // 49
    {"Ошибка ввода-вывода при сохранении закладки", "I/O error while saving a bookmark"}, // 50
    {"Перезаписать существующий файл?", "Overwrite the existing file?"}, // 51
    {"Файл существует. Выберите другое имя.", "File exists. Choose another name."}, // 52
};

constexpr std::string_view SampleTextUtf8 =
    "<P>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;К вечеру ветер стих, и над озером повисла та особенная тишина, какая бывает только в конце августа, когда лето ещё не ушло, а осень уже стоит за плечами. Старый сад спускался к воде уступами; яблони в нём давно одичали, но всё ещё приносили мелкие кислые плоды, которые никто не собирал. По утрам в траве под ними копошились дрозды, а к полудню приходили дети из деревни &#150; будто бы за водой."
    "<BR>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Анна Павловна вышла на крыльцо с шалью на плечах и долго смотрела на дорогу &#150; не покажется ли там знакомая бричка. Дорога была пуста. Только у мельницы лениво бродила чья-то корова, да за рекой перекликались пастухи."
    "<BR>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Она вспомнила, как двадцать лет назад сама приехала сюда молодой женой, как боялась этого дома, его скрипучих полов и тёмных портретов в гостиной, и как потом незаметно полюбила всё это &#150; и дом, и сад, и даже строгую свекровь, которая учила её варить варенье из крыжовника."
    "<BR>&#150; Не ждите понапрасну, барыня, &#150; сказал, подходя, садовник Пётр. &#150; Сегодня уж не приедут: на переправе, говорят, паром сломался."
    "<BR>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Анна Павловна кивнула, но с крыльца не ушла. Солнце садилось за лес, и вода в озере из синей стала сперва золотой, а потом медной &#150; и вдруг погасла, как гаснет лампа, когда в ней кончается масло. Где-то в доме часы пробили семь, и с озера потянуло сыростью.";

} // namespace

TInterfaceText FillInterfaceText()
{
    TInterfaceText table;
    for (int row = 0; row < InterfaceRowCount; ++row) {
        table[RussianColumn][row] = Utf8ToHtml1251(Rows[row].Russian);
        table[EnglishColumn][row] = Utf8ToHtml1251(Rows[row].English);
    }
    return table;
}

std::string NoPageToRestyleText(int language)
{
    return language == RussianColumn ? Utf8ToHtml1251("Нет страницы, к которой можно применить стиль.")
                                     : std::string("There is no page to apply the style to.");
}

std::string ParagraphsLabelText(int language)
{
    return language == RussianColumn ? "Абзацы в текстах:" : "Paragraphs:";
}

namespace {

// Each paragraph layout as the settings offer it and as the status line names it.
struct TLayoutWords {
    TParagraphLayout Layout;
    std::string_view Choice[2];  // Russian, English
    std::string_view Status[2];
};

constexpr TLayoutWords LayoutWords[] = {
    {TParagraphLayout::Auto, {"Авто (по тексту)", "Auto (told from the text)"}, {"с отступом", "indented"}},
    {TParagraphLayout::Indented, {"С отступом (как в библиотеке)", "Indented (the library's)"}, {"с отступом", "indented"}},
    {TParagraphLayout::OneLineEach, {"Каждый в своей строке", "One line each"}, {"по строкам", "one line each"}},
    {TParagraphLayout::BlankLines, {"Через пустую строку", "Between empty lines"}, {"через пустую строку", "between empty lines"}},
};

const TLayoutWords& WordsOf(TParagraphLayout layout)
{
    for (const auto& words : LayoutWords) {
        if (words.Layout == layout)
            return words;
    }
    return LayoutWords[0];
}

} // namespace

std::string LayoutText(int language, TParagraphLayout layout)
{
    return std::string(WordsOf(layout).Choice[language == RussianColumn ? 0 : 1]);
}

std::string BookLayoutLabelText(int language)
{
    return language == RussianColumn ? "Абзацы этой книги:" : "Paragraphs of this book:";
}

std::string LayoutUsedText(int language, TParagraphLayout layout, bool detected)
{
    const std::string name(WordsOf(layout).Status[language == RussianColumn ? 0 : 1]);
    if (language == RussianColumn)
        return "абзацы " + name + (detected ? " (по тексту)" : " (из настроек)");
    return "paragraphs " + name + (detected ? " (told)" : " (chosen)");
}

std::string RemovedTemporaryFilesText(int language, int count, std::string_view folder)
{
    const std::string number = std::to_string(count);
    if (language == RussianColumn)
        return "Удалены временные файлы, которые оставили прерванные запуски программы (" + number + "), в папке:\n" +
               std::string(folder) + "\nНи один из них не был единственной копией чего-либо.";
    return "Removed " + number + (count == 1 ? " temporary file" : " temporary files") +
           " that stopped runs of the program left in the folder:\n" + std::string(folder) +
           "\nNone of them was the only copy of anything.";
}

std::string LeftoverCopyText(int language, std::string_view path)
{
    const std::string_view text =
        language == RussianColumn
            ? "Файл, оставшийся от прерванной записи в прежней версии программы, может хранить единственную "
              "целую копию страницы:\n%s\nПрограмма его не трогает. Откройте его, чтобы увидеть, что в нём, "
              "и удалите, когда он станет не нужен."
            : "A file left by an interrupted rewrite of an earlier version of the program may hold the only whole "
              "copy of a page:\n%s\nThe program leaves it as it is. Open it to see what it holds, and delete it "
              "once you no longer need it.";
    return FormatMessage(text, path);
}

std::string SettingsKeptText(int language, std::string_view path)
{
    return FormatMessage(language == RussianColumn
                             ? "Установки из файла %s прочесть нельзя. Программа работает с установками по умолчанию и "
                               "оставит этот файл как есть."
                             : "The settings in %s cannot be read. The program goes on with the default settings and "
                               "leaves that file as it is.",
                         path);
}

std::string EmptySettingsText(int language, std::string_view path)
{
    return FormatMessage(language == RussianColumn ? "Файл установок %s пуст. Будут использованы установки по умолчанию."
                                                   : "The settings file %s is empty. Default settings will be used.",
                         path);
}

std::string BadSettingText(int language, std::string_view key, std::string_view file)
{
    const std::string_view text = language == RussianColumn
                                      ? "Установка «%s» в файле %s; взято значение по умолчанию."
                                      : "The setting \"%s\" in %s; its default value is used.";
    return FormatMessage(FormatMessage(text, key), file);
}

std::string PageStyleUnreadableText(int language, std::string_view reason)
{
    return FormatMessage(language == RussianColumn
                             ? "Стиль страницы прочесть не удалось (%s). Редактор открыт со стилем по умолчанию."
                             : "The page's style could not be read (%s). The editor starts from the default style.",
                         reason);
}

std::string ReplaceFileQuestion(int language, std::string_view path)
{
    return FormatMessage(language == RussianColumn ? "Файл %s уже существует. Заменить его?"
                                                   : "%s already exists. Do you want to replace it?",
                         path);
}

std::string ExportTitleText(int language, std::string_view format)
{
    return FormatMessage(language == RussianColumn ? "Экспорт в %s" : "Export as %s", format);
}

std::string ExportedText(int language, std::string_view path)
{
    return FormatMessage(language == RussianColumn ? "Книга сохранена: %s" : "Exported to %s", path);
}

std::string BookmarkNotSavedText(int language, std::string_view reason)
{
    return std::string(language == RussianColumn ? Rows[Row::BookmarkError].Russian : Rows[Row::BookmarkError].English) +
           "\n" + std::string(reason);
}

std::string RendererStoppedText(int language, std::string_view path)
{
    if (path.empty())
        return language == RussianColumn
                   ? "Окно просмотра не смогло показать страницу: ему не хватило памяти, или оно было остановлено."
                   : "The view could not show the page: it ran out of memory or was stopped.";
    const std::string_view text =
        language == RussianColumn
            ? "Окно просмотра не смогло показать страницу\n%s\nЕму не хватило памяти (страница слишком велика), "
              "или оно было остановлено. Страница не изменена. При следующем запуске программа не откроет её сама; "
              "её можно открыть командой «Читать»."
            : "The view could not show the page\n%s\nIt ran out of memory (the page is too large) or was stopped. "
              "The page is unchanged. The program will not open it by itself at the next start; Read opens it.";
    return FormatMessage(text, path);
}

std::string LargePageQuestion(int language, std::string_view path, std::uintmax_t size)
{
    // The view's renderer takes about 37 times a page's size (1.9 GB for a page of 53 MB).
    constexpr double RendererBytesPerPageByte = 37;
    const bool russian = language == RussianColumn;
    const auto tenths = static_cast<long long>(std::llround(static_cast<double>(size) * RendererBytesPerPageByte / 1e8));
    const std::string gigabytes = std::to_string(tenths / 10) + (russian ? "," : ".") + std::to_string(tenths % 10);
    const std::string megabytes = std::to_string((size + 500'000) / 1'000'000);
    std::string text =
        russian ? "Страница %s занимает {MB} МБ. Чтобы показать её, окну просмотра нужно около {GB} ГБ памяти; это "
                  "займёт время, а если памяти не хватит, окно просмотра остановится. Показать страницу?"
                : "The page %s holds {MB} MB. To show it, the view needs about {GB} GB of memory; it will take a while, "
                  "and if the memory does not suffice, the view stops. Show the page?";
    // The numbers first: the path may hold anything.
    text.replace(text.find("{MB}"), 4, megabytes);
    text.replace(text.find("{GB}"), 4, gigabytes);
    return FormatMessage(text, path);
}

std::string MissingFileText(int language, std::string_view path)
{
    return FormatMessage(language == RussianColumn ? "Файла %s нет." : "There is no file %s.", path);
}

std::string PreparingPagesText(int language)
{
    return language == RussianColumn ? "Подготовка страниц к печати…" : "Preparing the pages for printing…";
}

std::string PrintingPageText(int language, int page, int pages)
{
    const std::string_view text = language == RussianColumn ? "Печать страницы %s из %s…" : "Printing page %s of %s…";
    return FormatMessage(FormatMessage(text, std::to_string(page)), std::to_string(pages));
}

std::string CancelText(int language)
{
    return language == RussianColumn ? "Отменить" : "Cancel";
}

std::string PageStillLoadingText(int language)
{
    return language == RussianColumn ? "Страница ещё загружается. Напечатайте её, когда она появится."
                                     : "The page is still loading. Print it once it is shown.";
}

std::string PrintFailedText(int language, std::string_view reason)
{
    return FormatMessage(language == RussianColumn ? "Страница не напечатана.\n%s" : "The page was not printed.\n%s",
                         reason);
}

std::string SourceEncodingLabelText(int language)
{
    return language == RussianColumn ? "Кодировка текстов:" : "Source encoding:";
}

std::string AutoEncodingText(int language)
{
    return language == RussianColumn ? "Авто (по тексту)" : "Auto (told from the text)";
}

std::string NotATextQuestionText(int language)
{
    return language == RussianColumn
               ? "Файл %s не похож на текст: в нём есть байты, которых в текстах не бывает. Всё равно загрузить его?"
               : std::string(NotATextQuestion);
}

std::string EncodingUsedText(int language, std::string_view name, bool detected)
{
    const std::string_view text = language == RussianColumn
                                      ? (detected ? "Кодировка: %s (определена по тексту)"
                                                  : "Кодировка: %s (выбрана в настройках)")
                                      : (detected ? "Encoding: %s (told from the text)"
                                                  : "Encoding: %s (chosen in the settings)");
    return FormatMessage(text, name);
}

std::string UnknownEncodingText(int language, std::string_view value)
{
    return FormatMessage(language == RussianColumn
                             ? "«%s» — не кодировка, известная программе (Auto, windows-1251, UTF-8, KOI8-R, "
                               "CP866, UTF-16)."
                             : "'%s' is no encoding the program knows (Auto, windows-1251, UTF-8, KOI8-R, CP866, "
                               "UTF-16).",
                         value);
}

std::string UnknownThemeText(int language, std::string_view value)
{
    return FormatMessage(language == RussianColumn ? "«%s» — не тема программы (Page, Day, Night, Sepia)."
                                                   : "'%s' is no theme of the program (Page, Day, Night, Sepia).",
                         value);
}

std::string ReaderText(int language, TReaderText which)
{
    const bool russian = language == RussianColumn;
    switch (which) {
    case TReaderText::NoRecentBooks:
        return russian ? "(нет)" : "(none)";
    case TReaderText::FindPlaceholder:
        return russian ? "Найти на странице" : "Find in the page";
    case TReaderText::FindPrevious:
        return russian ? "Предыдущее (Shift+Enter)" : "Previous (Shift+Enter)";
    case TReaderText::FindNext:
        return russian ? "Следующее (Enter)" : "Next (Enter)";
    case TReaderText::FindClose:
        return russian ? "Закрыть (Escape)" : "Close (Escape)";
    case TReaderText::GoToPlaceholder:
        return russian ? "Перейти: ¶ или %" : "Go to: ¶ or %";
    case TReaderText::GoToHint:
        return russian ? "Номер абзаца (1520) или доля книги (40%), затем Enter (Ctrl+G)"
                       : "A paragraph's number (1520) or a share of the book (40%), then Enter (Ctrl+G)";
    }
    return {};
}

std::string MatchesText(int language, int active, int matches)
{
    if (matches == 0)
        return language == RussianColumn ? "Не найдено" : "No matches";
    const std::string_view text = language == RussianColumn ? "%s из %s" : "%s of %s";
    return FormatMessage(FormatMessage(text, std::to_string(active)), std::to_string(matches));
}

std::string FindWrappedText(int language, bool backward)
{
    if (language == RussianColumn)
        return backward ? "продолжено с конца" : "продолжено с начала";
    return backward ? "continued from the end" : "continued from the top";
}

std::string PositionText(int language, std::int64_t paragraph, std::int64_t paragraphs)
{
    const std::int64_t share = paragraphs > 0 ? paragraph * 100 / paragraphs : 0;
    const std::string_view text = language == RussianColumn ? "¶ %s из %s · %s%" : "¶ %s of %s · %s%";
    return FormatMessage(FormatMessage(FormatMessage(text, std::to_string(paragraph)), std::to_string(paragraphs)),
                         std::to_string(share));
}

std::string ShelfText(int language, TShelfText which)
{
    const bool russian = language == RussianColumn;
    switch (which) {
    case TShelfText::Title:
        return russian ? "Книжная полка" : "Bookshelf";
    case TShelfText::Folders:
        return russian ? "&Папки:" : "&Folders:";
    case TShelfText::AddFolder:
        return russian ? "&Добавить папку..." : "&Add folder...";
    case TShelfText::RemoveFolder:
        return russian ? "&Убрать папку" : "&Remove folder";
    case TShelfText::Subfolders:
        return russian ? "И &вложенные папки" : "Subfolders &too";
    case TShelfText::Filter:
        return russian ? "&Фильтр:" : "F&ilter:";
    case TShelfText::Stop:
        return russian ? "Ос&тановить" : "&Stop";
    case TShelfText::Open:
        return russian ? "&Открыть" : "&Open";
    case TShelfText::Close:
        return russian ? "&Закрыть" : "&Close";
    case TShelfText::TitleColumn:
        return russian ? "Название" : "Title";
    case TShelfText::ProgressColumn:
        return russian ? "Прочитано" : "Read";
    case TShelfText::DateColumn:
        return russian ? "Дата" : "Date";
    case TShelfText::FolderColumn:
        return russian ? "Папка" : "Folder";
    case TShelfText::NotStarted:
        return russian ? "не начата" : "not started";
    case TShelfText::Finished:
        return russian ? "✓ прочитана" : "✓ finished";
    case TShelfText::NoFolders:
        return russian ? "Добавьте папку с книгами." : "Add a folder of your books.";
    }
    return {};
}

std::string FoundBooksText(int language, std::size_t books, TShelfScanState state)
{
    const std::string number = std::to_string(books);
    const bool russian = language == RussianColumn;
    std::string text = russian ? "Найдено книг: " + number
                               : "Found: " + number + (books == 1 ? " book" : " books");
    if (state == TShelfScanState::Scanning)
        text += "…";
    else if (state == TShelfScanState::Stopped)
        text += russian ? " (поиск остановлен)" : " (stopped)";
    return text;
}

std::string SampleText()
{
    return Utf8ToHtml1251(SampleTextUtf8);
}

std::string NoReadmePage(std::string_view homePageAddress)
{
    std::string page = "<HTML><HEAD></HEAD><BODY><CENTER><B>Verdask Library Text converter</B></CENTER><BR>The file "
                       "<I>readme.html</I> has not been found in the program folder. Please visit <A HREF=";
    page += homePageAddress;
    page += ">";
    page += homePageAddress;
    page += "</A> ";
    page += "to find user's manual and other useful information about the program. ";
    page += "<BR><BR>To continue, select an appropriate option from the File menu.";
    page += "</BODY></HTML>";
    return page;
}

} // namespace verdask
