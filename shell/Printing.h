#pragma once

// The print dialog's settings between Qt's printer and the program's prompts.

#include "files/Prompts.h"

class QPrinter;

namespace verdask {

TPrintSettings PrintSettingsOf(const QPrinter& printer);
void ApplyPrintSettings(const TPrintSettings& settings, QPrinter& printer);

} // namespace verdask
