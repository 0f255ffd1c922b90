// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/GoToField.h"

#include "files/Misc.h"
#include "shell/InterfaceText.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cmath>

namespace verdask {

std::optional<std::int64_t> ParagraphToGoTo(std::string_view typed, std::int64_t paragraphs)
{
    while (!typed.empty() && typed.front() == ' ')
        typed.remove_prefix(1);
    while (!typed.empty() && typed.back() == ' ')
        typed.remove_suffix(1);
    const bool percent = typed.ends_with('%');
    if (percent)
        typed.remove_suffix(1);
    if (paragraphs <= 0 || typed.empty() || !std::all_of(typed.begin(), typed.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto number = TryTextToInteger(typed);
    if (!number)
        return std::nullopt;
    const std::int64_t paragraph =
        percent ? static_cast<std::int64_t>(std::llround(static_cast<double>(paragraphs) * std::min<std::int64_t>(*number, 100) / 100.0))
                : static_cast<std::int64_t>(*number);
    return std::clamp<std::int64_t>(paragraph, 1, paragraphs);
}

TGoToField::TGoToField(QWidget* parent) : QLineEdit(parent)
{
    // Reached by Ctrl+G or a click: the page keeps the keys a reader reads with.
    setFocusPolicy(Qt::ClickFocus);
    setClearButtonEnabled(false);
    setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0")) * 18);
    SetLanguage(1);
}

void TGoToField::SetLanguage(int language)
{
    setPlaceholderText(QString::fromStdString(ReaderText(language, TReaderText::GoToPlaceholder)));
    setToolTip(QString::fromStdString(ReaderText(language, TReaderText::GoToHint)));
}

void TGoToField::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const auto paragraph = ParagraphToGoTo(text().toStdString(), paragraphs_)) {
            clear();
            emit GoTo(*paragraph);
            emit Done();
        } else {
            // Names no place: ready to be typed over.
            selectAll();
            QApplication::beep();
        }
        return;
    case Qt::Key_Escape:
        clear();
        emit Done();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

} // namespace verdask
