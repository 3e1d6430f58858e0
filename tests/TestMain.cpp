// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry point: a fresh XDG_CONFIG_HOME for every test program, set
// before anything reads the settings, and removed at the end.
#include "tests/TestSupport.h"

#include <QCoreApplication>

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
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
