// SPDX-License-Identifier: GPL-3.0-or-later
// Times the measure of the reading position, the one call to the view that finds
// the paragraph at the top, with a book's page scrolled to its middle: the first
// measure after the page has loaded, which lists the page's paragraphs, and the
// usual one after it. Prints figures only.

#include "BenchSupport.h"
#include "shell/Application.h"
#include "shell/WebView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return true;
}

double Milliseconds(const std::function<void()>& work)
{
    return verdask::bench::SecondsOf(work) * 1000;
}

// False when the view gave up: its renderer stopped (a page too large for its
// memory) or it took longer than ten minutes.
bool Load(verdask::TWebView& view, const std::string& page)
{
    bool loaded = false;
    bool stopped = false;
    const auto connection = QObject::connect(&view, &verdask::TWebView::LoadFinished, [&](bool ok) { loaded = ok; });
    const auto stop = QObject::connect(&view, &verdask::TWebView::RendererStopped, [&] { stopped = true; });
    view.NavigateToFile(page);
    const bool done = WaitFor([&] { return loaded || stopped; }, 600000) && loaded;
    QObject::disconnect(connection);
    QObject::disconnect(stop);
    return done;
}

void ScrollToTheMiddle(verdask::TWebView& view)
{
    bool done = false;
    view.View()->page()->runJavaScript("window.scrollTo(0, document.body.scrollHeight / 2)",
                                       [&](const QVariant&) { done = true; });
    WaitFor([&] { return done; }, 60000);
}

void MeasureOn(verdask::TWebView& view, const std::string& page)
{
    QElapsedTimer load;
    load.start();
    if (!Load(view, page)) {
        std::printf("  %-28s %7.1f MiB  the view could not show the page\n", fs::path(page).filename().c_str(),
                    verdask::bench::MiB(page));
        return;
    }
    const double loadSeconds = load.elapsed() / 1000.0;
    ScrollToTheMiddle(view);
    verdask::TWebView::TPlace place;
    const double first = Milliseconds([&] { place = view.MeasurePlace(60000); });
    std::vector<double> times;
    for (int run = 0; run < 21; ++run)
        times.push_back(Milliseconds([&] { place = view.MeasurePlace(60000); }));
    std::sort(times.begin(), times.end());
    std::printf("  %-28s %7.1f MiB  loaded in %6.1f s  paragraph %lld at the top\n"
                "  %-28s first measure %7.2f ms, then min %6.2f ms, median %6.2f ms, max %6.2f ms\n",
                fs::path(page).filename().c_str(), verdask::bench::MiB(page), loadSeconds,
                static_cast<long long>(place.Anchor), "", first, times.front(), times[times.size() / 2], times.back());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: measure_bench VERDASK-CONVERT FOLDER [TEXT...]\n"
                     "  without texts: books of 2.5 MB, 50 MB and 100 MB, made for it\n";
        return 2;
    }
    verdask::PrepareApplication(true);
    QApplication application(argc, argv);
    const std::string converter = argv[1];
    const fs::path folder = argv[2];
    fs::create_directories(folder);
    const std::vector<std::string> texts = verdask::bench::TextsOrMadeBooks(
        argc, argv, folder.string(),
        {{"measure-2.5MB.txt", 2500u * 1000}, {"measure-50MB.txt", 50u * 1000 * 1000},
         {"measure-100MB.txt", 100u * 1000 * 1000}});
    verdask::TWebView view;
    view.resize(800, 600);
    view.show();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("the reading position's measure, at the middle of each book\n");
    for (const std::string& text : texts) {
        const std::string page = (folder / fs::path(text).stem()).string() + "-measure.html";
        verdask::bench::RunCommand({converter, "--force", "--out", page, text});
        MeasureOn(view, page);
        fs::remove(page);
    }
    return 0;
}
