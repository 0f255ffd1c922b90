#pragma once

// The settings dialog: the seven conversion settings and the source encoding.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace verdask {

class TMainForm;

class TSettingsForm : public QDialog {
    Q_OBJECT

public:
    explicit TSettingsForm(TMainForm* mainForm);

    // Centres the dialog, fills it from the configuration, lays it out for the language.
    void FormShow();
    // Writes the seven keys in their order, then "Source encoding" (after Button1).
    void StoreSettings();

    QSpinBox* UpDown2() const { return upDown2_; }
    QSpinBox* UpDown1() const { return upDown1_; }
    QCheckBox* CheckBox1() const { return checkBox1_; }
    QCheckBox* CheckBox2() const { return checkBox2_; }
    QCheckBox* CheckBox3() const { return checkBox3_; }
    QCheckBox* CheckBox4() const { return checkBox4_; }
    QCheckBox* CheckBox5() const { return checkBox5_; }
    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    QLabel* Label3() const { return label3_; }
    QLabel* Label4() const { return label4_; }
    // "Auto", then the encodings by their names.
    QComboBox* EncodingBox() const { return encodingBox_; }
    QPushButton* Button1() const { return button1_; }
    QPushButton* Button2() const { return button2_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    int SpinValue(std::string_view key);
    void FitTexts();

    TMainForm* mainForm_;
    QLabel* label1_;
    QSpinBox* upDown2_;
    QLabel* label2_;
    QCheckBox* checkBox4_;
    QCheckBox* checkBox1_;
    QLabel* label3_;
    QSpinBox* upDown1_;
    QCheckBox* checkBox2_;
    QCheckBox* checkBox3_;
    QCheckBox* checkBox5_;
    QLabel* label4_;
    QComboBox* encodingBox_;
    QPushButton* button1_;
    QPushButton* button2_;
};

} // namespace verdask
