#pragma once

// The question for a page of another program: whether and how to keep a backup.

#include "style/Restyle.h"

#include <QDialog>

class QButtonGroup;
class QLabel;
class QPushButton;

namespace verdask {

class TMainForm;

class TForeignForm : public QDialog {
    Q_OBJECT

public:
    explicit TForeignForm(TMainForm* mainForm);

    // The item selected; "Cancel style application" unless another is chosen.
    TForeignChoice Choice() const;
    void SetChoice(TForeignChoice choice);
    QPushButton* OK() const { return ok_; }
    QLabel* Memo1() const { return memo_; }

private:
    QLabel* memo_;
    QButtonGroup* radioGroup_;
    QPushButton* ok_;
};

// Asks with a new dialog; closing it without OK is a cancel.
TForeignChoice AskForeignChoice(TMainForm* mainForm);

} // namespace verdask
