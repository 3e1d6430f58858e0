// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Terminal.h"

#include "platform/StopSignal.h"

#include <cerrno>
#include <csignal>
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
    for (;;) {
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
