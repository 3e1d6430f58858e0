// SPDX-License-Identifier: GPL-3.0-or-later
// The local socket through which `tarnowick --delete` hands file names to
// the instance already running for the same user. The socket lives in a
// directory that only that user can enter, so no other user can listen in
// its place (and read the names) or feed names to the window.
#pragma once

#include <string>

namespace tw {

// Where the running instance listens: in $XDG_RUNTIME_DIR when that is a
// directory of this user's that nobody else may enter, else in
// /tmp/tarnowick-UID, created with mode 0700. Empty, with the reason in
// `why`, when neither is safe (another user made the /tmp directory first).
// `fallbackBase` stands for /tmp in tests.
std::string HandOffSocketPath(std::string* why, const std::string& fallbackBase = "/tmp");

// Binds and listens at `path`. A socket left there by an instance that has
// ended is replaced. Returns the listening descriptor; -1 with errno
// EADDRINUSE when a live instance already listens there, or -1 with
// another errno (and a reason in `why`) when it cannot listen at all.
// `socketId` receives what RemoveHandOffSocket needs to know the socket.
int ListenForHandOff(const std::string& path, unsigned long long* socketId, std::string* why);

// Removes the socket at `path` if it is still the one ListenForHandOff made
// (not one a later instance made there after this one stopped listening).
void RemoveHandOffSocket(const std::string& path, unsigned long long socketId);

enum class HandOffResult {
    Delivered,   // the running instance took the names
    NoInstance,  // nobody listens: start a window of our own
    Failed,      // somebody listens but did not take them (reason in `why`)
};

// Sends `message` to the instance listening at `path` and waits (at most
// `timeoutMs`) for its "OK". The peer must run as the same user.
HandOffResult SendHandOff(const std::string& path, const std::string& message, int timeoutMs,
                          std::string* why);

// True when the process at the other end of the connected local socket
// `fd` runs as this process's effective user.
bool PeerIsSameUser(int fd);

} // namespace tw
