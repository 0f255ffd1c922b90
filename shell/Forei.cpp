#include "shell/Forei.h"

#include "shell/Main.h"
#include "shell/Text.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace verdask {

TForeignForm::TForeignForm(TMainForm* mainForm)
    : QDialog(mainForm), memo_(new QPlainTextEdit(this)), radioGroup_(new QButtonGroup(this)),
      ok_(new QPushButton("OK", this))
{
    setFixedSize(407, 266);
    const auto text = [mainForm](int row) { return FromWindows1251(mainForm->Text(row)); };
    setWindowTitle(text(25));
    memo_->setGeometry(7, 4, 393, 65);
    memo_->setReadOnly(true);
    memo_->setFrameShape(QFrame::NoFrame);
    memo_->setStyleSheet("background: transparent");
    memo_->setPlainText(text(24));
    auto* group = new QGroupBox(this);
    group->setGeometry(19, 76, 369, 113);
    auto* items = new QVBoxLayout(group);
    for (int item = 0; item < 4; ++item) {
        auto* radio = new QRadioButton(text(26 + item), group);
        items->addWidget(radio);
        radioGroup_->addButton(radio, item);
    }
    SetChoice(TForeignChoice::Cancel);
    ok_->setGeometry((407 - 75) / 2, 226, 75, 25);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

TForeignChoice TForeignForm::Choice() const
{
    return static_cast<TForeignChoice>(radioGroup_->checkedId());
}

void TForeignForm::SetChoice(TForeignChoice choice)
{
    radioGroup_->button(static_cast<int>(choice))->setChecked(true);
}

TForeignChoice AskForeignChoice(TMainForm* mainForm)
{
    TForeignForm dialog(mainForm);
    return dialog.exec() == QDialog::Accepted ? dialog.Choice() : TForeignChoice::Cancel;
}

} // namespace verdask
