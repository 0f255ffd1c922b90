// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the export of books to EPUB and FictionBook with verdask-convert: from
// the page and from the text, against converting the text into its page, on
// books of a quarter and of the whole of 100 MB, so that time a megabyte shows
// whether it grows with the book. Prints figures only.
//   export_bench VERDASK-CONVERT [FOLDER [TEXT...]]

#include "BenchSupport.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

using namespace verdask::bench;
namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: export_bench VERDASK-CONVERT [FOLDER [TEXT...]]\n";
        return 2;
    }
    const std::string converter = argv[1];
    const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "verdask-bench";
    fs::create_directories(folder);
    const std::vector<std::string> texts =
        TextsOrMadeBooks(argc, argv, folder.string(),
                         {{"export-2mb.txt", 2300u * 1000}, {"export-25mb.txt", 25u * 1000 * 1000},
                          {"export-100mb.txt", 100u * 1000 * 1000}});
    std::printf("%-22s %8s %9s %9s %9s %9s %9s %11s\n", "book", "MiB", "page", "epub", "fb2", "text>epub",
                "ms/MiB", "peak MiB");
    for (const std::string& text : texts) {
        const std::string page = (folder / "export.html").string();
        const std::string epub = (folder / "export.epub").string();
        const std::string fb2 = (folder / "export.fb2").string();
        const TRunFigures convert = Best(3, {converter, "-f", "-o", page, text});
        const TRunFigures toEpub = Best(3, {converter, "-f", "-t", "epub", "-o", epub, page});
        const TRunFigures toFb2 = Best(3, {converter, "-f", "-t", "fb2", "-o", fb2, page});
        const TRunFigures textToEpub = Best(3, {converter, "-f", "-t", "epub", "-o", epub, text});
        const double mib = MiB(text);
        const long peak = std::max({toEpub.PeakKiB, toFb2.PeakKiB, textToEpub.PeakKiB});
        std::printf("%-22s %8.1f %8.3fs %8.3fs %8.3fs %8.3fs %9.1f %11.1f\n",
                    fs::path(text).filename().string().c_str(), mib, convert.Seconds, toEpub.Seconds,
                    toFb2.Seconds, textToEpub.Seconds, 1000.0 * toEpub.Seconds / mib,
                    static_cast<double>(peak) / 1024.0);
        fs::remove(page);
        fs::remove(epub);
        fs::remove(fb2);
    }
    std::printf("page: text into its page; epub, fb2: the page into a book; text>epub: the text into a book\n"
                "ms/MiB: the page into an EPUB, a megabyte of text (steady when the time is linear)\n");
}
