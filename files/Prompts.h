// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Everything the core asks of the user goes through this interface: the shell
// answers with real dialogs, the tests with scripted answers.

#include <cstdint>
#include <string>
#include <string_view>

namespace verdask {

// A file dialog as the program sets it up and reads it back. The program keeps
// these objects and changes their properties between uses (the save dialog's
// title during the overwrite question, the open dialog's filter for Read).
struct TFileDialog {
    std::string Title;
    std::string Filter;     // "Text files (*.txt)|*.txt|All files |*.*": name|pattern pairs
    std::string DefaultExt; // without the dot
    std::string InitialDir;
    std::string FileName;   // preset before, the chosen path after a confirmed dialog
};

// What the print dialog settled, for the printer the page goes to.
struct TPrintSettings {
    std::string PrinterName;    // empty: the default printer
    std::string OutputFileName; // set: print into this PDF file
    int Copies = 1;
    bool Landscape = false;
    int FromPage = 0; // 0 and 0: every page
    int ToPage = 0;
};

class Prompts {
public:
    Prompts() = default;
    Prompts(const Prompts&) = delete;
    Prompts& operator=(const Prompts&) = delete;
    virtual ~Prompts() = default;

    // A warning message box with a single OK button; returns when it is closed.
    virtual void ShowWarning(std::string_view caption, std::string_view text) = 0;
    // The general error report: the error's text in a message box.
    virtual void ShowError(std::string_view text) = 0;
    // A plain message box with OK.
    virtual void ShowMessage(std::string_view text) = 0;
    // A warning message box with Yes and No; true for Yes.
    virtual bool AskWarningYesNo(std::string_view caption, std::string_view text) = 0;
    // File dialogs: true when the user chose a file, whose path is then in FileName.
    virtual bool ExecuteOpenDialog(TFileDialog& dialog) = 0;
    virtual bool ExecuteSaveDialog(TFileDialog& dialog) = 0;
    // A confirmation box with OK and Cancel; true for OK.
    virtual bool AskConfirmation(std::string_view text) = 0;
    // The colour dialog, starting at rgb (red + 256 * green + 65536 * blue); true
    // when a colour was chosen, which is then in rgb.
    virtual bool ExecuteColorDialog(std::uint32_t& rgb) = 0;
    // The foreign-file dialog: 0 no backup, 1 a backup beside, 2 a backup under a
    // chosen name, 3 cancel; closing it without OK is 3.
    virtual int AskForeignChoice() = 0;
    // The print dialog with its defaults; true when the user chose to print.
    virtual bool ExecutePrintDialog(TPrintSettings& settings) = 0;
};

} // namespace verdask
