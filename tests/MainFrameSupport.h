// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window for GUI tests, shown, over a fake drive table.
#pragma once

#include "app/CMainFrame.h"
#include "tests/TestSupport.h"

#include <map>
#include <memory>
#include <string>

namespace tw::test {

// `roots`: the drives the window sees (letter -> root); by default C: is "/".
inline std::unique_ptr<CMainFrame> MakeFrame(std::map<char, std::string> roots = {{'C', "/"}})
{
    auto drives = std::make_unique<FakeDriveTable>();
    drives->roots = std::move(roots);
    auto frame = std::make_unique<CMainFrame>(std::move(drives));
    frame->show();
    return frame;
}

} // namespace tw::test
