#pragma once

// Small pieces the windows share.

#include "files/Prompts.h"

#include <exception>

class QSpinBox;
class QWidget;

namespace verdask {

// A read-only number field with up-down arrows: only the arrows change the number,
// within its range, without wrapping around.
QSpinBox* NumberField(QWidget* parent, int minimum, int maximum, int step, int initial);

// The general error report: runs a command and shows the text of what it throws.
template <typename Command>
void RunGuarded(Prompts& prompts, Command&& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        prompts.ShowError(error.what());
    }
}

} // namespace verdask
