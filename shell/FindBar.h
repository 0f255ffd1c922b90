// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The find bar under the page: a field, the count of matches, previous and next,
// and a close button. Enter finds the next match, Shift+Enter the previous one.
// Escape closes the bar and gives up the match shown; the close button and Enter
// in an empty field close it and keep the match.

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

namespace verdask {

class TFindBar : public QWidget {
    Q_OBJECT

public:
    explicit TFindBar(QWidget* parent = nullptr);

    void SetLanguage(int language);
    // Shows the bar with its text selected, ready to be typed over.
    void Open();
    QString Text() const;
    // The result of the last search: the match shown (from 1) of how many, and
    // whether it went on past the end (or the top, backwards).
    void ShowResult(int active, int matches, bool wrapped = false, bool backward = false);

    QLineEdit* Field() const { return field_; }
    QLabel* Count() const { return count_; }

signals:
    // Find text from the match shown on, forwards or backwards; an empty text
    // clears the marks.
    void Search(const QString& text, bool backward);
    // keepMatch: the reader takes the match shown as the place to read on from.
    void Closed(bool keepMatch);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Close(bool keepMatch);

    QLineEdit* field_;
    QLabel* count_;
    QToolButton* previous_;
    QToolButton* next_;
    QToolButton* close_;
    int language_ = 1;
    int active_ = 0;
    int matches_ = -1; // no search yet
    bool wrapped_ = false;
    bool backward_ = false;
};

} // namespace verdask
