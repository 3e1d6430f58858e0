// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of the window tests: as TestMain, with a QApplication on the
// offscreen platform.
#include "tests/TestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    tw::test::TempDir config;
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    // Records of lowered ext4 reserves go here, never to the machine's own
    // /run/tarnowick, which other programs' tests may be using.
    tw::test::TempDir run;
    setenv("TARNOWICK_RUN_DIR", run.Path().c_str(), 1);
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
