// SPDX-License-Identifier: GPL-3.0-or-later
// The restyle of a page: a page of this program afterwards is the new head
// followed by its lines after its header end, every body byte kept; a page of
// another program in ASCII keeps every byte after its body tag, or is left as it
// was when it declares a charset the program does not read; a backup holds the
// old page byte for byte; a cancelled restyle leaves the page as it was; a page
// of this program is never asked about; and nothing is left behind.

#include "FuzzSupport.h"
#include "files/Errors.h"
#include "style/PageFrame.h"
#include "style/Restyle.h"
#include "support/TextFileReference.h"

#include <algorithm>
#include <filesystem>

using namespace verdask;

namespace {

void RemoveIfThere(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::TInput input(data, size);
    const std::uint8_t flags = input.Byte();
    const bool ownPage = (flags & 1) != 0;
    const auto choice = static_cast<TForeignChoice>(flags >> 1 & 3);
    const bool backupDialogCancelled = (flags & 8) != 0;
    const TViewStyle style = fuzz::StyleFrom(input);

    const std::string path = fuzz::File("book.html");
    const std::string chosen = fuzz::File("chosen.bak");
    const std::string beside = BackupName(path);
    RemoveIfThere(chosen);
    RemoveIfThere(beside);
    const std::string old = (ownPage ? PageHeaderText(path, TViewStyle{}) : std::string()) + std::string(input.Rest());
    fuzz::Write(path, old);
    const bool restylable = IsRestylablePage(path);
    if (ownPage)
        fuzz::Require(restylable);

    bool asked = false;
    TRestyleQuestions questions;
    questions.AskForeignChoice = [&] {
        asked = true;
        return choice;
    };
    questions.AskBackupName = [&]() -> std::optional<std::string> {
        if (backupDialogCancelled)
            return std::nullopt;
        return chosen;
    };
    TRestyleResult result;
    try {
        result = RestylePage(path, style, questions);
    } catch (const EInOutError&) {
        // A charset the program does not read: refused before anything is asked.
        fuzz::Require(!restylable && !asked && fuzz::Read(path) == old && fuzz::NoTemporaryFiles());
        return 0;
    }

    fuzz::Require(result.Code == 0);
    fuzz::Require(asked == !restylable);
    fuzz::Require(fuzz::NoTemporaryFiles());
    const bool cancelled = !restylable && (choice == TForeignChoice::Cancel ||
                                           (choice == TForeignChoice::BackupChosen && backupDialogCancelled));
    if (cancelled) {
        fuzz::Require(fuzz::Read(path) == old);
        fuzz::Require(!result.CloseEditor && !result.ShowPage);
        return 0;
    }
    fuzz::Require(result.CloseEditor && result.ShowPage);
    const std::string header = PageHeaderText(path, style);
    const std::string now = fuzz::Read(path);
    const bool ascii = std::all_of(old.begin(), old.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (restylable)
        fuzz::Require(now == test::ReferenceRestyle(old, header));
    else if (ascii)
        fuzz::Require(now == test::ReferenceForeignRestyle(old, header));
    else
        fuzz::Require(now.starts_with(header));
    const bool besideKept = !restylable && choice == TForeignChoice::BackupBeside;
    const bool chosenKept = !restylable && choice == TForeignChoice::BackupChosen;
    fuzz::Require(std::filesystem::exists(beside) == besideKept);
    fuzz::Require(std::filesystem::exists(chosen) == chosenKept);
    if (besideKept)
        fuzz::Require(fuzz::Read(beside) == old);
    if (chosenKept)
        fuzz::Require(fuzz::Read(chosen) == old);
    return 0;
}
