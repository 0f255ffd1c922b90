// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/SourcePreview.h"

#include "conversion/Source.h"
#include "shell/QtStrings.h"

namespace verdask {
namespace {

constexpr std::size_t LongestListedLine = 4096; // a preview line is cut for the list, not for detection

} // namespace

TSourcePreview::TSourcePreview(QWidget* parent) : QListWidget(parent)
{
    QFont courier("Courier");
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    courier.setPixelSize(12);
    setFont(courier);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
}

void TSourcePreview::Show(const TSourceState& source)
{
    clear();
    for (const auto& line : source.Preview)
        addItem(FromWindows1251(std::string_view(line).substr(0, LongestListedLine)));
}

} // namespace verdask
