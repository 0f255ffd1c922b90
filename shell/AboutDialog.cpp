// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/AboutDialog.h"

#include "shell/InterfaceText.h"
#include "shell/MainWindow.h"
#include "shell/QtStrings.h"
#include "style/PageFrame.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace verdask {
namespace {

constexpr int ClientWidth = 383;
constexpr int ClientHeight = 168;
constexpr int LabelHeight = 20;
constexpr int SideMargin = 12;
constexpr std::string_view Version = "1.4";

} // namespace

TAboutDialog::TAboutDialog(TMainWindow* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      mainWindow_(mainWindow),
      version_(new QLabel(this)),
      credit_(new QLabel(this)),
      homePage_(new QLabel(this)),
      ok_(new QPushButton("OK", this))
{
    setFixedSize(ClientWidth, ClientHeight);
    for (QLabel* label : {version_, credit_, homePage_})
        label->setAlignment(Qt::AlignCenter);
    version_->move(0, 8);
    credit_->move(0, 32);
    homePage_->move(0, 56);
    QFont link = homePage_->font();
    link.setUnderline(true);
    homePage_->setFont(link);
    homePage_->setStyleSheet("color: blue");
    homePage_->setCursor(Qt::PointingHandCursor);
    homePage_->installEventFilter(this);
    ok_->setGeometry(0, 120, 75, 25);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutDialog::ShowTexts()
{
    version_->setText(FromWindows1251(mainWindow_->Text(Row::VersionLine) + std::string(Version)));
    credit_->setText(FromWindows1251(mainWindow_->Text(Row::CreditLine)));
    homePage_->setText(QString::fromStdString(std::string(HomePageAddress)));
    setWindowTitle(FromWindows1251(mainWindow_->Text(Row::About)));
    // The design's width, or the longest line's with a margin on each side: the
    // Russian credit line is longer than the design allows.
    int longest = 0;
    for (QLabel* label : {version_, credit_, homePage_})
        longest = std::max(longest, label->sizeHint().width());
    setFixedSize(std::max(ClientWidth, longest + 2 * SideMargin), ClientHeight);
    for (QLabel* label : {version_, credit_, homePage_})
        label->setGeometry(0, label->y(), width(), LabelHeight);
    ok_->move((width() - ok_->width()) / 2, ok_->y());
    const QRect main = mainWindow_->frameGeometry();
    move(main.width() / 2 + main.left() - width() / 2, main.height() / 2 + main.top() - height() / 2);
}

void TAboutDialog::OpenHomePage()
{
    accept();
    emit HomePageRequested();
}

void TAboutDialog::showEvent(QShowEvent* event)
{
    ShowTexts();
    QDialog::showEvent(event);
}

bool TAboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == homePage_ && event->type() == QEvent::MouseButtonRelease) {
        OpenHomePage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace verdask
