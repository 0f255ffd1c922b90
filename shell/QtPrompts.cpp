// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/QtPrompts.h"

#include "shell/ForeignPageDialog.h"
#include "shell/MainWindow.h"
#include "files/FileReplacement.h"
#include "shell/PrintJob.h"
#include "shell/QtStrings.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QVariant>
#include <QWidget>

namespace verdask {

QString QtFileFilter(std::string_view filter)
{
    const QStringList parts = FromWindows1251(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        // Qt takes the patterns from the last parentheses of a name.
        filters << (name.endsWith(')') ? name : name + " (" + pattern + ")");
    }
    return filters.join(";;");
}

void TQtPrompts::ShowWarning(std::string_view caption, std::string_view text)
{
    QMessageBox::warning(parent_, CaptionOr(caption), ToDisplay(text));
}

// A box without a caption of its own goes under the application's title.
QString TQtPrompts::CaptionOr(std::string_view caption) const
{
    return caption.empty() ? ApplicationTitle() : ToDisplay(caption);
}

QString TQtPrompts::ApplicationTitle() const
{
    return parent_ != nullptr ? parent_->property("applicationTitle").toString() : QString();
}

void TQtPrompts::ShowError(std::string_view text)
{
    QMessageBox::critical(parent_, ApplicationTitle(), ToDisplay(text));
}

void TQtPrompts::ShowMessage(std::string_view text)
{
    QMessageBox::information(parent_, ApplicationTitle(), ToDisplay(text));
}

bool TQtPrompts::AskWarningYesNo(std::string_view caption, std::string_view text)
{
    return QMessageBox::warning(parent_, CaptionOr(caption), ToDisplay(text), QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

namespace {

// The program's temporary files are never offered: one may be a copy being
// written this moment, and none is a file of the user's.
class TNoTemporaryFiles final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const QModelIndex name = sourceModel()->index(row, 0, parent);
        return !IsTemporaryFileName(ToPath(sourceModel()->data(name).toString()));
    }
};

} // namespace

bool TQtPrompts::RunFileDialog(TFileDialog& dialog, bool save)
{
    QFileDialog fileDialog(parent_, FromWindows1251(dialog.Title), FromPath(dialog.InitialDir),
                           QtFileFilter(dialog.Filter));
    fileDialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    fileDialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The program asks before it replaces a page itself.
    fileDialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    fileDialog.setDefaultSuffix(QString::fromStdString(dialog.DefaultExt));
    // Qt's own dialog, the one that can leave files out of its list.
    fileDialog.setOption(QFileDialog::DontUseNativeDialog, true);
    fileDialog.setProxyModel(new TNoTemporaryFiles(&fileDialog));
    if (!dialog.FileName.empty())
        fileDialog.selectFile(FromPath(dialog.FileName));
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return false;
    dialog.FileName = ToPath(fileDialog.selectedFiles().constFirst());
    return true;
}

bool TQtPrompts::ExecuteOpenDialog(TFileDialog& dialog)
{
    return RunFileDialog(dialog, false);
}

bool TQtPrompts::ExecuteSaveDialog(TFileDialog& dialog)
{
    return RunFileDialog(dialog, true);
}

} // namespace verdask

namespace verdask {

bool TQtPrompts::ExecutePrintDialog(TPrintSettings& settings)
{
    QPrinter printer;
    QPrintDialog dialog(&printer, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    settings = PrintSettingsOf(printer);
    return true;
}

} // namespace verdask

namespace verdask {

int TQtPrompts::AskForeignChoice()
{
    auto* mainWindow = qobject_cast<TMainWindow*>(parent_);
    if (mainWindow == nullptr)
        return static_cast<int>(TForeignChoice::Cancel);
    return static_cast<int>(verdask::AskForeignChoice(mainWindow));
}

bool TQtPrompts::AskConfirmation(std::string_view text)
{
    return QMessageBox::question(parent_, ApplicationTitle(), ToDisplay(text), QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok;
}

bool TQtPrompts::ExecuteColorDialog(std::uint32_t& rgb)
{
    const QColor start(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                       static_cast<int>((rgb >> 16) & 0xFF));
    const QColor chosen = QColorDialog::getColor(start, parent_);
    if (!chosen.isValid())
        return false;
    rgb = static_cast<std::uint32_t>(chosen.red()) + 256u * static_cast<std::uint32_t>(chosen.green()) +
          65536u * static_cast<std::uint32_t>(chosen.blue());
    return true;
}

} // namespace verdask
