#include "shell/Forei.h"

#include "shell/Main.h"
#include "shell/Text.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace verdask {
namespace {

// The width of the design; the texts may widen the dialog.
constexpr int MemoWidth = 393;

} // namespace

TForeignForm::TForeignForm(TMainForm* mainForm)
    : QDialog(mainForm), memo_(new QLabel(this)), radioGroup_(new QButtonGroup(this)),
      ok_(new QPushButton("OK", this))
{
    const auto text = [mainForm](int row) { return FromWindows1251(mainForm->Text(row)); };
    setWindowTitle(text(25));
    // Laid out by its texts, which are longer in Russian: nothing is cut, nothing scrolls.
    memo_->setWordWrap(true);
    memo_->setMinimumWidth(MemoWidth);
    memo_->setText(text(24));
    auto* group = new QGroupBox(this);
    auto* items = new QVBoxLayout(group);
    for (int item = 0; item < 4; ++item) {
        auto* radio = new QRadioButton(text(26 + item), group);
        items->addWidget(radio);
        radioGroup_->addButton(radio, item);
    }
    SetChoice(TForeignChoice::Cancel);
    ok_->setFixedSize(75, 25);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(7, 4, 7, 15);
    layout->addWidget(memo_);
    layout->addWidget(group);
    layout->addSpacing(12);
    layout->addWidget(ok_, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
