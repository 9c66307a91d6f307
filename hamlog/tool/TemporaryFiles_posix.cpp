#include "TemporaryFiles.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <unistd.h>

namespace hamlog::detail {

namespace {

// A fixed table of C strings, so the signal handler reads it without allocating or locking. A slot is Free, being
// Filled by the thread that claimed it, or Ready; the handler removes only Ready files.
constexpr std::size_t kSlots = 16;
constexpr std::size_t kPathBytes = 4096;
enum SlotState : int { Free = 0, Filling = 1, Ready = 2 };

struct Slot {
    std::atomic<int> state{Free};
    char path[kPathBytes] = {};
};

std::array<Slot, kSlots> g_slots;
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs lock-free flags");

constexpr std::array<int, 3> kEndSignals = {SIGTERM, SIGINT, SIGHUP};
struct sigaction g_previous[3];
std::once_flag g_installed;

// While a log is changed (EndRequestsHeld) a request that reaches another thread of the program is kept here and
// acted on when the change is done.
std::atomic<int> g_holding{0};
std::atomic<int> g_pending{0};

void OnEndSignal(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    if (g_holding.load() > 0) {
        g_pending.store(signal);
        errno = savedErrno;
        return;
    }
    for (Slot& slot : g_slots) {
        if (slot.state.load() == Ready) {
            ::unlink(slot.path);
        }
    }
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        if (kEndSignals[i] != signal) {
            continue;
        }
        const struct sigaction& previous = g_previous[i];
        if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
            previous.sa_sigaction(signal, info, context);
            errno = savedErrno;
            return;
        }
        if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN && previous.sa_handler != nullptr) {
            previous.sa_handler(signal);
            errno = savedErrno;
            return;
        }
    }
    // End the way the signal would have ended the program: the default action, then the signal again.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signal);
    errno = savedErrno;
}

void InstallHandlers() {
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        struct sigaction current {};
        if (::sigaction(kEndSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
            continue;
        }
        g_previous[i] = current;
        struct sigaction action {};
        action.sa_sigaction = OnEndSignal;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int other : kEndSignals) {
            sigaddset(&action.sa_mask, other);
        }
        ::sigaction(kEndSignals[i], &action, nullptr);
    }
}

} // namespace

int RegisterTemporaryFile(const std::string& path) {
    std::call_once(g_installed, InstallHandlers);
    if (path.size() >= kPathBytes) {
        return -1;
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = Free;
        if (g_slots[i].state.compare_exchange_strong(expected, Filling)) {
            std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
            g_slots[i].state.store(Ready);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void UnregisterTemporaryFile(int slot) {
    if (slot >= 0 && static_cast<std::size_t>(slot) < kSlots) {
        g_slots[static_cast<std::size_t>(slot)].state.store(Free);
    }
}

EndRequestsHeld::EndRequestsHeld() {
    static_assert(sizeof(sigset_t) <= sizeof m_saved, "the saved signal mask must fit");
    sigset_t block;
    sigemptyset(&block);
    for (const int signal : kEndSignals) {
        sigaddset(&block, signal);
    }
    sigset_t saved;
    ::pthread_sigmask(SIG_BLOCK, &block, &saved);
    std::memcpy(m_saved, &saved, sizeof saved);
    g_holding.fetch_add(1);
}

EndRequestsHeld::~EndRequestsHeld() {
    sigset_t saved;
    std::memcpy(&saved, m_saved, sizeof saved);
    const int pending = g_holding.fetch_sub(1) == 1 ? g_pending.exchange(0) : 0;
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    if (pending != 0) {
        ::raise(pending);
    }
}

} // namespace hamlog::detail
