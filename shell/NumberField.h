// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QSpinBox;
class QWidget;

namespace verdask {

// A read-only number field with up-down arrows: only the arrows change the number,
// within its range, without wrapping around.
QSpinBox* NumberField(QWidget* parent, int minimum, int maximum, int step, int initial);

} // namespace verdask
