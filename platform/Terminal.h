// SPDX-License-Identifier: GPL-3.0-or-later
// What the headless front end needs of its terminal and its standard
// streams: whether a person is there to answer, how wide a line is, reading
// one answer, and surviving a reader that went away.
#pragma once

#include <optional>
#include <string>

namespace tw {

// True when `fd` is a terminal.
bool IsTerminal(int fd);

// Columns of the terminal on `fd`; `fallback` when it cannot be told.
int TerminalColumns(int fd, int fallback = 80);

// One line read from `fd` without its line end, byte by byte so that
// nothing after it is consumed. Nothing at the end of input, on an error, or
// when a stop signal interrupted the wait.
std::optional<std::string> ReadAnswerLine(int fd);

// Writes all of `text` to `fd`, going on after interruptions; false when the
// reader is gone or the write failed.
bool WriteAll(int fd, const std::string& text);

// A reader that closes its end of a pipe (`| head`) must not end the program
// by SIGPIPE in the middle of a file: writes fail with EPIPE instead.
void IgnoreBrokenPipe();

} // namespace tw
