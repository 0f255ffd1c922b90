// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/TextConverter.h"

#include "config/Conf.h"
#include "files/SourceEncoding.h"
#include "shell/Commands.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <filesystem>

namespace verdask {
namespace {

constexpr std::string_view TextFilter = "Text files (*.txt)|*.txt|All files |*.*";
constexpr std::string_view PageFilter = "HTML|*.html";
constexpr int EventIntervalMs = 30;
constexpr int ProgressSteps = 1000;

} // namespace

TTextConverter::TTextConverter(QMainWindow& window, TCommands& commands, TConf& conf, Prompts& prompts,
                               std::function<void()> saveReadingPosition)
    : QObject(&window),
      window_(window),
      commands_(commands),
      conf_(conf),
      prompts_(prompts),
      saveReadingPosition_(std::move(saveReadingPosition)),
      progress_(new QProgressBar(&window))
{
    openDialog_.DefaultExt = "txt";
    openDialog_.Filter = TextFilter;
    saveDialog_.DefaultExt = "html";
    saveDialog_.Filter = PageFilter;
    progress_->setRange(0, ProgressSteps);
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(12);
    window.statusBar()->addPermanentWidget(progress_, 1);
    progress_->hide();
}

bool TTextConverter::ChooseText(std::string_view notATextQuestion)
{
    openDialog_.InitialDir = conf_.GetValue(ConfKey::OpenDirectory);
    return Loaded(LoadSource(conf_, openDialog_, prompts_, saveReadingPosition_, source_, notATextQuestion));
}

bool TTextConverter::LoadText(const std::string& path, std::string_view notATextQuestion)
{
    return Loaded(LoadSourceFile(conf_, path, prompts_, saveReadingPosition_, source_, notATextQuestion));
}

bool TTextConverter::Loaded(bool loaded)
{
    if (loaded) {
        encodingDetected_ = ChosenEncoding(conf_) == TSourceEncoding::Auto;
        layoutChoice_ = ChosenLayout(conf_);
    }
    return loaded;
}

bool TTextConverter::ChooseLayout(TParagraphLayout choice)
{
    if (running_ || source_.SourcePath.empty())
        return false;
    layoutChoice_ = choice;
    source_.Layout = LayoutOfText(choice, LineShapesOf(source_.Preview));
    return true;
}

std::optional<std::string> TTextConverter::Convert(const TViewStyle& style, const TSaveTexts& texts)
{
    saveDialog_.InitialDir = conf_.GetValue(ConfKey::SaveDirectory);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(source_.SourcePath, error);
    std::optional<std::string> page;
    RunLikeConversion(error ? 0 : size, [&](const TConversionEvents& events) {
        page = ConvertAndSave(conf_, source_, style, saveDialog_, prompts_, texts, events);
    });
    return page;
}

void TTextConverter::RunLikeConversion(std::uint64_t size, const std::function<void(const TConversionEvents&)>& work)
{
    TConversionEvents events;
    events.Pending = [this] { LetEventsThrough(); };
    events.Progress = [this](std::uint64_t done) { workDone_ = done; };
    Begin(size);
    try {
        work(events);
    } catch (...) {
        End();
        throw;
    }
    End();
}

void TTextConverter::Begin(std::uint64_t size)
{
    running_ = true;
    commands_.HoldForConversion();
    workSize_ = size;
    workDone_ = 0;
    calls_ = 0;
    progress_->setValue(0);
    progress_->show();
    window_.statusBar()->show();
    sinceEvents_.start();
}

void TTextConverter::End()
{
    running_ = false;
    commands_.ReleaseAfterConversion();
    progress_->hide();
    if (closeAfterwards_)
        QTimer::singleShot(0, &window_, &QWidget::close);
}

void TTextConverter::LetEventsThrough()
{
    // The rules call this for every line and replacement: look at the clock only now and then.
    if ((++calls_ & 0xFF) != 0 || sinceEvents_.elapsed() < EventIntervalMs)
        return;
    if (workSize_ > 0)
        progress_->setValue(static_cast<int>(std::min(workDone_, workSize_) * ProgressSteps / workSize_));
    QCoreApplication::processEvents();
    sinceEvents_.restart();
}

} // namespace verdask
