// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Terminal.h"

#include "platform/StopSignal.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tw {

bool IsTerminal(int fd) { return isatty(fd) == 1; }

int TerminalColumns(int fd, int fallback)
{
    struct winsize size {};
    if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return fallback;
}

std::optional<std::string> ReadAnswerLine(int fd)
{
    std::string line;
    const int stopFd = StopSignalFd();
    for (;;) {
        // A signal that came just before the read would not interrupt it:
        // the wait is on the answer and on the stop's self-pipe together.
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (StopRequested())
            return std::nullopt;
        if (poll(fds, stopFd >= 0 ? 2 : 1, -1) < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (fds[1].revents || StopRequested())
            return std::nullopt;
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n == 1) {
            if (c == '\n')
                return line;
            line += c;
            continue;
        }
        // The stop handlers do not restart calls, so a signal ends the wait.
        if (n < 0 && errno == EINTR && !StopRequested())
            continue;
        if (n == 0 && !line.empty())
            return line;  // a last answer without a line end
        return std::nullopt;
    }
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

void IgnoreBrokenPipe() { signal(SIGPIPE, SIG_IGN); }

} // namespace tw
