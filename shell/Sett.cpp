#include "shell/Sett.h"

#include "config/Conf.h"
#include "conversion/Source.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "files/SourceEncoding.h"
#include "shell/Controls.h"
#include "shell/InterfaceText.h"
#include "shell/Main.h"
#include "shell/Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <iterator>

namespace verdask {
namespace {

constexpr int DesignWidth = 551;
constexpr int DesignHeight = 206;
constexpr int RightMargin = 16;
constexpr int Button1Left = 176;
constexpr int Button2Left = 272;

constexpr TSourceEncoding EncodingItems[] = {TSourceEncoding::Auto,  TSourceEncoding::Windows1251,
                                             TSourceEncoding::Utf8,  TSourceEncoding::Koi8R,
                                             TSourceEncoding::Cp866, TSourceEncoding::Utf16};

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
      label4_(new QLabel(this)),
      encodingBox_(new QComboBox(this)),
      button1_(new QPushButton(this)),
      button2_(new QPushButton(this))
{
    setFixedSize(DesignWidth, DesignHeight);
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
    label4_->move(16, 138);
    encodingBox_->move(16, 134);
    for (const TSourceEncoding encoding : EncodingItems)
        encodingBox_->addItem(QString::fromUtf8(EncodingName(encoding).data(),
                                                static_cast<qsizetype>(EncodingName(encoding).size())));
    button1_->setGeometry(Button1Left, 170, 75, 25);
    button2_->setGeometry(Button2Left, 170, 75, 25);
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
    const TSourceEncoding chosen = ChosenEncoding(conf);
    encodingBox_->setCurrentIndex(
        static_cast<int>(std::find(std::begin(EncodingItems), std::end(EncodingItems), chosen) - std::begin(EncodingItems)));

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
    const int language = mainForm_->LanguageIndex();
    label4_->setText(QString::fromStdString(SourceEncodingLabelText(language)));
    label4_->adjustSize();
    encodingBox_->setItemText(0, QString::fromStdString(AutoEncodingText(language)));
    encodingBox_->adjustSize();
    encodingBox_->move(label4_->geometry().right() + 1 + 5, encodingBox_->y());
    button1_->setText(text(14));
    button2_->setText(text(15));
    upDown2_->move(label1_->geometry().right() + 1 + 5, upDown2_->y());
    label2_->move(upDown2_->geometry().right() + 1 + 2, label2_->y());
    checkBox4_->move(label2_->geometry().right() + 1 + 5, checkBox4_->y());
    setWindowTitle(text(16));
    FitTexts();
}

// The design's size, or as wide as the texts of the language need, the buttons
// kept in the middle; then centred on the main window.
void TSettingsForm::FitTexts()
{
    int right = 0;
    for (QWidget* control : std::initializer_list<QWidget*>{label1_, upDown2_, label2_, checkBox4_, checkBox1_,
                                                            label3_, upDown1_, checkBox2_, checkBox3_, checkBox5_,
                                                            label4_, encodingBox_})
        right = std::max(right, control->geometry().right() + 1);
    setFixedSize(std::max(DesignWidth, right + RightMargin), DesignHeight);
    const int shift = (width() - DesignWidth) / 2;
    button1_->move(Button1Left + shift, button1_->y());
    button2_->move(Button2Left + shift, button2_->y());
    const QRect main = mainForm_->frameGeometry();
    move(main.width() / 2 + main.left() - width() / 2, main.height() / 2 + main.top() - height() / 2);
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
    conf.SetValue(ConfKey::SourceEncoding, EncodingName(EncodingItems[encodingBox_->currentIndex()]));
}

void TSettingsForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

} // namespace verdask
