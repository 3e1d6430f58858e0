// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX side of the hand-off socket: a private directory, a lock around
// replacing a stale socket, and peer credentials on every connection.
#include "inbound/HandOff.h"

#include "core/Translations.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

namespace tw {

namespace {
// Why a hand-off failed, in the user's language; names go in as bytes.
std::string Why(const char* text, std::initializer_list<std::string_view> args = {})
{
    return FillText(QCoreApplication::translate("tw::HandOff", text), args);
}
} // namespace

namespace {

constexpr const char* kSocketName = "tarnowick.socket";
constexpr const char* kLockName = "tarnowick.lock";

// A directory that only this user owns and may enter; a link is not
// followed, since whoever made the link would choose where we listen.
bool IsPrivateDirectory(const std::string& dir)
{
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { if (m_fd >= 0) close(m_fd); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { const int fd = m_fd; m_fd = -1; return fd; }

private:
    int m_fd;
};

bool MakeAddress(const std::string& path, sockaddr_un& addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Waits until `fd` is ready for `events`, at most until `deadline` (ms
// left, updated). False on time-out or error.
bool WaitFor(int fd, short events, int& msLeft)
{
    while (msLeft > 0) {
        pollfd p{fd, events, 0};
        timespec before{};
        clock_gettime(CLOCK_MONOTONIC, &before);
        const int n = poll(&p, 1, msLeft);
        timespec after{};
        clock_gettime(CLOCK_MONOTONIC, &after);
        msLeft -= int((after.tv_sec - before.tv_sec) * 1000 + (after.tv_nsec - before.tv_nsec) / 1000000);
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
    }
    return false;
}

} // namespace

std::string HandOffSocketPath(std::string* why, const std::string& fallbackBase)
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        const std::string dir = runtime;
        if (IsPrivateDirectory(dir) && dir.size() + 1 + std::strlen(kSocketName) < sizeof(sockaddr_un::sun_path))
            return dir + "/" + kSocketName;
    }
    // No usable runtime directory (a bare X session, su, sudo): a private
    // directory of our own in /tmp. Another user may have made it first to
    // listen in our place; then it is not ours and is never used.
    const std::string dir = fallbackBase + "/tarnowick-" + std::to_string(geteuid());
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        if (why)
            *why = Why(QT_TRANSLATE_NOOP("tw::HandOff", "cannot create %1: %2"), {dir, std::strerror(errno)});
        return {};
    }
    if (!IsPrivateDirectory(dir)) {
        if (why)
            *why = Why(QT_TRANSLATE_NOOP("tw::HandOff", "%1 belongs to another user or may be entered by others"), {dir});
        return {};
    }
    return dir + "/" + kSocketName;
}

int ListenForHandOff(const std::string& path, unsigned long long* socketId, std::string* why)
{
    sockaddr_un addr{};
    if (!MakeAddress(path, addr)) {
        if (why)
            *why = Why(QT_TRANSLATE_NOOP("tw::HandOff", "the socket path is too long"));
        errno = ENAMETOOLONG;
        return -1;
    }
    // Two instances starting at once must not both take a socket for stale
    // and remove it: the check and the replacement happen under a lock.
    const std::string lockPath = DirectoryOf(path) + "/" + kLockName;
    Fd lock(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (lock.get() >= 0)
        while (flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {}

    Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0) {
        if (why)
            *why = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            if (listen(fd.get(), 16) != 0) {
                const int err = errno;
                unlink(path.c_str());
                if (why)
                    *why = std::string("listen: ") + std::strerror(err);
                errno = err;
                return -1;
            }
            struct stat st {};
            if (socketId)
                *socketId = lstat(path.c_str(), &st) == 0 ? (unsigned long long)st.st_ino : 0;
            return fd.release();
        }
        if (errno != EADDRINUSE)
            break;
        // Somebody's socket is there: a live instance, or one that ended
        // without removing it.
        Fd probe(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (probe.get() >= 0 && connect(probe.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            errno = EADDRINUSE;
            return -1;
        }
        struct stat st {};
        if (errno != ECONNREFUSED || lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
            break;
        unlink(path.c_str());
    }
    const int err = errno;
    if (why)
        *why = Why(QT_TRANSLATE_NOOP("tw::HandOff", "cannot listen at %1: %2"), {path, std::strerror(err)});
    errno = err == EADDRINUSE ? EADDRNOTAVAIL : err;
    return -1;
}

void RemoveHandOffSocket(const std::string& path, unsigned long long socketId)
{
    struct stat st {};
    if (socketId != 0 && lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == socketId)
        unlink(path.c_str());
}

HandOffResult SendHandOff(const std::string& path, const std::string& message, int timeoutMs, std::string* why)
{
    sockaddr_un addr{};
    if (!MakeAddress(path, addr))
        return HandOffResult::NoInstance;
    Fd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return HandOffResult::NoInstance;
    if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        return HandOffResult::NoInstance;  // nobody there, or a socket left behind
    if (!PeerIsSameUser(fd.get())) {
        if (why)
            *why = Why(QT_TRANSLATE_NOOP("tw::HandOff", "the program listening at %1 runs as another user"), {path});
        return HandOffResult::Failed;
    }
    fcntl(fd.get(), F_SETFL, fcntl(fd.get(), F_GETFL) | O_NONBLOCK);

    int msLeft = timeoutMs;
    size_t sent = 0;
    while (sent < message.size()) {
        const ssize_t n = send(fd.get(), message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR) && WaitFor(fd.get(), POLLOUT, msLeft))
            continue;
        if (why)
            *why = n < 0 && errno != EAGAIN ? std::string("sending: ") + std::strerror(errno)
                                            : Why(QT_TRANSLATE_NOOP("tw::HandOff", "the running Tarnowick does not answer"));
        return HandOffResult::Failed;
    }
    shutdown(fd.get(), SHUT_WR);

    std::string reply;
    char buffer[64];
    for (;;) {
        const ssize_t n = recv(fd.get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            reply.append(buffer, size_t(n));
            if (reply.size() > 256)
                break;
            continue;
        }
        if (n == 0)
            break;
        if ((errno == EAGAIN || errno == EINTR) && WaitFor(fd.get(), POLLIN, msLeft))
            continue;
        if (why)
            *why = errno == EAGAIN ? Why(QT_TRANSLATE_NOOP("tw::HandOff", "the running Tarnowick does not answer"))
                                   : std::string("receiving: ") + std::strerror(errno);
        return HandOffResult::Failed;
    }
    if (reply == "OK\n")
        return HandOffResult::Delivered;
    if (why)
        *why = reply.empty() ? Why(QT_TRANSLATE_NOOP("tw::HandOff", "the running Tarnowick closed the connection"))
                             : Why(QT_TRANSLATE_NOOP("tw::HandOff", "the running Tarnowick refused the names: %1"),
                                   {reply.substr(0, reply.find('\n'))});
    return HandOffResult::Failed;
}

bool PeerIsSameUser(int fd)
{
    ucred cred{};
    socklen_t length = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 || length != sizeof cred)
        return false;
    return cred.uid == geteuid();
}

} // namespace tw
