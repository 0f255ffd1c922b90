#include "shell/Printing.h"

#include "shell/Text.h"

#include <QPageLayout>
#include <QPrinter>

namespace verdask {

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

} // namespace verdask
