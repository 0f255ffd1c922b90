// SPDX-License-Identifier: GPL-3.0-or-later
// Prints a page into a PDF as the window's Print does, and tells how long it took,
// how large the PDF is, and how long the window's event loop went without a turn
// meanwhile (the window must stay alive). Prints figures only.

#include "BenchSupport.h"
#include "files/Prompts.h"
#include "shell/Application.h"
#include "shell/Reader.h"
#include "shell/WebView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace {

namespace fs = std::filesystem;

class TSilentPrompts final : public verdask::Prompts {
public:
    void ShowWarning(std::string_view, std::string_view) override {}
    void ShowError(std::string_view text) override { std::cerr << "error: " << text << '\n'; }
    void ShowMessage(std::string_view) override {}
    bool AskWarningYesNo(std::string_view, std::string_view) override { return false; }
    bool ExecuteOpenDialog(verdask::TFileDialog&) override { return false; }
    bool ExecuteSaveDialog(verdask::TFileDialog&) override { return false; }
    bool ExecutePrintDialog(verdask::TPrintSettings&) override { return false; }
    bool AskConfirmation(std::string_view) override { return false; }
    int AskForeignChoice() override { return 3; }
    bool ExecuteColorDialog(std::uint32_t&) override { return false; }
};

// Runs the event loop until done holds; the longest time between two turns of a
// 10 ms timer is the longest the window would have stood still.
qint64 RunUntil(const std::function<bool()>& done)
{
    QElapsedTimer sinceTurn;
    sinceTurn.start();
    qint64 longest = 0;
    QTimer turns;
    QObject::connect(&turns, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTurn.restart());
    });
    turns.start(10);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return longest;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: print_bench VERDASK-CONVERT FOLDER [TEXT]\n";
        return 2;
    }
    verdask::PrepareApplication(true);
    QApplication application(argc, argv);

    const std::string converter = argv[1];
    const fs::path folder = argv[2];
    fs::create_directories(folder);
    std::string text = argc > 3 ? argv[3] : (folder / "print-book.txt").string();
    if (argc <= 3)
        verdask::bench::MakeOrdinaryBook(text, 2500u * 1000);
    const std::string page = (folder / "print-book.html").string();
    const std::string pdf = (folder / "print-book.pdf").string();
    verdask::bench::RunCommand({converter, "--force", "--out", page, text});

    TSilentPrompts prompts;
    verdask::TReader reader(prompts);
    reader.resize(800, 600);
    reader.show();
    bool loaded = false;
    QObject::connect(reader.View(), &verdask::TWebView::LoadFinished, [&](bool) { loaded = true; });
    reader.ShowPage(page);
    RunUntil([&] { return loaded; });

    QElapsedTimer clock;
    clock.start();
    reader.Print(std::make_unique<QPrinter>(QPrinter::HighResolution), pdf);
    const qint64 stillest = RunUntil([&] { return !reader.Printing(); });
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;

    std::printf("printing a %.1f MiB page into a PDF\n", verdask::bench::MiB(page));
    std::printf("  time             %8.1f s\n", seconds);
    std::printf("  PDF              %8.1f MiB\n", verdask::bench::MiB(pdf));
    std::printf("  window still for %8lld ms at most (target: never more than 250 ms)\n",
                static_cast<long long>(stillest));
    fs::remove(page);
    fs::remove(pdf);
    if (argc <= 3)
        fs::remove(text);
    return 0;
}
