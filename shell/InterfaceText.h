// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The interface texts of the program in Russian and in English, and the texts
// the window keeps for other parts: the style preview's sample and the page
// shown when no readme exists. Every text is windows-1251, like all of the
// program's text.

#include "conversion/Layout.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

inline constexpr int InterfaceRowCount = 53;
inline constexpr int RussianColumn = 0;
inline constexpr int EnglishColumn = 1;

// The rows by what they show, in the table's order (its numbers are fixed).
namespace Row {
inline constexpr int MainCaption = 0;
inline constexpr int File = 1;
inline constexpr int Language = 2;
inline constexpr int Settings = 3;
inline constexpr int Exit = 4;
inline constexpr int Help = 5;
inline constexpr int ViewReadme = 6;
inline constexpr int About = 7;
inline constexpr int IndentWidthLabel = 8;
inline constexpr int DetectIndentLabel = 9;
inline constexpr int NbspCountLabel = 10;
inline constexpr int ReplaceDoubleDash = 11;
inline constexpr int ReplaceLeadingDash = 12;
inline constexpr int SameDirectory = 13;
inline constexpr int Save = 14;
inline constexpr int Cancel = 15;
inline constexpr int Setup = 16;
inline constexpr int Load = 17;
inline constexpr int Convert = 18;
inline constexpr int LoadAndConvert = 19;
inline constexpr int Print = 20;
inline constexpr int Read = 21;
inline constexpr int Style = 22;
inline constexpr int IoErrorCode = 23;
inline constexpr int ForeignPageWarning = 24;
inline constexpr int BackupTitle = 25;
inline constexpr int NoBackup = 26;
inline constexpr int BackupBeside = 27;
inline constexpr int BackupChosen = 28;
inline constexpr int CancelRestyle = 29;
inline constexpr int StyleMenuButton = 30;
inline constexpr int Apply = 31;
inline constexpr int MakeDefault = 32;
inline constexpr int ChooseFolder = 33;
inline constexpr int FontHint = 34;
inline constexpr int FontSizeHint = 35;
inline constexpr int FontColorHint = 36;
inline constexpr int LineHeightHint = 37;
inline constexpr int LetterSpacingHint = 38;
inline constexpr int BackColorHint = 39;
inline constexpr int StyleEditorTitle = 40;
inline constexpr int VersionLine = 41;
inline constexpr int CreditLine = 42;
inline constexpr int MakeDefaultQuestion = 43;
inline constexpr int ChooseTextTitle = 44;
inline constexpr int ChoosePageTitle = 45;
inline constexpr int ApplicationTitle = 46;
inline constexpr int UseDefault = 47;
inline constexpr int JustificationHint = 48;
inline constexpr int TextWidthHint = 49;
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
// The settings' paragraph layouts: the label and each choice.
std::string ParagraphsLabelText(int language);
std::string LayoutText(int language, TParagraphLayout layout);
// The label of the preview's choice of layout for the loaded text alone.
std::string BookLayoutLabelText(int language);
// The layout a loaded text is read in, for the status line.
std::string LayoutUsedText(int language, TParagraphLayout layout, bool detected);
// How many temporary files of stopped runs were removed from a folder.
std::string RemovedTemporaryFilesText(int language, int count, std::string_view folder);

// The settings file could not be read, or holds no setting: the defaults are used
// and the file is left as it is. UTF-8, as the path is.
std::string SettingsKeptText(int language, std::string_view path);
// The settings file is empty: the defaults are used.
std::string EmptySettingsText(int language, std::string_view path);
// A setting that is no whole number: which key of which file, and that its
// default is used. UTF-8, as the path is.
std::string BadSettingText(int language, std::string_view key, std::string_view file);
// The style editor could not read the shown page's style: why. UTF-8.
std::string PageStyleUnreadableText(int language, std::string_view reason);
// A save dialog chose a file that exists. UTF-8, as the path is.
std::string ReplaceFileQuestion(int language, std::string_view path);

// File > Export: the save dialog's title for a format ("EPUB"), and the status
// line once the book is written. UTF-8, as the path is.
std::string ExportTitleText(int language, std::string_view format);
std::string ExportedText(int language, std::string_view path);

// The reader's texts beyond the table, in UTF-8 (they may name paths, which are UTF-8).
// Row 50 ("I/O error while saving a bookmark") and what went wrong.
std::string BookmarkNotSavedText(int language, std::string_view reason);
// The view's renderer stopped while it showed path (or another page, when empty).
std::string RendererStoppedText(int language, std::string_view path);
// Asked before a page of size bytes is shown: the memory the view needs for it.
// UTF-8, as the path is.
std::string LargePageQuestion(int language, std::string_view path, std::uintmax_t size);
// A file named to the program (on its command line) is not there.
std::string MissingFileText(int language, std::string_view path);
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
// "Theme" names no theme of the reader.
std::string UnknownThemeText(int language, std::string_view value);

// The reader's texts beside its menu entries (Commands.cpp), in UTF-8.
enum class TReaderText {
    NoRecentBooks,
    FindPlaceholder,
    FindPrevious,
    FindNext,
    FindClose,
    GoToPlaceholder,
    GoToHint,
};
std::string ReaderText(int language, TReaderText which);
// The find bar's count: "3 of 12", or that nothing matches.
std::string MatchesText(int language, int active, int matches);
// Told beside the count when a find went on past the end of the page from its
// top (or, backwards, past its top from its end).
std::string FindWrappedText(int language, bool backward);
// The status line while a page is read: the paragraph at the top of the view, of
// how many, and the share read.
std::string PositionText(int language, std::int64_t paragraph, std::int64_t paragraphs);

// File > Bookshelf, in UTF-8: the dialog's title, its controls with their
// mnemonics, its columns, and how far a book has been read.
enum class TShelfText {
    Title,
    Folders,
    AddFolder,
    RemoveFolder,
    Subfolders,
    Filter,
    Stop,
    Open,
    Close,
    TitleColumn,
    ProgressColumn,
    DateColumn,
    FolderColumn,
    NotStarted,
    Finished,
    NoFolders,
};
std::string ShelfText(int language, TShelfText which);
// The shelf's count of the books found so far, while the scan goes on, once it
// was stopped, or once it is done.
enum class TShelfScanState { Scanning, Stopped, Done };
std::string FoundBooksText(int language, std::size_t books, TShelfScanState state);

// The body of the style preview: a passage of Russian prose marked up as a page body.
std::string SampleText();

// The page shown when neither the page read last nor readme.html exists.
std::string NoReadmePage(std::string_view homePageAddress);

} // namespace verdask
