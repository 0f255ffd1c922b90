// SPDX-License-Identifier: GPL-3.0-or-later
// The window's tests run in one Qt application, on the offscreen platform, with
// the real web view.

#include "shell/Application.h"

#include <QApplication>

#include <gtest/gtest.h>


int main(int argc, char** argv)
{
    verdask::PrepareApplication(true);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
