// SPDX-License-Identifier: GPL-3.0-or-later
// Measures a conversion in the window, with its pending-events pump and progress
// bar, against verdask-convert on the same book. Prints figures only.

#include "BenchSupport.h"
#include "files/Prompts.h"
#include "shell/Application.h"
#include "shell/MainWindow.h"

#include <QAction>
#include <QApplication>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>


namespace {

namespace fs = std::filesystem;

// Chooses the book in the open dialog and says Yes to replacing its page.
class TBenchPrompts final : public verdask::Prompts {
public:
    explicit TBenchPrompts(std::string book) : book_(std::move(book)) {}
    void ShowWarning(std::string_view, std::string_view) override {}
    void ShowError(std::string_view text) override { std::cerr << "error: " << text << '\n'; }
    void ShowMessage(std::string_view) override {}
    bool AskWarningYesNo(std::string_view, std::string_view) override { return true; }
    bool ExecuteOpenDialog(verdask::TFileDialog& dialog) override
    {
        dialog.FileName = book_;
        return true;
    }
    bool ExecuteSaveDialog(verdask::TFileDialog&) override { return false; }
    bool ExecutePrintDialog(verdask::TPrintSettings&) override { return false; }
    bool AskConfirmation(std::string_view) override { return false; }
    int AskForeignChoice() override { return 3; }
    bool ExecuteColorDialog(std::uint32_t&) override { return false; }

private:
    std::string book_;
};


} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: window_bench VERDASK-CONVERT [FOLDER]\n";
        return 2;
    }
    verdask::PrepareApplication(true);
    QApplication application(argc, argv);

    const std::string converter = argv[1];
    const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "verdask-window-bench";
    fs::create_directories(folder);
    const std::string book = (folder / "book.txt").string();
    verdask::bench::MakeOrdinaryBook(book, 100u * 1000 * 1000);

    // Both write a new page each run: replacing one costs the same in both.
    const std::string page = (folder / "book.html").string();
    const auto command = verdask::bench::Best(3, {converter, book}, "/dev/null", page);
    TBenchPrompts prompts(book);
    double window = 1e30;
    {
        verdask::TMainWindow mainWindow((folder / "verdask").string(), prompts);
        for (int run = 0; run < 3; ++run) {
            fs::remove(page);
            mainWindow.LoadText();
            window = std::min(window, verdask::bench::SecondsOf([&] { mainWindow.ConvertText(); }));
        }
    }
    std::printf("conversion in the window, %.1f MiB book\n", verdask::bench::MiB(book));
    std::printf("  verdask-convert  %8.3f s\n", command.Seconds);
    std::printf("  window           %8.3f s   %+.0f%% (target at most +20%%)\n", window,
                100.0 * (window / command.Seconds - 1.0));
    fs::remove_all(folder);
    return 0;
}
