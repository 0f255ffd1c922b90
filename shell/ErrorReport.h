// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The general error report: every command, button and event handler of the
// windows runs through it, so that no exception crosses Qt's event loop.

#include "files/Prompts.h"

#include <exception>

namespace verdask {

// Runs a command and shows the text of what it throws.
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
