#pragma once

// Apply: a page written anew with another style, its body and footer kept.

#include "files/FileSystem.h"
#include "style/ViewStyle.h"

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
    int Code = 0;             // 0, or the failure codes 1 to 6 the user is told of
    bool CloseEditor = false; // the style editor closes
    bool ShowPage = false;    // the restyled page is to be shown again
};

// The page path without its last character, followed by "_" (book.html: book.htm_).
std::string BackupName(std::string_view pagePath);

// Whether the line after the page's first line holding "<BODY" or "<body" is the
// header-end marker. Throws EInOutError.
bool IsRestylablePage(const std::string& pagePath, FileSystem& fileSystem = PlatformFileSystem());

// Restyles the page through "VerdaskTemp._a_" beside it. Failures the user is told
// of by number are codes; any other input/output failure while the old page exists
// only in the temporary file puts it back at the page's path before EInOutError
// goes on, so no page is lost.
TRestyleResult RestylePage(const std::string& pagePath, const TViewStyle& style, const TRestyleQuestions& questions,
                           FileSystem& fileSystem = PlatformFileSystem());

} // namespace verdask
