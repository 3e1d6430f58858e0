// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/cli/CliProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;

namespace tw::test {

namespace {

// argv and envp prepared before the fork: after it the child only calls
// what is safe there.
struct Exec {
    std::vector<std::string> argStrings, envStrings;
    std::vector<char*> argv, envp;

    explicit Exec(const CliLaunch& launch)
    {
        argStrings.push_back(CliProgram());
        argStrings.insert(argStrings.end(), launch.args.begin(), launch.args.end());
        std::map<std::string, std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const size_t eq = entry.find('=');
            if (eq != std::string::npos)
                env[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        for (const auto& [name, value] : launch.env)
            env[name] = value;
        for (const auto& [name, value] : env)
            envStrings.push_back(name + "=" + value);
        for (std::string& s : argStrings)
            argv.push_back(s.data());
        argv.push_back(nullptr);
        for (std::string& s : envStrings)
            envp.push_back(s.data());
        envp.push_back(nullptr);
    }

    [[noreturn]] void Run(const CliLaunch& launch)
    {
        if (launch.addressSpaceLimit > 0) {
            const struct rlimit limit { rlim_t(launch.addressSpaceLimit), rlim_t(launch.addressSpaceLimit) };
            setrlimit(RLIMIT_AS, &limit);
        }
        if (!launch.workingDirectory.empty() && chdir(launch.workingDirectory.c_str()) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
};

int StatusOf(int wstatus)
{
    if (WIFEXITED(wstatus))
        return WEXITSTATUS(wstatus);
    if (WIFSIGNALED(wstatus))
        return 128 + WTERMSIG(wstatus);
    return -1;
}

// Appends what `fd` has; false at its end.
bool ReadInto(int fd, std::string& into)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n > 0) {
            into.append(buf, size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return true;
        return false;  // end, or EIO: the terminal's other side is gone
    }
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

} // namespace

std::string CliProgram() { return TARNOWICK_CLI; }

std::vector<std::string> CliResult::OutLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

CliChild::CliChild(const CliLaunch& launch)
{
    Exec exec(launch);
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m_pid = fork();
    if (m_pid == 0) {
        if (launch.devNullInput) {
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, 0);
        } else {
            dup2(in[0], 0);
        }
        dup2(out[1], 1);
        dup2(err[1], 2);
        exec.Run(launch);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!launch.devNullInput && !launch.input.empty())
        [[maybe_unused]] const ssize_t n = write(in[1], launch.input.data(), launch.input.size());
    close(in[1]);
    m_out = out[0];
    m_err = err[0];
    SetNonBlocking(m_out);
    SetNonBlocking(m_err);
}

CliChild::~CliChild()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_out >= 0)
        close(m_out);
    if (m_err >= 0)
        close(m_err);
}

void CliChild::Signal(int signal)
{
    if (m_pid > 0)
        kill(m_pid, signal);
}

void CliChild::Drain()
{
    ReadInto(m_out, m_result.out);
    ReadInto(m_err, m_result.err);
}

CliResult CliChild::Wait()
{
    // Both pipes are read to their ends, so a child that writes much is
    // never blocked on a full pipe.
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        if (outOpen && fds[0].revents)
            outOpen = ReadInto(m_out, m_result.out);
        if (errOpen && fds[1].revents)
            errOpen = ReadInto(m_err, m_result.err);
    }
    int wstatus = 0;
    waitpid(m_pid, &wstatus, 0);
    m_pid = -1;
    m_result.status = StatusOf(wstatus);
    return m_result;
}

CliResult RunCli(const CliLaunch& launch)
{
    CliChild child(launch);
    return child.Wait();
}

CliOnTerminal::CliOnTerminal(const CliLaunch& launch, bool pipeStdout)
{
    Exec exec(launch);
    int out[2] = {-1, -1};
    if (pipeStdout && pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    struct winsize size {};
    size.ws_col = 100;
    size.ws_row = 30;
    m_pid = forkpty(&m_master, nullptr, nullptr, &size);
    if (m_pid < 0)
        throw std::runtime_error("forkpty failed");
    if (m_pid == 0) {
        if (pipeStdout)
            dup2(out[1], 1);
        exec.Run(launch);
    }
    if (pipeStdout) {
        close(out[1]);
        m_out = out[0];
        SetNonBlocking(m_out);
    }
    SetNonBlocking(m_master);
}

CliOnTerminal::~CliOnTerminal()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_master >= 0)
        close(m_master);
    if (m_out >= 0)
        close(m_out);
}

bool CliOnTerminal::ReadSome(int timeoutMs)
{
    pollfd fds[2] = {{m_master, POLLIN, 0}, {m_out, POLLIN, 0}};
    const int n = poll(fds, m_out >= 0 ? 2 : 1, timeoutMs);
    if (n <= 0)
        return n == 0 || errno == EINTR;
    bool open = true;
    if (fds[0].revents)
        open = ReadInto(m_master, m_screen);
    if (m_out >= 0 && fds[1].revents && !ReadInto(m_out, m_stdout)) {
        close(m_out);
        m_out = -1;
    }
    return open;
}

bool CliOnTerminal::Expect(const std::string& text, std::chrono::seconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const size_t at = m_screen.find(text, m_consumed);
        if (at != std::string::npos) {
            m_consumed = at + text.size();
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !ReadSome(int(left.count())))
            return m_screen.find(text, m_consumed) != std::string::npos;
    }
}

void CliOnTerminal::Type(const std::string& text)
{
    [[maybe_unused]] const ssize_t n = write(m_master, text.data(), text.size());
}

CliResult CliOnTerminal::Wait()
{
    // The terminal reports its end (EIO) once the child and every copy of
    // its side are gone. A child that waits for an answer nobody gives is
    // a failure, not a test that never ends.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (ReadSome(1000)) {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the program did not end; the terminal shows:\n" << m_screen;
            kill(m_pid, SIGKILL);
        }
    }
    if (m_out >= 0) {
        fcntl(m_out, F_SETFL, fcntl(m_out, F_GETFL) & ~O_NONBLOCK);
        ReadInto(m_out, m_stdout);
        close(m_out);
        m_out = -1;
    }
    CliResult result;
    int wstatus = 0;
    waitpid(m_pid, &wstatus, 0);
    m_pid = -1;
    result.status = StatusOf(wstatus);
    result.err = m_screen;
    result.out = m_stdout;
    return result;
}

} // namespace tw::test
