// SPDX-License-Identifier: GPL-3.0-or-later
// The stop flag and its self-pipe. Only async-signal-safe calls happen in
// the handler: a store to a lock-free atomic and a write to a pipe.
#include "platform/StopSignal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace tw {

namespace {

std::atomic<int> g_stop{0};      // 0: none; -1: RequestStop(); else the signal
int g_pipe[2] = {-1, -1};

void Wake()
{
    if (g_pipe[1] >= 0) {
        const int saved = errno;
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(g_pipe[1], &byte, 1);
        errno = saved;
    }
}

void OnStopSignal(int signal)
{
    int expected = 0;
    g_stop.compare_exchange_strong(expected, signal);
    Wake();
}

void MakePipe()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            g_pipe[0] = g_pipe[1] = -1;
    });
}

} // namespace

void InstallStopSignals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        MakePipe();
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a blocking call returns with EINTR and the loop
        // around it sees the flag sooner.
        action.sa_flags = 0;
        for (int signal : {SIGTERM, SIGINT, SIGHUP})
            sigaction(signal, &action, nullptr);
    });
}

bool StopRequested() { return g_stop.load(std::memory_order_relaxed) != 0; }

int StopSignalNumber()
{
    const int v = g_stop.load();
    return v > 0 ? v : 0;
}

int StopSignalFd()
{
    MakePipe();
    return g_pipe[0];
}

void RequestStop()
{
    MakePipe();
    int expected = 0;
    g_stop.compare_exchange_strong(expected, -1);
    Wake();
}

void ReraiseStopSignal()
{
    const int signal = StopSignalNumber();
    if (signal == 0)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
}

void ClearStopRequest()
{
    g_stop.store(0);
    if (g_pipe[0] >= 0) {
        char buf[64];
        while (read(g_pipe[0], buf, sizeof buf) > 0) {
        }
    }
}

} // namespace tw
