#pragma once

// The interface texts of the program in Russian and in English, and the texts
// the window keeps for other parts: the style preview's sample and the page
// shown when no readme exists. Every text is windows-1251, like all of the
// program's text.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

inline constexpr int InterfaceRowCount = 53;
inline constexpr int RussianColumn = 0;
inline constexpr int EnglishColumn = 1;

// Rows that other parts name.
namespace Row {
inline constexpr int MainCaption = 0;
inline constexpr int File = 1;
inline constexpr int Language = 2;
inline constexpr int Settings = 3;
inline constexpr int Exit = 4;
inline constexpr int Help = 5;
inline constexpr int ViewReadme = 6;
inline constexpr int About = 7;
inline constexpr int Save = 14;
inline constexpr int Setup = 16;
inline constexpr int Load = 17;
inline constexpr int Convert = 18;
inline constexpr int LoadAndConvert = 19;
inline constexpr int Print = 20;
inline constexpr int Read = 21;
inline constexpr int Style = 22;
inline constexpr int ChooseTextTitle = 44;
inline constexpr int ChoosePageTitle = 45;
inline constexpr int ApplicationTitle = 46;
inline constexpr int BookmarkError = 50;
inline constexpr int OverwriteQuestion = 51;
inline constexpr int ChooseAnotherName = 52;
} // namespace Row

// The table: [language][row], 0 Russian, 1 English.
using TInterfaceText = std::array<std::array<std::string, InterfaceRowCount>, 2>;

TInterfaceText FillInterfaceText();

// Apply with no page file shown (the built-in page): there is nothing to restyle.
std::string NoPageToRestyleText(int language);

// A file an interrupted rewrite of an earlier version left beside a page, which
// may hold the only whole copy of it. UTF-8, as the path is.
std::string LeftoverCopyText(int language, std::string_view path);

// A setting that is no whole number: which key of which file, and that its
// default is used. UTF-8, as the path is.
std::string BadSettingText(int language, std::string_view key, std::string_view file);
// The style editor could not read the shown page's style: why. UTF-8.
std::string PageStyleUnreadableText(int language, std::string_view reason);
// A save dialog chose a file that exists. UTF-8, as the path is.
std::string ReplaceFileQuestion(int language, std::string_view path);

// The reader's texts beyond the table, in UTF-8 (they may name paths, which are UTF-8).
// Row 50 ("I/O error while saving a bookmark") and what went wrong.
std::string BookmarkNotSavedText(int language, std::string_view reason);
// The view's renderer stopped while it showed path (or another page, when empty).
std::string RendererStoppedText(int language, std::string_view path);
// The print progress: the engine makes the pages, then a printer gets them one by one.
std::string PreparingPagesText(int language);
std::string PrintingPageText(int language, int page, int pages);
std::string CancelText(int language);
// Print while the view still loads the page.
std::string PageStillLoadingText(int language);
// Printing ended without the pages: why.
std::string PrintFailedText(int language, std::string_view reason);

// Source encodings, in UTF-8. The settings dialog's label and its "Auto" item.
std::string SourceEncodingLabelText(int language);
std::string AutoEncodingText(int language);
// Asked before a file that looks like no text is loaded; %s is its path.
std::string NotATextQuestionText(int language);
// The status line after Load: the encoding the text is read in, and whether it
// was told from the text or chosen in the settings.
std::string EncodingUsedText(int language, std::string_view name, bool detected);
// "Source encoding" names no encoding the program knows.
std::string UnknownEncodingText(int language, std::string_view value);

// The reader's menu entries and find bar, in UTF-8; "&" marks a mnemonic.
enum class TReaderText {
    ViewMenu,
    Contents,
    Find,
    ZoomIn,
    ZoomOut,
    ActualSize,
    RecentBooks,
    NoRecentBooks,
    FindPlaceholder,
    FindPrevious,
    FindNext,
    FindClose,
};
std::string ReaderText(int language, TReaderText which);
// The find bar's count: "3 of 12", or that nothing matches.
std::string MatchesText(int language, int active, int matches);
// The status line while a page is read: the paragraph at the top of the view, of
// how many, and the share read.
std::string PositionText(int language, std::int64_t paragraph, std::int64_t paragraphs);
// The menu caption of a row with its mnemonic: "&File", "&Файл".
std::string MenuCaption(int language, int row);

// The body of the style preview: a passage of Russian prose marked up as a page body.
std::string SampleText();

// The page shown when neither the page read last nor readme.html exists.
std::string NoReadmePage(std::string_view homePageAddress);

} // namespace verdask
