// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The settings dialog: the seven conversion settings and the source encoding.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace verdask {

class TMainWindow;

class TSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TSettingsDialog(TMainWindow* mainWindow);

    // Centres the dialog, fills it from the configuration, lays it out for the language.
    void ShowSettings();
    // Writes the seven keys in their order, then "Source encoding" (after Save).
    void StoreSettings();

    QSpinBox* IndentWidth() const { return indentWidth_; }
    QSpinBox* NbspCount() const { return nbspCount_; }
    QCheckBox* ReplaceNbsps() const { return replaceNbsps_; }
    QCheckBox* ReplaceDoubleDash() const { return replaceDoubleDash_; }
    QCheckBox* ReplaceLeadingDash() const { return replaceLeadingDash_; }
    QCheckBox* DetectIndent() const { return detectIndent_; }
    QCheckBox* SameDirectory() const { return sameDirectory_; }
    QLabel* IndentWidthLabel() const { return indentWidthLabel_; }
    QLabel* DetectIndentLabel() const { return detectIndentLabel_; }
    QLabel* NbspCountLabel() const { return nbspCountLabel_; }
    QLabel* EncodingLabel() const { return encodingLabel_; }
    // "Auto", then the encodings by their names.
    QComboBox* Encoding() const { return encoding_; }
    QComboBox* Paragraphs() const { return paragraphs_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    int StoredNumber(std::string_view key);
    void FitTexts();

    TMainWindow* mainWindow_;
    QLabel* indentWidthLabel_;
    QSpinBox* indentWidth_;
    QLabel* detectIndentLabel_;
    QCheckBox* detectIndent_;
    QCheckBox* replaceNbsps_;
    QLabel* nbspCountLabel_;
    QSpinBox* nbspCount_;
    QCheckBox* replaceDoubleDash_;
    QCheckBox* replaceLeadingDash_;
    QCheckBox* sameDirectory_;
    QLabel* encodingLabel_;
    QComboBox* encoding_;
    QLabel* paragraphsLabel_;
    QComboBox* paragraphs_;
    QPushButton* save_;
    QPushButton* cancel_;
};

} // namespace verdask
