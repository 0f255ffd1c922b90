// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's questions as Qt's dialogs.

#include "files/Prompts.h"

#include <QString>

class QWidget;

namespace verdask {

class TQtPrompts final : public Prompts {
public:
    // parent: the window the dialogs belong to and are centred on; its property
    // "applicationTitle" is the caption of the general error report.
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowWarning(std::string_view caption, std::string_view text) override;
    void ShowError(std::string_view text) override;
    void ShowMessage(std::string_view text) override;
    bool AskWarningYesNo(std::string_view caption, std::string_view text) override;
    bool ExecuteOpenDialog(TFileDialog& dialog) override;
    bool ExecuteSaveDialog(TFileDialog& dialog) override;
    bool ExecutePrintDialog(TPrintSettings& settings) override;
    bool AskConfirmation(std::string_view text) override;
    int AskForeignChoice() override;
    bool ExecuteColorDialog(std::uint32_t& rgb) override;

private:
    bool RunFileDialog(TFileDialog& dialog, bool save);
    QString CaptionOr(std::string_view caption) const;
    QString ApplicationTitle() const;

    QWidget* parent_ = nullptr;
};

// "Text files (*.txt)|*.txt|All files |*.*" as Qt's "Text files (*.txt);;All files (*.*)".
QString QtFileFilter(std::string_view filter);

} // namespace verdask
