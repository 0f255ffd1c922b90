#pragma once

// The about box: name and version, the author credit, the home page link.

#include <QDialog>

class QLabel;
class QPushButton;

namespace verdask {

class TMainForm;

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(TMainForm* mainForm);

    // Centres the box on the main window and takes the texts of the current language.
    void FormShow();
    // The link: closes the box with OK and asks for the home page.
    void Label3Click();

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }
    QLabel* Label3() const { return label3_; }
    QPushButton* Button1() const { return button1_; }

signals:
    void HomePageRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TMainForm* mainForm_;
    QLabel* label1_;
    QLabel* label2_;
    QLabel* label3_;
    QPushButton* button1_;
};

} // namespace verdask
