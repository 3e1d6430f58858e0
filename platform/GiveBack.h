// SPDX-License-Identifier: GPL-3.0-or-later
// What a free-space wipe holds that must not outlive the program: named
// filler files, which keep a volume full, and an ext4 reserve lowered for
// the fill. Each is registered here while it is held, so that the ways out
// that bypass the wipe's own clean-up still give it back: exit() called by a
// library (the display connection broke), and fatal signals (a crash, an
// abort). Only SIGKILL and a power cut are left to the next start.
#pragma once

#include <chrono>

namespace tw {

// Registers a named filler: `dirfd` and `name` are used to remove it, `fd`
// to empty it first. The descriptors stay owned by the caller and must
// stay open while registered. Returns a slot, or -1 when the table is full
// (the filler is then left to the next start).
int HoldFiller(int dirfd, int fd, const char* name);
void ReleaseFiller(int slot);

// Registers a lowered ext4 reserve: `value` is written to the sysfs file
// `path` to restore it. Returns a slot or -1.
int HoldReserve(const char* path, const char* value);
// Registers a lowered XFS reserve pool: restored to `blocks` through the
// descriptor `fd` (of the volume; kept open by the caller while held).
int HoldXfsReserve(int fd, unsigned long long blocks);
void ReleaseReserve(int slot);

// How many fillers and reserves are registered now.
int HeldCount();

// Empties and removes every registered filler and restores every registered
// reserve, at once. Only async-signal-safe calls: usable in a signal handler.
void GiveBackNow();

// Waits until nothing is registered or `limit` has passed; true when
// nothing is held any more.
bool WaitUntilGivenBack(std::chrono::milliseconds limit);

// Installs, once: handlers for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT
// that give everything back before the process dies of the signal, and an
// exit hook that asks a running fill to stop, waits a while for it to clean
// up, and gives back whatever is still held.
void InstallLastResort();

} // namespace tw
