// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ContentsPanel.h"

#include "shell/QtStrings.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>
#include <utility>

namespace verdask {

TContentsPanel::TContentsPanel(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemClicked, this, &TContentsPanel::Choose);
}

void TContentsPanel::Choose(QTreeWidgetItem* item)
{
    const auto at = std::find(items_.begin(), items_.end(), item);
    if (at != items_.end())
        emit HeadingChosen(headings_[static_cast<std::size_t>(at - items_.begin())]);
}

// Enter on the heading the keyboard is at goes to it, as a click does.
void TContentsPanel::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem() != nullptr) {
        Choose(currentItem());
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void TContentsPanel::SetHeadings(std::vector<THeading> headings)
{
    clear();
    items_.clear();
    headings_ = std::move(headings);
    // Each heading goes under the nearest one above it of a smaller depth.
    std::vector<std::pair<int, QTreeWidgetItem*>> above;
    for (const THeading& heading : headings_) {
        while (!above.empty() && above.back().first >= heading.Depth)
            above.pop_back();
        auto* item = above.empty() ? new QTreeWidgetItem(this) : new QTreeWidgetItem(above.back().second);
        item->setText(0, FromWindows1251(heading.Text));
        item->setToolTip(0, item->text(0));
        items_.push_back(item);
        above.emplace_back(heading.Depth, item);
    }
    expandToDepth(1);
}

void TContentsPanel::MarkPartOf(std::int64_t paragraph)
{
    int marked = -1;
    for (std::size_t i = 0; i < headings_.size(); ++i) {
        if (headings_[i].Anchor <= paragraph)
            marked = static_cast<int>(i);
    }
    if (marked < 0 || marked == Marked())
        return;
    QTreeWidgetItem* item = items_[static_cast<std::size_t>(marked)];
    setCurrentItem(item);
    scrollToItem(item);
}

int TContentsPanel::Marked() const
{
    const auto at = std::find(items_.begin(), items_.end(), currentItem());
    return at == items_.end() ? -1 : static_cast<int>(at - items_.begin());
}

} // namespace verdask
