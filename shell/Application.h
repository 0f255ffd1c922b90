// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace verdask {

// What must be set before the QApplication exists: the web view's OpenGL
// contexts are shared with the window, and Chromium's sandbox, which cannot
// start as root (CI, containers), is turned off for root only. offscreen: no
// display is needed (tests, benchmarks), unless a platform was chosen.
void PrepareApplication(bool offscreen = false);

} // namespace verdask
