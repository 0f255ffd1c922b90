// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/Prompts.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace verdask::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
public:
    TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    ~TTempDir();

    const std::filesystem::path& Path() const { return path_; }
    // The path of name inside the folder, as the core takes paths.
    std::string File(std::string_view name) const;

private:
    std::filesystem::path path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);
// Text in the encoding to, from the encoding from, as iconv makes it ("KOI8-R//IGNORE"
// leaves out what KOI8-R lacks). Throws std::runtime_error for what does not fit.
std::string Recoded(std::string_view text, const char* from, const char* to);
// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);

// The names in a folder that start with "VerdaskTemp.", sorted.
std::vector<std::string> TemporaryFilesIn(const std::filesystem::path& folder);
// Removes them, so that a test can go on after one was left on purpose.
void RemoveTemporaryFiles(const std::filesystem::path& folder);

// A disk that is full after a number of bytes in any one file, for as long as
// it lives: writes beyond it fail with EFBIG, for root too (RLIMIT_FSIZE).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(std::uint64_t bytes);
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    ~TFileSizeLimit();

private:
    std::uint64_t soft_ = 0;
    void (*formerHandler_)(int) = nullptr;
};

// Lines joined with CR LF after each, as the program writes text files.
std::string CrLfLines(const std::vector<std::string>& lines);

// Answers the program's questions from a script and records what it was shown.
// A dialog answer is a path to choose, or nothing to cancel; a question not in
// the script fails the test.
class TScriptedPrompts : public Prompts {
public:
    struct Shown {
        std::string Caption;
        std::string Text;
    };

    void ShowWarning(std::string_view caption, std::string_view text) override;
    void ShowError(std::string_view text) override { Errors.emplace_back(text); }
    void ShowMessage(std::string_view text) override { Messages.emplace_back(text); }
    bool AskWarningYesNo(std::string_view caption, std::string_view text) override;
    bool ExecuteOpenDialog(TFileDialog& dialog) override;
    bool ExecuteSaveDialog(TFileDialog& dialog) override;
    // Prints into PrintTo when it is set, else cancels.
    bool ExecutePrintDialog(TPrintSettings& settings) override;
    bool AskConfirmation(std::string_view text) override;
    bool ExecuteColorDialog(std::uint32_t& rgb) override;
    std::deque<std::optional<std::uint32_t>> ColorAnswers;
    int AskForeignChoice() override;
    std::deque<int> ForeignAnswers;
    std::string PrintTo;

    std::deque<std::optional<std::string>> DialogAnswers;
    std::deque<bool> YesNoAnswers;

    std::vector<Shown> Warnings;
    std::vector<std::string> Errors;
    std::vector<std::string> Messages;
    std::vector<Shown> Questions;
    std::vector<TFileDialog> OpenDialogsShown; // each as it stood when shown
    std::vector<TFileDialog> SaveDialogsShown;

private:
    bool AnswerDialog(TFileDialog& dialog);
};

} // namespace verdask::test
