// SPDX-License-Identifier: GPL-3.0-or-later
// The table of what a running wipe holds, kept in fixed arrays of slots so
// that a signal handler can walk it without locks or allocation.
#include "platform/GiveBack.h"

#include "platform/Reserve.h"
#include "platform/StopSignal.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace tw {

namespace {

enum SlotState : int { kFree = 0, kFilling = 1, kHeld = 2 };

struct FillerSlot {
    std::atomic<int> state{kFree};
    int dirfd = -1;
    int fd = -1;
    char name[256] = {};
};

struct ReserveSlot {
    std::atomic<int> state{kFree};
    char path[256] = {};
    char value[32] = {};
    int fd = -1;                   // an XFS pool: restored through this volume's descriptor
    unsigned long long blocks = 0; // to this many blocks
};

// A FAT volume of 2 TiB takes 512 fillers of 4 GiB; the table has room for
// twice that. A filler that finds no slot is still removed by the wipe
// itself and, after a crash, at the next start.
constexpr int kFillerSlots = 1024;
constexpr int kReserveSlots = 32;

FillerSlot g_fillers[kFillerSlots];
ReserveSlot g_reserves[kReserveSlots];
std::atomic<int> g_held{0};

std::mutex g_waitMutex;
std::condition_variable g_released;

static_assert(std::atomic<int>::is_always_lock_free);

bool Copy(char* to, size_t room, const char* from)
{
    const size_t n = std::strlen(from);
    if (n >= room)
        return false;
    std::memcpy(to, from, n + 1);
    return true;
}

void Released()
{
    {
        std::lock_guard lock(g_waitMutex);
        g_held.fetch_sub(1);
    }
    g_released.notify_all();
}

} // namespace

int HoldFiller(int dirfd, int fd, const char* name)
{
    for (int i = 0; i < kFillerSlots; ++i) {
        int expected = kFree;
        if (!g_fillers[i].state.compare_exchange_strong(expected, kFilling))
            continue;
        FillerSlot& slot = g_fillers[i];
        if (!Copy(slot.name, sizeof slot.name, name)) {
            slot.state.store(kFree);
            return -1;
        }
        slot.dirfd = dirfd;
        slot.fd = fd;
        g_held.fetch_add(1);
        slot.state.store(kHeld, std::memory_order_release);
        return i;
    }
    return -1;
}

void ReleaseFiller(int slot)
{
    if (slot < 0 || slot >= kFillerSlots)
        return;
    int expected = kHeld;
    if (g_fillers[slot].state.compare_exchange_strong(expected, kFree))
        Released();
}

int HoldReserve(const char* path, const char* value)
{
    for (int i = 0; i < kReserveSlots; ++i) {
        int expected = kFree;
        if (!g_reserves[i].state.compare_exchange_strong(expected, kFilling))
            continue;
        ReserveSlot& slot = g_reserves[i];
        if (!Copy(slot.path, sizeof slot.path, path) || !Copy(slot.value, sizeof slot.value, value)) {
            slot.state.store(kFree);
            return -1;
        }
        slot.fd = -1;
        g_held.fetch_add(1);
        slot.state.store(kHeld, std::memory_order_release);
        return i;
    }
    return -1;
}

int HoldXfsReserve(int fd, unsigned long long blocks)
{
    for (int i = 0; i < kReserveSlots; ++i) {
        int expected = kFree;
        if (!g_reserves[i].state.compare_exchange_strong(expected, kFilling))
            continue;
        ReserveSlot& slot = g_reserves[i];
        slot.path[0] = '\0';
        slot.fd = fd;
        slot.blocks = blocks;
        g_held.fetch_add(1);
        slot.state.store(kHeld, std::memory_order_release);
        return i;
    }
    return -1;
}

void ReleaseReserve(int slot)
{
    if (slot < 0 || slot >= kReserveSlots)
        return;
    int expected = kHeld;
    if (g_reserves[slot].state.compare_exchange_strong(expected, kFree))
        Released();
}

int HeldCount() { return g_held.load(); }

void GiveBackNow()
{
    const int saved = errno;
    // Fillers first: the reserve comes back once the space is free again.
    for (FillerSlot& slot : g_fillers) {
        if (slot.state.load(std::memory_order_acquire) != kHeld)
            continue;
        // Cutting the filler frees its blocks even if the name cannot go.
        [[maybe_unused]] const int t = ftruncate(slot.fd, 0);
        unlinkat(slot.dirfd, slot.name, 0);
    }
    for (ReserveSlot& slot : g_reserves) {
        if (slot.state.load(std::memory_order_acquire) != kHeld)
            continue;
        if (slot.fd >= 0) {
            RestoreXfsReserveNow(slot.fd, slot.blocks);
            continue;
        }
        const int fd = open(slot.path, O_WRONLY | O_CLOEXEC);
        if (fd >= 0) {
            [[maybe_unused]] const ssize_t n = write(fd, slot.value, std::strlen(slot.value));
            close(fd);
        }
    }
    errno = saved;
}

bool WaitUntilGivenBack(std::chrono::milliseconds limit)
{
    std::unique_lock lock(g_waitMutex);
    return g_released.wait_for(lock, limit, [] { return g_held.load() == 0; });
}

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
struct sigaction g_previous[sizeof kFatalSignals / sizeof kFatalSignals[0]];

void OnFatalSignal(int signal, siginfo_t* info, void*)
{
    GiveBackNow();
    // Whatever handled the signal before (the default action, a sanitizer)
    // takes over. A fault raised by an instruction happens again when the
    // handler returns; any other signal is raised anew.
    for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i)
        if (kFatalSignals[i] == signal)
            sigaction(signal, &g_previous[i], nullptr);
    if (signal == SIGABRT || !info || info->si_code <= 0)
        raise(signal);
}

// exit() from a library, typically the display connection's error path
// while a fill runs on the worker thread: the fill is asked to stop and
// given a moment to flush and remove its fillers the ordinary way.
void OnExit()
{
    if (HeldCount() == 0)
        return;
    RequestStop();
    WaitUntilGivenBack(std::chrono::seconds(10));
    GiveBackNow();
}

} // namespace

void InstallLastResort()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_sigaction = OnFatalSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i)
            sigaction(kFatalSignals[i], &action, &g_previous[i]);
        std::atexit(OnExit);
    });
}

} // namespace tw
