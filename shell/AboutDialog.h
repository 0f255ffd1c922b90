// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The about box: name and version, the author credit, the home page link.

#include <QDialog>

class QLabel;
class QPushButton;

namespace verdask {

class TMainWindow;

class TAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit TAboutDialog(TMainWindow* mainWindow);

    // Centres the box on the main window and takes the texts of the current language.
    void ShowTexts();
    // The link: closes the box with OK and asks for the home page.
    void OpenHomePage();

    QLabel* VersionLine() const { return version_; }
    QLabel* CreditLine() const { return credit_; }
    QLabel* HomePageLink() const { return homePage_; }
    QPushButton* OkButton() const { return ok_; }

signals:
    void HomePageRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TMainWindow* mainWindow_;
    QLabel* version_;
    QLabel* credit_;
    QLabel* homePage_;
    QPushButton* ok_;
};

} // namespace verdask
