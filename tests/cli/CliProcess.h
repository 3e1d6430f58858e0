// SPDX-License-Identifier: GPL-3.0-or-later
// The real tarnowick-cli as a child process: with no terminal at all (input
// from /dev/null or a string), or on a pseudo-terminal that the test reads
// and types into, as a person at a terminal would.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace tw::test {

// The program under test.
std::string CliProgram();

struct CliResult {
    int status = -1;     // exit status; 128 + signal when killed
    std::string out;     // standard output
    std::string err;     // standard error
    // The lines of standard output.
    std::vector<std::string> OutLines() const;
};

struct CliLaunch {
    CliLaunch(std::vector<std::string> arguments = {}) : args(std::move(arguments)) {}
    std::vector<std::string> args;               // after the program's name
    std::string input;                           // standard input (a pipe), unless `devNullInput`
    bool devNullInput = true;
    std::map<std::string, std::string> env;      // added to the test's own environment
    long long addressSpaceLimit = 0;             // RLIMIT_AS of the child, bytes; 0: none
    std::string workingDirectory;                // "" = the test's own
};

// Runs the program to its end.
CliResult RunCli(const CliLaunch& launch);

// A run that the test controls while it goes on: started, looked at,
// signalled, waited for. Standard output and error are collected.
class CliChild {
public:
    explicit CliChild(const CliLaunch& launch);
    ~CliChild();  // kills a child still running
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;
    pid_t Pid() const { return m_pid; }
    void Signal(int signal);
    // Reads what is there without waiting.
    void Drain();
    CliResult Wait();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
    CliResult m_result;
};

// The program on a pseudo-terminal: standard input and standard error are
// the terminal; standard output is the terminal too, unless `pipeStdout`,
// where it goes to a pipe of its own (for --json).
class CliOnTerminal {
public:
    CliOnTerminal(const CliLaunch& launch, bool pipeStdout = false);
    ~CliOnTerminal();
    CliOnTerminal(const CliOnTerminal&) = delete;
    CliOnTerminal& operator=(const CliOnTerminal&) = delete;

    // Waits until the terminal has shown `text` since the last Expect (up
    // to `patience`); false when the program ended or the time ran out.
    bool Expect(const std::string& text, std::chrono::seconds patience = std::chrono::seconds(60));
    // Types `text` (a line end is not added).
    void Type(const std::string& text);
    // Everything the terminal has shown, and what was not yet expected.
    const std::string& Screen() const { return m_screen; }
    std::string Unread() const { return m_screen.substr(m_consumed); }
    pid_t Pid() const { return m_pid; }
    // Waits for the end; the terminal's output is in `err`, the pipe's in `out`.
    CliResult Wait();

private:
    bool ReadSome(int timeoutMs);

    pid_t m_pid = -1;
    int m_master = -1;
    int m_out = -1;
    std::string m_screen;
    size_t m_consumed = 0;
    std::string m_stdout;
};

} // namespace tw::test
