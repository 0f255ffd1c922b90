// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FindBar.h"

#include "shell/InterfaceText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace verdask {

TFindBar::TFindBar(QWidget* parent)
    : QWidget(parent),
      field_(new QLineEdit(this)),
      count_(new QLabel(this)),
      previous_(new QToolButton(this)),
      next_(new QToolButton(this)),
      close_(new QToolButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(field_, 1);
    layout->addWidget(count_);
    layout->addWidget(previous_);
    layout->addWidget(next_);
    layout->addWidget(close_);
    field_->setClearButtonEnabled(true);
    previous_->setArrowType(Qt::UpArrow);
    next_->setArrowType(Qt::DownArrow);
    close_->setText(QStringLiteral("×"));
    close_->setAutoRaise(true);
    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) { emit Search(text, false); });
    connect(previous_, &QToolButton::clicked, this, [this] { emit Search(field_->text(), true); });
    connect(next_, &QToolButton::clicked, this, [this] { emit Search(field_->text(), false); });
    connect(close_, &QToolButton::clicked, this, [this] { Close(true); });
    SetLanguage(language_);
    hide();
}

void TFindBar::SetLanguage(int language)
{
    language_ = language;
    field_->setPlaceholderText(QString::fromStdString(ReaderText(language, TReaderText::FindPlaceholder)));
    previous_->setToolTip(QString::fromStdString(ReaderText(language, TReaderText::FindPrevious)));
    next_->setToolTip(QString::fromStdString(ReaderText(language, TReaderText::FindNext)));
    close_->setToolTip(QString::fromStdString(ReaderText(language, TReaderText::FindClose)));
    ShowResult(active_, matches_, wrapped_, backward_);
}

void TFindBar::Open()
{
    show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

QString TFindBar::Text() const
{
    return field_->text();
}

void TFindBar::ShowResult(int active, int matches, bool wrapped, bool backward)
{
    active_ = active;
    matches_ = matches;
    wrapped_ = wrapped;
    backward_ = backward;
    if (matches < 0 || field_->text().isEmpty()) {
        count_->clear();
        return;
    }
    std::string text = MatchesText(language_, active, matches);
    if (wrapped)
        text += " · " + FindWrappedText(language_, backward);
    count_->setText(QString::fromStdString(text));
}

void TFindBar::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (field_->text().isEmpty())
            Close(true);
        else
            emit Search(field_->text(), (event->modifiers() & Qt::ShiftModifier) != 0);
        return;
    case Qt::Key_Escape:
        Close(false);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TFindBar::Close(bool keepMatch)
{
    // The page takes the focus first: handed on by a hidden bar, the focus would
    // go to another part of the window.
    emit Closed(keepMatch);
    hide();
    ShowResult(0, -1);
}

} // namespace verdask
