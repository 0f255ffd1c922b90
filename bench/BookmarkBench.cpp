// SPDX-License-Identifier: GPL-3.0-or-later
// Measures saving a reading position into a 50 MB page, when the position changed
// and when it did not, against copying the page with cp, and with cp and sync:
// the saved page is flushed to the disk before it takes the page's place.
// Prints figures only.

#include "BenchSupport.h"
#include "config/Conf.h"
#include "conversion/Bookmark.h"
#include "conversion/ConvertAndSave.h"
#include "conversion/Source.h"
#include "style/ViewStyle.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "verdask-bookmark-bench";
    fs::create_directories(folder);
    const std::string book = (folder / "book.txt").string();
    const std::string page = (folder / "book.html").string();
    verdask::bench::MakeOrdinaryBook(book, 50u * 1000 * 1000);
    verdask::TConf conf;
    conf.SetDefaults();
    verdask::TSourceState source;
    source.SourcePath = book;
    source.IndentWidth = 5;
    verdask::WritePage(page, conf, source, verdask::TViewStyle{}, {});
    fs::remove(book);

    const std::string copyPath = (folder / "copy.html").string();
    const auto copy = verdask::bench::Best(5, {"cp", page, copyPath});
    const auto syncedCopy = verdask::bench::Best(
        5, {"sh", "-c", "cp \"$1\" \"$2\" && sync \"$2\" \"$3\"", "sh", page, copyPath, folder.string()},
        "/dev/null", copyPath);
    double changed = 1e30;
    double unchanged = 1e30;
    for (int run = 1; run <= 5; ++run) {
        changed = std::min(changed, verdask::bench::SecondsOf([&] { verdask::SaveBookmark(page, 10 * run + 3); }));
        unchanged = std::min(unchanged, verdask::bench::SecondsOf([&] { verdask::SaveBookmark(page, 10 * run + 3); }));
    }
    std::printf("saving a reading position, %.1f MiB page\n", verdask::bench::MiB(page));
    std::printf("  cp                  %8.3f s\n", copy.Seconds);
    std::printf("  cp and sync         %8.3f s   (the same durability as the save)\n", syncedCopy.Seconds);
    std::printf("  position changed    %8.3f s   %.2f times cp and sync (target at most 1.5), %.2f times cp\n",
                changed, changed / syncedCopy.Seconds, changed / copy.Seconds);
    std::printf("  position unchanged  %8.3f s   %.2f times cp (the page is not rewritten)\n", unchanged,
                unchanged / copy.Seconds);
    fs::remove_all(folder);
    return 0;
}
