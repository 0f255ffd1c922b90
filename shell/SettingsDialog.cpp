// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SettingsDialog.h"

#include "config/Conf.h"
#include "conversion/Source.h"
#include "files/Errors.h"
#include "files/Misc.h"
#include "files/SourceEncoding.h"
#include "shell/InterfaceText.h"
#include "shell/MainWindow.h"
#include "shell/NumberField.h"
#include "shell/QtStrings.h"

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
constexpr int DesignHeight = 232;
constexpr int ButtonTop = 196;
constexpr int RightMargin = 16;
constexpr int SaveLeft = 176;
constexpr int CancelLeft = 272;

constexpr TSourceEncoding EncodingItems[] = {TSourceEncoding::Auto,  TSourceEncoding::Windows1251,
                                             TSourceEncoding::Utf8,  TSourceEncoding::Koi8R,
                                             TSourceEncoding::Cp866, TSourceEncoding::Utf16};

const char* YesNo(const QCheckBox* box)
{
    return box->isChecked() ? "Yes" : "No";
}

} // namespace

TSettingsDialog::TSettingsDialog(TMainWindow* mainWindow)
    : QDialog(mainWindow),
      mainWindow_(mainWindow),
      indentWidthLabel_(new QLabel(this)),
      indentWidth_(NumberField(this, 1, 9, 1, 1)),
      detectIndentLabel_(new QLabel(this)),
      detectIndent_(new QCheckBox(this)),
      replaceNbsps_(new QCheckBox(this)),
      nbspCountLabel_(new QLabel(this)),
      nbspCount_(NumberField(this, 0, 9, 1, 0)),
      replaceDoubleDash_(new QCheckBox(this)),
      replaceLeadingDash_(new QCheckBox(this)),
      sameDirectory_(new QCheckBox(this)),
      encodingLabel_(new QLabel(this)),
      encoding_(new QComboBox(this)),
      paragraphsLabel_(new QLabel(this)),
      paragraphs_(new QComboBox(this)),
      save_(new QPushButton(this)),
      cancel_(new QPushButton(this))
{
    setFixedSize(DesignWidth, DesignHeight);
    indentWidthLabel_->move(16, 12);
    indentWidth_->move(209, 8);
    detectIndentLabel_->move(243, 12);
    detectIndent_->move(331, 12);
    replaceNbsps_->move(15, 36);
    nbspCountLabel_->move(34, 37);
    nbspCount_->move(415, 32);
    replaceDoubleDash_->move(15, 60);
    replaceLeadingDash_->move(15, 84);
    sameDirectory_->move(15, 107);
    encodingLabel_->move(16, 138);
    encoding_->move(16, 134);
    for (const TSourceEncoding encoding : EncodingItems)
        encoding_->addItem(QString::fromUtf8(EncodingName(encoding).data(),
                                                static_cast<qsizetype>(EncodingName(encoding).size())));
    paragraphsLabel_->move(16, 166);
    paragraphs_->move(16, 162);
    paragraphs_->addItems(QStringList(std::size(ParagraphLayouts), QString()));
    save_->setGeometry(SaveLeft, ButtonTop, 75, 25);
    cancel_->setGeometry(CancelLeft, ButtonTop, 75, 25);
    for (QPushButton* button : {save_, cancel_})
        button->setAutoDefault(false);
    connect(save_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

int TSettingsDialog::StoredNumber(std::string_view key)
{
    const std::string value = mainWindow_->Conf().GetValue(key);
    if (const auto number = TryTextToInteger(value))
        return *number; // the spin control shows the nearest end of its range
    // No half-filled dialog: the error is told, the key's default is shown.
    mainWindow_->ReportError(EConvertError(value).what());
    return TextToInteger(DefaultValueOf(key));
}

void TSettingsDialog::ShowSettings()
{
    const QRect main = mainWindow_->frameGeometry();
    move(main.width() / 2 + main.left() - width() / 2, main.height() / 2 + main.top() - height() / 2);
    TConf& conf = mainWindow_->Conf();
    indentWidth_->setValue(StoredNumber(ConfKey::LeadingSpaces));
    detectIndent_->setChecked(IsYes(conf.GetValue(ConfKey::Autodetect)));
    replaceNbsps_->setChecked(IsYes(conf.GetValue(ConfKey::ReplaceNbsps)));
    nbspCount_->setValue(StoredNumber(ConfKey::NonBreakingSpaces));
    replaceDoubleDash_->setChecked(IsYes(conf.GetValue(ConfKey::ReplaceDoubleDash)));
    replaceLeadingDash_->setChecked(IsYes(conf.GetValue(ConfKey::ReplaceLeadingDash)));
    sameDirectory_->setChecked(IsYes(conf.GetValue(ConfKey::SameDirectory)));
    const TSourceEncoding chosen = ChosenEncoding(conf);
    encoding_->setCurrentIndex(
        static_cast<int>(std::find(std::begin(EncodingItems), std::end(EncodingItems), chosen) - std::begin(EncodingItems)));

    paragraphs_->setCurrentIndex(static_cast<int>(
        std::find(std::begin(ParagraphLayouts), std::end(ParagraphLayouts), ChosenLayout(conf)) - std::begin(ParagraphLayouts)));

    const auto text = [this](int row) { return FromWindows1251(mainWindow_->Text(row)); };
    indentWidthLabel_->setText(text(Row::IndentWidthLabel));
    detectIndentLabel_->setText(text(Row::DetectIndentLabel));
    nbspCountLabel_->setText(text(Row::NbspCountLabel));
    for (QLabel* label : {indentWidthLabel_, detectIndentLabel_, nbspCountLabel_})
        label->adjustSize();
    nbspCount_->move(nbspCountLabel_->geometry().right() + 1 + 5, nbspCount_->y());
    replaceDoubleDash_->setText(text(Row::ReplaceDoubleDash));
    replaceLeadingDash_->setText(text(Row::ReplaceLeadingDash));
    sameDirectory_->setText(text(Row::SameDirectory));
    for (QCheckBox* box : {replaceDoubleDash_, replaceLeadingDash_, sameDirectory_})
        box->adjustSize();
    const int language = mainWindow_->LanguageIndex();
    encodingLabel_->setText(QString::fromStdString(SourceEncodingLabelText(language)));
    encodingLabel_->adjustSize();
    encoding_->setItemText(0, QString::fromStdString(AutoEncodingText(language)));
    encoding_->adjustSize();
    encoding_->move(encodingLabel_->geometry().right() + 1 + 5, encoding_->y());
    paragraphsLabel_->setText(QString::fromStdString(ParagraphsLabelText(language)));
    paragraphsLabel_->adjustSize();
    for (std::size_t i = 0; i < std::size(ParagraphLayouts); ++i)
        paragraphs_->setItemText(static_cast<int>(i), QString::fromStdString(LayoutText(language, ParagraphLayouts[i])));
    paragraphs_->adjustSize();
    paragraphs_->move(paragraphsLabel_->geometry().right() + 1 + 5, paragraphs_->y());
    save_->setText(text(Row::Save));
    cancel_->setText(text(Row::Cancel));
    indentWidth_->move(indentWidthLabel_->geometry().right() + 1 + 5, indentWidth_->y());
    detectIndentLabel_->move(indentWidth_->geometry().right() + 1 + 2, detectIndentLabel_->y());
    detectIndent_->move(detectIndentLabel_->geometry().right() + 1 + 5, detectIndent_->y());
    setWindowTitle(text(Row::Setup));
    FitTexts();
}

// The design's size, or as wide as the texts of the language need, the buttons
// kept in the middle; then centred on the main window.
void TSettingsDialog::FitTexts()
{
    int right = 0;
    for (QWidget* control : std::initializer_list<QWidget*>{indentWidthLabel_, indentWidth_, detectIndentLabel_, detectIndent_, replaceNbsps_,
                                                            nbspCountLabel_, nbspCount_, replaceDoubleDash_, replaceLeadingDash_, sameDirectory_,
                                                            encodingLabel_, encoding_, paragraphsLabel_, paragraphs_})
        right = std::max(right, control->geometry().right() + 1);
    setFixedSize(std::max(DesignWidth, right + RightMargin), DesignHeight);
    const int shift = (width() - DesignWidth) / 2;
    save_->move(SaveLeft + shift, save_->y());
    cancel_->move(CancelLeft + shift, cancel_->y());
    const QRect main = mainWindow_->frameGeometry();
    move(main.width() / 2 + main.left() - width() / 2, main.height() / 2 + main.top() - height() / 2);
}

void TSettingsDialog::StoreSettings()
{
    TConf& conf = mainWindow_->Conf();
    conf.SetValue(ConfKey::LeadingSpaces, IntegerToText(indentWidth_->value()));
    conf.SetValue(ConfKey::Autodetect, YesNo(detectIndent_));
    conf.SetValue(ConfKey::ReplaceNbsps, YesNo(replaceNbsps_));
    conf.SetValue(ConfKey::NonBreakingSpaces, IntegerToText(nbspCount_->value()));
    conf.SetValue(ConfKey::ReplaceDoubleDash, YesNo(replaceDoubleDash_));
    conf.SetValue(ConfKey::ReplaceLeadingDash, YesNo(replaceLeadingDash_));
    conf.SetValue(ConfKey::SameDirectory, YesNo(sameDirectory_));
    conf.SetValue(ConfKey::SourceEncoding, EncodingName(EncodingItems[encoding_->currentIndex()]));
    conf.SetValue(ConfKey::Paragraphs, LayoutName(ParagraphLayouts[paragraphs_->currentIndex()]));
}

void TSettingsDialog::showEvent(QShowEvent* event)
{
    ShowSettings();
    QDialog::showEvent(event);
}

} // namespace verdask
