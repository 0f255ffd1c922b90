// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ForeignPageDialog.h"

#include "shell/MainWindow.h"
#include "shell/QtStrings.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace verdask {
namespace {

// The width of the design; the texts may widen the dialog.
constexpr int ExplanationWidth = 393;

} // namespace

TForeignPageDialog::TForeignPageDialog(TMainWindow* mainWindow)
    : QDialog(mainWindow), explanation_(new QLabel(this)), choices_(new QButtonGroup(this)),
      ok_(new QPushButton("OK", this))
{
    const auto text = [mainWindow](int row) { return FromWindows1251(mainWindow->Text(row)); };
    setWindowTitle(text(Row::BackupTitle));
    // Laid out by its texts, which are longer in Russian: nothing is cut, nothing scrolls.
    explanation_->setWordWrap(true);
    explanation_->setMinimumWidth(ExplanationWidth);
    explanation_->setText(text(Row::ForeignPageWarning));
    auto* group = new QGroupBox(this);
    auto* items = new QVBoxLayout(group);
    for (int item = 0; item < 4; ++item) {
        auto* radio = new QRadioButton(text(Row::NoBackup + item), group);
        items->addWidget(radio);
        choices_->addButton(radio, item);
    }
    SetChoice(TForeignChoice::Cancel);
    ok_->setFixedSize(75, 25);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 4, 7, 15);
    layout->addWidget(explanation_);
    layout->addWidget(group);
    layout->addSpacing(12);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TForeignChoice TForeignPageDialog::Choice() const
{
    return static_cast<TForeignChoice>(choices_->checkedId());
}

void TForeignPageDialog::SetChoice(TForeignChoice choice)
{
    choices_->button(static_cast<int>(choice))->setChecked(true);
}

TForeignChoice AskForeignChoice(TMainWindow* mainWindow)
{
    TForeignPageDialog dialog(mainWindow);
    return dialog.exec() == QDialog::Accepted ? dialog.Choice() : TForeignChoice::Cancel;
}

} // namespace verdask
