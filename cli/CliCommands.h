// SPDX-License-Identifier: GPL-3.0-or-later
// tarnowick-cli from its command line to its exit status: each command
// calls the same engine bodies as the window's menu items.
#pragma once

#include <string>
#include <vector>

namespace tw::cli {

// Runs the command line `args` (without the program's name) and returns
// the exit status. Standard input, output and error are the process's own.
int RunCli(const std::vector<std::string>& args);

// `path` made absolute against the current directory, without resolving
// links: the wiper opens the last component itself and never follows it.
std::string AbsolutePath(const std::string& path, const std::string& currentDirectory);

} // namespace tw::cli
