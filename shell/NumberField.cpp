// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/NumberField.h"

#include <QLineEdit>
#include <QSpinBox>

namespace verdask {

QSpinBox* NumberField(QWidget* parent, int minimum, int maximum, int step, int initial)
{
    auto* field = new QSpinBox(parent);
    field->setRange(minimum, maximum);
    field->setSingleStep(step);
    field->setWrapping(false);
    field->setValue(initial);
    field->findChild<QLineEdit*>()->setReadOnly(true);
    return field;
}

} // namespace verdask
