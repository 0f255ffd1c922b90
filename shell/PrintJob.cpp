// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PrintJob.h"

#include "files/Errors.h"
#include "files/FileReplacement.h"
#include "shell/InterfaceText.h"
#include "shell/QtStrings.h"
#include "shell/WebView.h"

#include <QImage>
#include <QPageLayout>
#include <QPageRanges>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>

namespace verdask {
namespace {

// Printers get each page as an image of this resolution at most: enough for
// text, and a page of A4 stays near 35 MB while it is drawn.
constexpr int HighestPrintDpi = 300;

QString Display(const std::string& text)
{
    return ToDisplay(text);
}

} // namespace

TPrintSettings PrintSettingsOf(const QPrinter& printer)
{
    TPrintSettings settings;
    settings.PrinterName = printer.printerName().toStdString();
    if (printer.outputFormat() == QPrinter::PdfFormat)
        settings.OutputFileName = ToPath(printer.outputFileName());
    settings.Copies = printer.copyCount();
    settings.Landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
    if (printer.printRange() == QPrinter::PageRange) {
        settings.FromPage = printer.fromPage();
        settings.ToPage = printer.toPage();
    }
    return settings;
}

void ApplyPrintSettings(const TPrintSettings& settings, QPrinter& printer)
{
    if (!settings.OutputFileName.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(FromPath(settings.OutputFileName));
    } else if (!settings.PrinterName.empty()) {
        printer.setPrinterName(QString::fromStdString(settings.PrinterName));
    }
    printer.setCopyCount(settings.Copies);
    printer.setPageOrientation(settings.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (settings.FromPage > 0 && settings.ToPage >= settings.FromPage) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(settings.FromPage, settings.ToPage);
    }
}

TPrintJob::TPrintJob(std::unique_ptr<QPrinter> printer, std::string pdfFile, QWidget* window, int language)
    : printer_(std::move(printer)), pdfFile_(std::move(pdfFile)), language_(language)
{
    progress_ = new QProgressDialog(window);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setWindowTitle(window != nullptr ? window->property("applicationTitle").toString() : QString());
    progress_->setLabelText(Display(PreparingPagesText(language_)));
    progress_->setCancelButtonText(Display(CancelText(language_)));
    progress_->setRange(0, 0); // the engine tells nothing of its progress
    progress_->setMinimumDuration(0);
    // Wide enough for the title in either language, which window managers cut.
    progress_->setMinimumWidth(progress_->fontMetrics().horizontalAdvance(progress_->windowTitle()) + 160);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    connect(progress_, &QProgressDialog::canceled, this, &TPrintJob::Cancel);
    connect(progress_, &QDialog::rejected, this, &TPrintJob::Cancel); // Escape
}

TPrintJob::~TPrintJob()
{
    if (painter_.isActive()) {
        printer_->abort();
        painter_.end();
    }
    if (progress_)
        progress_->deleteLater();
}

void TPrintJob::Start(TWebView& view)
{
    progress_->show();
    const QPageRanges ranges = printer_->pageRanges();
    // Only this job's answer reaches it, and none once it is gone.
    view.PrintToPdf(printer_->pageLayout(), ranges, [job = QPointer<TPrintJob>(this)](const QByteArray& pdf) {
        if (job)
            job->TakePdf(pdf);
    });
}

void TPrintJob::Cancel()
{
    if (painter_.isActive()) {
        printer_->abort();
        painter_.end();
    }
    Finish({});
}

void TPrintJob::EngineLost()
{
    if (engineDone_)
        return;
    engineDone_ = true;
    emit EngineAnswered();
    Finish(Display(PrintFailedText(language_, "The view stopped before the pages were made.")));
}

void TPrintJob::TakePdf(const QByteArray& pdf)
{
    engineDone_ = true;
    emit EngineAnswered();
    if (over_)
        return;
    if (pdf.isEmpty()) {
        Finish(Display(PrintFailedText(language_, "The view made no pages.")));
        return;
    }
    if (!pdfFile_.empty())
        WritePdfFile(pdf);
    else
        StartPrinter(pdf);
}

void TPrintJob::WritePdfFile(const QByteArray& pdf)
{
    try {
        ReplaceFileWith(PlatformFileSystem(), pdfFile_,
                        std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
                        LinkAtTarget::FollowToFile);
    } catch (const EVerdaskError& error) {
        Finish(Display(PrintFailedText(language_, error.what())));
        return;
    }
    Finish({});
}

void TPrintJob::StartPrinter(const QByteArray& pdf)
{
    pdfBuffer_.setData(pdf);
    pdfBuffer_.open(QIODevice::ReadOnly);
    document_.load(&pdfBuffer_);
    if (document_.status() != QPdfDocument::Status::Ready || document_.pageCount() == 0) {
        Finish(Display(PrintFailedText(language_, "The view's pages could not be read.")));
        return;
    }
    // The engine's pages are whole sheets, margins included.
    printer_->setFullPage(true);
    printer_->setPrintRange(QPrinter::AllPages);
    if (!painter_.begin(printer_.get())) {
        Finish(Display(PrintFailedText(language_, "The printer could not be started.")));
        return;
    }
    progress_->setRange(0, document_.pageCount());
    nextPage_ = 0;
    QTimer::singleShot(0, this, &TPrintJob::PrintNextPage);
}

// One page at a time, so the window stays alive and Cancel is heard between pages.
void TPrintJob::PrintNextPage()
{
    if (over_)
        return;
    const int pages = document_.pageCount();
    if (nextPage_ > 0 && !printer_->newPage()) {
        printer_->abort();
        painter_.end();
        Finish(Display(PrintFailedText(language_, "The printer took no more pages.")));
        return;
    }
    progress_->setLabelText(Display(PrintingPageText(language_, nextPage_ + 1, pages)));
    progress_->setValue(nextPage_);
    const QRect sheet = printer_->paperRect(QPrinter::DevicePixel).toRect();
    const int dpi = std::min(printer_->resolution(), HighestPrintDpi);
    const QSizeF points = document_.pagePointSize(nextPage_);
    const QSize pixels = (points * dpi / 72.0).toSize();
    const QImage image = document_.render(nextPage_, pixels);
    painter_.drawImage(sheet, image);
    if (++nextPage_ < pages) {
        QTimer::singleShot(0, this, &TPrintJob::PrintNextPage);
        return;
    }
    const bool printed = painter_.end();
    Finish(printed ? QString() : Display(PrintFailedText(language_, "The printer did not take the pages.")));
}

void TPrintJob::Finish(const QString& error)
{
    if (over_)
        return;
    over_ = true;
    if (progress_)
        progress_->hide();
    emit Finished(error);
}

void TPrintQueue::Print(std::unique_ptr<QPrinter> printer, const std::string& pdfFile, TWebView& view, QWidget* window,
                        int language)
{
    if (job_)
        return;
    auto* job = new TPrintJob(std::move(printer), pdfFile, window, language);
    job->setParent(this);
    job_ = job;
    connect(job, &TPrintJob::Finished, this, [this, job](const QString& error) {
        if (job_ == job)
            job_ = nullptr;
        if (!error.isEmpty())
            emit Failed(error);
        // The engine may still be making the pages of a cancelled job.
        if (job->EngineDone())
            job->deleteLater();
        else
            connect(job, &TPrintJob::EngineAnswered, job, &QObject::deleteLater);
    });
    StartWhenEngineFree(job, view);
}

void TPrintQueue::StartWhenEngineFree(TPrintJob* job, TWebView& view)
{
    for (TPrintJob* other : findChildren<TPrintJob*>(Qt::FindDirectChildrenOnly)) {
        if (other != job && !other->EngineDone()) {
            connect(other, &TPrintJob::EngineAnswered, job, [this, job, &view] { StartWhenEngineFree(job, view); });
            return;
        }
    }
    job->Start(view);
}

void TPrintQueue::EngineLost()
{
    for (TPrintJob* job : findChildren<TPrintJob*>(Qt::FindDirectChildrenOnly))
        job->EngineLost();
}

} // namespace verdask
