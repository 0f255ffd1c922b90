// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The list that previews a loaded text: its first lines, decoded, in a fixed-pitch face.

#include <QListWidget>

namespace verdask {

struct TSourceState;

class TSourcePreview : public QListWidget {
    Q_OBJECT

public:
    explicit TSourcePreview(QWidget* parent = nullptr);

    void Show(const TSourceState& source);
};

} // namespace verdask
