// SPDX-License-Identifier: GPL-3.0-or-later
// Times the reader's hyphenation of a justified book's page: from the page's
// load to the soft hyphens of the first screen, and to those of its last
// paragraph, put in the background. Prints figures only.

#include "BenchSupport.h"
#include "shell/Application.h"
#include "shell/QtPrompts.h"
#include "shell/Reader.h"
#include "shell/WebView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What a script gives in the shown page, once the view answers.
QVariant Evaluated(verdask::TWebView& view, const QString& script)
{
    QVariant value;
    bool answered = false;
    view.View()->page()->runJavaScript(script, [&](const QVariant& result) {
        value = result;
        answered = true;
    });
    while (!answered)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return value;
}

// Whether paragraph anchor's text holds a soft hyphen yet.
bool Hyphenated(verdask::TWebView& view, const QString& anchor)
{
    return Evaluated(view, QStringLiteral("(function () { var a = document.getElementsByName('%1')[0];"
                                          " return !!a && a.textContent.indexOf('\\u00AD') >= 0; })()")
                               .arg(anchor))
        .toBool();
}

// The page's last paragraph anchor.
QString LastAnchor(verdask::TWebView& view)
{
    return Evaluated(view, "(function () { var all = document.querySelectorAll('a[name^=\"a\"]');"
                           " return all.length ? all[all.length - 1].name : ''; })()")
        .toString();
}

void TimeOn(verdask::TReader& reader, const std::string& page)
{
    verdask::TWebView& view = *reader.View();
    bool loaded = false;
    const auto connection = QObject::connect(&view, &verdask::TWebView::LoadFinished, [&](bool ok) { loaded = ok; });
    QElapsedTimer clock;
    clock.start();
    reader.ShowPage(page);
    while (!loaded && clock.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QObject::disconnect(connection);
    const double loadMs = static_cast<double>(clock.elapsed());
    const QString last = LastAnchor(view);
    QElapsedTimer since;
    since.start();
    double firstMs = -1;
    while (since.elapsed() < 120000) {
        if (firstMs < 0 && Hyphenated(view, "a1"))
            firstMs = static_cast<double>(since.elapsed());
        if (firstMs >= 0 && Hyphenated(view, last))
            break;
    }
    std::printf("  %-28s %6.1f MiB  loaded in %7.0f ms; first screen hyphenated %6.0f ms later, "
                "the whole page %6.0f ms later\n",
                fs::path(page).filename().c_str(), verdask::bench::MiB(page), loadMs, firstMs,
                static_cast<double>(since.elapsed()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: hyphenation_bench VERDASK-CONVERT FOLDER [TEXT...]\n"
                     "  without texts: a book of 2.5 MB made for it\n";
        return 2;
    }
    verdask::PrepareApplication(true);
    QApplication application(argc, argv);
    const std::string converter = argv[1];
    const fs::path folder = argv[2];
    fs::create_directories(folder);
    const std::vector<std::string> texts =
        verdask::bench::TextsOrMadeBooks(argc, argv, folder.string(), {{"hyphenation-2.5MB.txt", 2500u * 1000}});
    const std::string style = (folder / "justified.sty").string();
    std::ofstream(style, std::ios::binary) << "FontColor=#000000\r\nBackColor=#FFFFFF\r\nFontName=PT Serif\r\n"
                                              "FontSize=14\r\nLineHeight=20\r\nLetterSpacing=0\r\nJustification=1\r\n"
                                              "TextWidth=80\r\n";
    verdask::TQtPrompts prompts;
    verdask::TReader reader(prompts, nullptr);
    reader.resize(800, 600);
    reader.show();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("the reader's hyphenation of a justified page, 800x600\n");
    for (const std::string& text : texts) {
        const std::string page = (folder / fs::path(text).stem()).string() + "-hyphenation.html";
        verdask::bench::RunCommand({converter, "--force", "--style", style, "--out", page, text});
        TimeOn(reader, page);
        reader.ShowOther("about:blank");
        fs::remove(page);
    }
    fs::remove(style);
    return 0;
}
