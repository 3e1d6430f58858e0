// SPDX-License-Identifier: GPL-3.0-or-later
// The program's command line, read from the raw argument bytes: file names
// need not be UTF-8 and must reach the walk exactly as given.
//
//   tarnowick                    the window
//   tarnowick FILE               the window, after FILE was opened for reading
//   tarnowick --delete FILE...   the window asks about each FILE and destroys
//                                those answered Yes (or the running instance
//                                of this user does)
//   tarnowick --help | --version
#pragma once

#include <string>
#include <vector>

namespace tw {

struct CommandLine {
    enum Kind { Window, Document, Delete, Help, Version, Usage };
    Kind kind = Window;
    // Document: the one file name; Delete: the files, absolute, in order.
    std::vector<std::string> names;
    // Usage: what was wrong.
    std::string error;
    // How many leading entries of argv the GUI toolkit may read (and take
    // its own options from): never the file names after --delete.
    int toolkitArgc = 1;

    static CommandLine OpenDocument(const std::string& name) { return {Document, {name}, {}, 1}; }
};

// First reading, before the toolkit has seen anything: --help, --version
// and --delete with its names (made absolute against `workingDirectory`).
// Kind is Window when the rest is for ReadRemainingArguments.
CommandLine ReadCommandLine(int argc, const char* const* argv, const std::string& workingDirectory);

// Second reading, of the arguments the toolkit left (without the program
// name): none, or one file name. Keeps a Delete or turns it into Usage
// when anything is left.
CommandLine ReadRemainingArguments(CommandLine line, const std::vector<std::string>& rest);

std::string UsageText();    // the three usage lines
std::string HelpText();     // usage and what each form does (--help)
std::string VersionText();  // "Tarnowick 1.0"

} // namespace tw
