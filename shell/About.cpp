#include "shell/About.h"

#include "shell/InterfaceText.h"
#include "shell/Main.h"
#include "shell/Text.h"
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

TAboutForm::TAboutForm(TMainForm* mainForm)
    : QDialog(mainForm, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      mainForm_(mainForm),
      label1_(new QLabel(this)),
      label2_(new QLabel(this)),
      label3_(new QLabel(this)),
      button1_(new QPushButton("OK", this))
{
    setFixedSize(ClientWidth, ClientHeight);
    for (QLabel* label : {label1_, label2_, label3_})
        label->setAlignment(Qt::AlignCenter);
    label1_->move(0, 8);
    label2_->move(0, 32);
    label3_->move(0, 56);
    QFont link = label3_->font();
    link.setUnderline(true);
    label3_->setFont(link);
    label3_->setStyleSheet("color: blue");
    label3_->setCursor(Qt::PointingHandCursor);
    label3_->installEventFilter(this);
    button1_->setGeometry(0, 120, 75, 25);
    button1_->setDefault(true);
    connect(button1_, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutForm::FormShow()
{
    label1_->setText(FromWindows1251(mainForm_->Text(41) + std::string(Version)));
    label2_->setText(FromWindows1251(mainForm_->Text(42)));
    label3_->setText(QString::fromStdString(std::string(HomePageAddress)));
    setWindowTitle(FromWindows1251(mainForm_->Text(Row::About)));
    // The design's width, or the longest line's with a margin on each side: the
    // Russian credit line is longer than the design allows.
    int longest = 0;
    for (QLabel* label : {label1_, label2_, label3_})
        longest = std::max(longest, label->sizeHint().width());
    setFixedSize(std::max(ClientWidth, longest + 2 * SideMargin), ClientHeight);
    for (QLabel* label : {label1_, label2_, label3_})
        label->setGeometry(0, label->y(), width(), LabelHeight);
    button1_->move((width() - button1_->width()) / 2, button1_->y());
    const QRect main = mainForm_->frameGeometry();
    move(main.width() / 2 + main.left() - width() / 2, main.height() / 2 + main.top() - height() / 2);
}

void TAboutForm::Label3Click()
{
    accept();
    emit HomePageRequested();
}

void TAboutForm::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == label3_ && event->type() == QEvent::MouseButtonRelease) {
        Label3Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace verdask
