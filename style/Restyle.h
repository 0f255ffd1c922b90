// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Apply: a page written anew with another style, its body and footer kept.

#include "files/FileSystem.h"
#include "style/ViewStyle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace verdask {

// What the foreign-file dialog offers for a page of another program.
enum class TForeignChoice {
    NoBackup = 0,
    BackupBeside = 1, // the old page under BackupName
    BackupChosen = 2, // the old page under a name the user chooses
    Cancel = 3,
};

// What RestylePage asks: the choice for a page of another program, and the name
// of its backup copy (nothing: the save dialog was cancelled).
struct TRestyleQuestions {
    std::function<TForeignChoice()> AskForeignChoice;
    std::function<std::optional<std::string>()> AskBackupName;
};

struct TRestyleResult {
    int Code = 0;             // 0, or 6: the backup copy could not be made, and the page is as it was
    bool CloseEditor = false; // the style editor closes
    bool ShowPage = false;    // the restyled page is to be shown again
    std::string Reason;       // what went wrong, for a code
};

// The page path without its last character, followed by "_" (book.html: book.htm_).
std::string BackupName(std::string_view pagePath);

// Whether the line after the page's first line holding "<BODY" or "<body" is the
// header-end marker. Throws EInOutError.
bool IsRestylablePage(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

// Restyles the page: the new header, whose script line holds the bookmark of
// position (0: none), and the old body and footer are written beside it and take
// its place in one step (TFileReplacement); a backup of a page of another program
// is made before that. A page of another program keeps the whole of its text
// after its first body tag in any letter case (all of it without one), whatever
// its line ends, in windows-1251: a page in UTF-8, UTF-16, KOI8-R or CP866 is
// converted, with character references for what the code page lacks, and one
// in any other charset is refused with EInOutError before anything is asked. Cancelling changes no file. A backup that cannot be made is
// code 6, with the page as it was; any other failure throws EInOutError naming the
// page, which is then as it was.
TRestyleResult RestylePage(const std::string& pagePath, const TViewStyle& style, const TRestyleQuestions& questions,
                           std::int64_t position = 0, FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
