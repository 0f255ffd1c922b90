// SPDX-License-Identifier: GPL-3.0-or-later
// Measures verdask-convert on a large ordinary book against copying it with cat,
// and on texts whose one long line is each rule's worst case, each writing a new
// page, then replacing an existing page against cat over its old copy. Every page
// is flushed to the disk before it takes its place, so the cost of that safety is
// measured against cat followed by sync, which makes a copy as durable. Prints
// figures only.

#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <string>
#include <vector>

using namespace verdask::bench;
namespace fs = std::filesystem;

namespace {

bool SameBytes(const std::string& one, const std::string& other)
{
    std::ifstream a(one, std::ios::binary);
    std::ifstream b(other, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: convert_bench VERDASK-CONVERT [FOLDER]\n";
        return 2;
    }
    const std::string converter = argv[1];
    const fs::path folder = argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "verdask-bench";
    fs::create_directories(folder);

    const std::string book = (folder / "book.txt").string();
    MakeOrdinaryBook(book, 100u * 1000 * 1000);
    const double bookMiB = MiB(book);
    const std::string copy = (folder / "copy.txt").string();
    const std::string page = (folder / "book.html").string();
    // New files each run; replacing one is measured apart, below.
    const TRunFigures cat = Best(3, {"cat", book}, copy, copy);
    const TRunFigures convert = Best(3, {converter, book}, "/dev/null", page);
    const TRunFigures replace = Best(3, {converter, "--force", book});
    const TRunFigures catOver = Best(3, {"cat", book}, copy);
    // The copy and its folder flushed, as a page and its folder are.
    const std::vector<std::string> durableCat = {"sh", "-c", "cat \"$1\" > \"$2\" && sync \"$2\" \"$3\"", "sh",
                                                 book, copy, folder.string()};
    const TRunFigures syncedCat = Best(3, durableCat, "/dev/null", copy);
    const TRunFigures syncedCatOver = Best(3, durableCat);
    std::printf("ordinary book      %8.1f MiB\n", bookMiB);
    std::printf("  cat              %8.3f s\n", cat.Seconds);
    std::printf("  verdask-convert  %8.3f s   %.2f times cat (target at most 4)\n", convert.Seconds,
                convert.Seconds / cat.Seconds);
    std::printf("  replacing the page %6.3f s   %.2f times cat over its old copy\n", replace.Seconds,
                replace.Seconds / catOver.Seconds);
    std::printf("  the cost of safety, against cat and sync (the same durability; target at most 1.5)\n");
    std::printf("    into a new page      %6.3f s   cat and sync %6.3f s   %.2f times\n", convert.Seconds,
                syncedCat.Seconds, convert.Seconds / syncedCat.Seconds);
    std::printf("    over its old page    %6.3f s   cat and sync %6.3f s   %.2f times\n", replace.Seconds,
                syncedCatOver.Seconds, replace.Seconds / syncedCatOver.Seconds);
    std::printf("  peak memory      %8.1f MiB (target under 16)\n", static_cast<double>(convert.PeakKiB) / 1024.0);
    const double bookPerMiB = convert.Seconds / bookMiB;
    std::printf("  time per MiB     %8.2f ms\n", 1000.0 * bookPerMiB);
    fs::remove(folder / "copy.txt");

    // The same book in every other encoding: decoding on the way must cost little
    // and hold no more memory. Its own folder, so that its page has the same name
    // and so the same title.
    struct Encoded {
        const char* Name;
        const char* Iconv;
        double Target; // against the windows-1251 book
    };
    const Encoded encodings[] = {{"UTF-8", "UTF-8", 1.5},
                                 {"KOI8-R", "KOI8-R//TRANSLIT", 1.5},
                                 {"CP866", "CP866//TRANSLIT", 1.5},
                                 {"UTF-16", "UTF-16", 2.0}};
    for (const auto& encoding : encodings) {
        fs::create_directories(folder / "encoded");
        const std::string encodedBook = (folder / "encoded" / "book.txt").string();
        RunCommand({"iconv", "-f", "CP1251", "-t", encoding.Iconv, book}, encodedBook);
        const std::string encodedPage = (folder / "encoded" / "book.html").string();
        const TRunFigures run = Best(3, {converter, encodedBook}, "/dev/null", encodedPage);
        std::printf("the book in %-7s%8.1f MiB\n", encoding.Name, MiB(encodedBook));
        std::printf("  verdask-convert  %8.3f s   %.2f times the windows-1251 book (target at most %.1f)\n",
                    run.Seconds, run.Seconds / convert.Seconds, encoding.Target);
        std::printf("  peak memory      %8.1f MiB, the windows-1251 book %.1f MiB\n",
                    static_cast<double>(run.PeakKiB) / 1024.0, static_cast<double>(convert.PeakKiB) / 1024.0);
        std::printf("  the same page    %8s\n", SameBytes(page, encodedPage) ? "yes" : "no (characters the code page lacks)");
        fs::remove_all(folder / "encoded");
    }

    // The contents are read from the page a line at a time.
    const TRunFigures contents = Best(3, {converter, "--contents", page});
    std::printf("contents of the book's page   %6.3f s   peak %.1f MiB\n", contents.Seconds,
                static_cast<double>(contents.PeakKiB) / 1024.0);
    fs::remove(folder / "book.html");

    struct LongLine {
        const char* name;
        const char* piece;
    };
    const LongLine cases[] = {
        {"dashes", "-"}, {"x_", "x_"}, {"&#9552;", "&#9552;"}, {"blanks", " "}};
    std::printf("one 20 MB line     time per MiB, against the ordinary book (target at most 2)\n");
    for (const auto& c : cases) {
        const std::string path = (folder / "long.txt").string();
        MakeLongLineText(path, c.piece, 20u * 1000 * 1000);
        const TRunFigures run = Best(3, {converter, path}, "/dev/null", (folder / "long.html").string());
        const double perMiB = run.Seconds / MiB(path);
        std::printf("  %-8s          %8.2f ms   %.2f times   peak %.1f MiB\n", c.name, 1000.0 * perMiB,
                    perMiB / bookPerMiB, static_cast<double>(run.PeakKiB) / 1024.0);
    }
    fs::remove_all(folder);
    return 0;
}
