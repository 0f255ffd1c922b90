// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The question for a page of another program: whether and how to keep a backup.

#include "style/Restyle.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QPushButton;

namespace verdask {

class TMainWindow;

class TForeignPageDialog : public QDialog {
    Q_OBJECT

public:
    explicit TForeignPageDialog(TMainWindow* mainWindow);

    // The item selected; "Cancel style application" unless another is chosen.
    TForeignChoice Choice() const;
    void SetChoice(TForeignChoice choice);
    QPushButton* OkButton() const { return ok_; }
    QLabel* Explanation() const { return explanation_; }

private:
    QLabel* explanation_;
    QButtonGroup* choices_;
    QPushButton* ok_;
};

// Asks with a new dialog; closing it without OK is a cancel.
TForeignChoice AskForeignChoice(TMainWindow* mainWindow);

} // namespace verdask
