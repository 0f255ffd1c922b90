// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Printing the shown page. The view's engine lays the page out into a PDF that
// carries its text, without holding up the window; a PDF file gets that PDF as it
// is, a printer gets its pages one at a time. A progress dialog shows how far it
// is and can cancel it at any moment.

#include "files/Prompts.h"

#include <QBuffer>
#include <QObject>
#include <QPainter>
#include <QPdfDocument>
#include <QPointer>

#include <memory>
#include <string>

class QPrinter;
class QProgressDialog;
class QWidget;

namespace verdask {

class TWebView;

TPrintSettings PrintSettingsOf(const QPrinter& printer);
void ApplyPrintSettings(const TPrintSettings& settings, QPrinter& printer);

class TPrintJob final : public QObject {
    Q_OBJECT

public:
    // Prints on printer, or into pdfFile when it is named, in the printer's page
    // layout. The file is written through the safe replacement: a cancelled or
    // failed job leaves an old file as it was. window: where the progress shows.
    TPrintJob(std::unique_ptr<QPrinter> printer, std::string pdfFile, QWidget* window, int language);
    ~TPrintJob() override;

    // Asks the view's engine for the pages.
    void Start(TWebView& view);
    // Stops at once; pages the engine still makes are dropped when they come.
    void Cancel();
    // The engine has answered: another job may ask it now.
    bool EngineDone() const { return engineDone_; }
    // The view's renderer stopped: no answer will come.
    void EngineLost();

signals:
    // The job is over: printed, cancelled (both with no error) or failed.
    void Finished(const QString& error);
    void EngineAnswered();

private:
    void TakePdf(const QByteArray& pdf);
    void WritePdfFile(const QByteArray& pdf);
    void StartPrinter(const QByteArray& pdf);
    void PrintNextPage();
    void Finish(const QString& error);

    std::unique_ptr<QPrinter> printer_;
    std::string pdfFile_;
    int language_;
    QPointer<QProgressDialog> progress_;
    QBuffer pdfBuffer_;
    QPdfDocument document_;
    QPainter painter_;
    int nextPage_ = 0;
    bool engineDone_ = false;
    bool over_ = false;
};

// The reader's printing: one job at a time, each started once the engine has
// made the pages of a job cancelled before it (it makes one PDF at a time).
class TPrintQueue final : public QObject {
    Q_OBJECT

public:
    explicit TPrintQueue(QObject* parent) : QObject(parent) {}

    // Prints what view shows on printer, or into pdfFile when it is named;
    // nothing while a job runs. window: where the progress shows.
    void Print(std::unique_ptr<QPrinter> printer, const std::string& pdfFile, TWebView& view, QWidget* window,
               int language);
    bool Printing() const { return job_ != nullptr; }
    // The view's renderer stopped: no job will get its pages.
    void EngineLost();

signals:
    void Failed(const QString& error);

private:
    void StartWhenEngineFree(TPrintJob* job, TWebView& view);

    QPointer<TPrintJob> job_;
};

} // namespace verdask
