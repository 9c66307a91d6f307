#include "TemporaryFiles.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <windows.h>

namespace hamlog::detail {

namespace {

// A fixed table of wide C strings, so that the console control handler finds the files without allocating. The
// handler runs on a thread of its own; it removes the Ready files and lets the system end the program. Temporary
// files are opened with FILE_SHARE_DELETE (CreateNewFile), so they can be removed while they are being written:
// they go when the program's handle closes.
constexpr std::size_t kSlots = 16;
constexpr std::size_t kPathChars = 4096;
enum SlotState : int { Free = 0, Filling = 1, Ready = 2 };

struct Slot {
    std::atomic<int> state{Free};
    wchar_t path[kPathChars] = {};
};

std::array<Slot, kSlots> g_slots;
std::once_flag g_installed;

// A change of a log under way (EndRequestsHeld) finishes first, so a log is never left half changed. Once the program
// is ending, no new change starts: its thread waits until the system ends the program.
std::mutex g_holdMutex;
std::condition_variable g_holdChanged;
int g_holding = 0;
bool g_ending = false;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT &&
        event != CTRL_SHUTDOWN_EVENT) {
        return FALSE;
    }
    {
        std::unique_lock lock(g_holdMutex);
        g_ending = true;
        g_holdChanged.wait(lock, [] { return g_holding == 0; });
    }
    for (Slot& slot : g_slots) {
        if (slot.state.load() == Ready) {
            ::DeleteFileW(slot.path);
        }
    }
    return FALSE; // the next handler, in the end the system's, ends the program
}

void Install() {
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

} // namespace

int RegisterTemporaryFile(const std::string& path) {
    std::call_once(g_installed, Install);
    // Path texts are UTF-8 here; the handler needs the system's UTF-16 name.
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), nullptr, 0);
    if (path.empty() || length <= 0 || static_cast<std::size_t>(length) >= kPathChars) {
        return -1;
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
        Slot& slot = g_slots[i];
        int expected = Free;
        if (slot.state.compare_exchange_strong(expected, Filling)) {
            ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()), slot.path,
                                  length);
            slot.path[length] = L'\0';
            slot.state.store(Ready);
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

EndRequestsHeld::EndRequestsHeld() : m_saved{} {
    std::unique_lock lock(g_holdMutex);
    g_holdChanged.wait(lock, [] { return !g_ending; }); // never returns once the program is ending
    ++g_holding;
}

EndRequestsHeld::~EndRequestsHeld() {
    {
        const std::lock_guard lock(g_holdMutex);
        --g_holding;
    }
    g_holdChanged.notify_all();
}

} // namespace hamlog::detail
