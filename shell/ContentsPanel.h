// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The contents of the page being read, as a tree beside it: volumes, parts,
// chapters and scene breaks. A click on a heading asks for it; the heading of the
// part being read is marked as the reader goes.

#include "conversion/Contents.h"

#include <QTreeWidget>

#include <cstdint>
#include <vector>

namespace verdask {

class TContentsPanel : public QTreeWidget {
    Q_OBJECT

public:
    explicit TContentsPanel(QWidget* parent = nullptr);

    void SetHeadings(std::vector<THeading> headings);
    const std::vector<THeading>& Headings() const { return headings_; }
    // Marks the heading of the part that holds paragraph (the last one at or before it).
    void MarkPartOf(std::int64_t paragraph);
    // The heading marked, or -1.
    int Marked() const;

signals:
    void HeadingChosen(const THeading& heading);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Choose(QTreeWidgetItem* item);

    std::vector<THeading> headings_;
    std::vector<QTreeWidgetItem*> items_; // one a heading, in order
};

} // namespace verdask
