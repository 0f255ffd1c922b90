#include "shell/Sett.h"

#include "config/Conf.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "shell/Controls.h"
#include "shell/Main.h"
#include "shell/Text.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace verdask {
namespace {

const char* YesNo(const QCheckBox* box)
{
    return box->isChecked() ? "Yes" : "No";
}

} // namespace

TSettingsForm::TSettingsForm(TMainForm* mainForm)
    : QDialog(mainForm),
      mainForm_(mainForm),
      label1_(new QLabel(this)),
      upDown2_(NumberField(this, 1, 9, 1, 1)),
      label2_(new QLabel(this)),
      checkBox4_(new QCheckBox(this)),
      checkBox1_(new QCheckBox(this)),
      label3_(new QLabel(this)),
      upDown1_(NumberField(this, 0, 9, 1, 0)),
      checkBox2_(new QCheckBox(this)),
      checkBox3_(new QCheckBox(this)),
      checkBox5_(new QCheckBox(this)),
      button1_(new QPushButton(this)),
      button2_(new QPushButton(this))
{
    setFixedSize(551, 180);
    label1_->move(16, 12);
    upDown2_->move(209, 8);
    label2_->move(243, 12);
    checkBox4_->move(331, 12);
    checkBox1_->move(15, 36);
    label3_->move(34, 37);
    upDown1_->move(415, 32);
    checkBox2_->move(15, 60);
    checkBox3_->move(15, 84);
    checkBox5_->move(15, 107);
    button1_->setGeometry(176, 144, 75, 25);
    button2_->setGeometry(272, 144, 75, 25);
    for (QPushButton* button : {button1_, button2_})
        button->setAutoDefault(false);
    connect(button1_, &QPushButton::clicked, this, &QDialog::accept);
    connect(button2_, &QPushButton::clicked, this, &QDialog::reject);
}

int TSettingsForm::SpinValue(std::string_view key)
{
    const std::string value = mainForm_->Conf().GetValue(key);
    if (const auto number = TryTextToInteger(value))
        return *number; // the spin control shows the nearest end of its range
    // No half-filled dialog: the error is told, the key's default is shown.
    mainForm_->ReportError(EConvertError(value).what());
    return TextToInteger(DefaultValueOf(key));
}

void TSettingsForm::FormShow()
{
    const QRect main = mainForm_->frameGeometry();
    move(main.width() / 2 + main.left() - width() / 2, main.height() / 2 + main.top() - height() / 2);
    TConf& conf = mainForm_->Conf();
    upDown2_->setValue(SpinValue(ConfKey::LeadingSpaces));
    checkBox4_->setChecked(IsYes(conf.GetValue(ConfKey::Autodetect)));
    checkBox1_->setChecked(IsYes(conf.GetValue(ConfKey::ReplaceNbsps)));
    upDown1_->setValue(SpinValue(ConfKey::NonBreakingSpaces));
    checkBox2_->setChecked(IsYes(conf.GetValue(ConfKey::ReplaceDoubleDash)));
    checkBox3_->setChecked(IsYes(conf.GetValue(ConfKey::ReplaceLeadingDash)));
    checkBox5_->setChecked(IsYes(conf.GetValue(ConfKey::SameDirectory)));

    const auto text = [this](int row) { return FromWindows1251(mainForm_->Text(row)); };
    label1_->setText(text(8));
    label2_->setText(text(9));
    label3_->setText(text(10));
    for (QLabel* label : {label1_, label2_, label3_})
        label->adjustSize();
    upDown1_->move(label3_->geometry().right() + 1 + 5, upDown1_->y());
    checkBox2_->setText(text(11));
    checkBox3_->setText(text(12));
    checkBox5_->setText(text(13));
    for (QCheckBox* box : {checkBox2_, checkBox3_, checkBox5_})
        box->adjustSize();
    button1_->setText(text(14));
    button2_->setText(text(15));
    upDown2_->move(label1_->geometry().right() + 1 + 5, upDown2_->y());
    label2_->move(upDown2_->geometry().right() + 1 + 2, label2_->y());
    checkBox4_->move(label2_->geometry().right() + 1 + 5, checkBox4_->y());
    setWindowTitle(text(16));
}

void TSettingsForm::StoreSettings()
{
    TConf& conf = mainForm_->Conf();
    conf.SetValue(ConfKey::LeadingSpaces, IntegerToText(upDown2_->value()));
    conf.SetValue(ConfKey::Autodetect, YesNo(checkBox4_));
    conf.SetValue(ConfKey::ReplaceNbsps, YesNo(checkBox1_));
    conf.SetValue(ConfKey::NonBreakingSpaces, IntegerToText(upDown1_->value()));
    conf.SetValue(ConfKey::ReplaceDoubleDash, YesNo(checkBox2_));
    conf.SetValue(ConfKey::ReplaceLeadingDash, YesNo(checkBox3_));
    conf.SetValue(ConfKey::SameDirectory, YesNo(checkBox5_));
}

void TSettingsForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

} // namespace verdask
