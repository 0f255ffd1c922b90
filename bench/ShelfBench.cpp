// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the bookshelf's scan: 1,000 pages of War and Peace's size (2.5 MB), each
// read to another place, a folder of them scanned in the process and by
// verdask-convert --progress, cold pages aside (the page cache holds them). Prints
// figures only.
//   shelf_bench VERDASK-CONVERT [FOLDER]

#include "BenchSupport.h"
#include "config/Conf.h"
#include "conversion/Bookmark.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Shelf.h"
#include "conversion/Source.h"
#include "style/ViewStyle.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace verdask;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: shelf_bench VERDASK-CONVERT [FOLDER]\n";
        return 2;
    }
    constexpr int Pages = 1000;
    const fs::path base = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "verdask-bench";
    const fs::path folder = base / "shelf";
    fs::create_directories(folder);
    const std::string book = (base / "shelf-book.txt").string();
    bench::MakeOrdinaryBook(book, 2500u * 1000);
    TConf conf;
    conf.SetDefaults();
    TSourceState source;
    source.SourcePath = book;
    source.IndentWidth = 5;
    const std::string first = (folder / "book0000.html").string();
    WritePage(first, conf, source, TViewStyle{}, {});
    const std::int64_t paragraphs = LastParagraph(first);
    for (int page = 1; page < Pages; ++page) {
        char name[32];
        std::snprintf(name, sizeof name, "book%04d.html", page);
        const fs::path path = folder / name;
        if (!fs::exists(path))
            fs::copy_file(first, path);
        SaveBookmark(path.string(), paragraphs * page / Pages);
    }
    std::size_t found = 0;
    double inProcess = 1e30;
    for (int run = 0; run < 5; ++run)
        inProcess = std::min(inProcess, bench::SecondsOf([&] { found = ScanShelf({folder.string()}).size(); }));
    const bench::TRunFigures cli = bench::Best(5, {argv[1], "--progress", folder.string()});
    std::printf("bookshelf scan, %zu pages of %.1f MiB each\n", found, bench::MiB(first));
    std::printf("  in the process             %8.3f s   %.0f us a page\n", inProcess, 1e6 * inProcess / Pages);
    std::printf("  verdask-convert --progress %8.3f s   peak %.1f MiB\n", cli.Seconds,
                static_cast<double>(cli.PeakKiB) / 1024.0);
}
