// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The status line's field that takes the reader to a place: a share of the
// book ("40%") or a paragraph's number ("1520"). Enter goes there, Escape gives
// it up; either way the page takes the focus back.

#include <QLineEdit>

#include <cstdint>
#include <optional>
#include <string_view>

namespace verdask {

// The paragraph a typed place names in a page of paragraphs: "N" is paragraph N,
// "N%" the paragraph N per cent into the book, each within the book; nothing for
// text that names no place, or when the page has no paragraphs.
std::optional<std::int64_t> ParagraphToGoTo(std::string_view typed, std::int64_t paragraphs);

class TGoToField : public QLineEdit {
    Q_OBJECT

public:
    explicit TGoToField(QWidget* parent = nullptr);

    void SetLanguage(int language);
    // The number of paragraphs of the page shown.
    void SetParagraphCount(std::int64_t paragraphs) { paragraphs_ = paragraphs; }

signals:
    void GoTo(std::int64_t paragraph);
    void Done();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::int64_t paragraphs_ = 0;
};

} // namespace verdask
