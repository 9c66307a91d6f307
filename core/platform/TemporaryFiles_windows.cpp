#include "platform/TemporaryFiles.h"

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <windows.h>

namespace zentu {

namespace {

// A fixed table of wide C strings. The console control handler runs on a thread of its own; it removes the
// Ready files and lets the system end the program.
constexpr std::size_t kSlots = 32;
constexpr std::size_t kPathChars = 32768;
enum SlotState : int { Free = 0, Filling = 1, Ready = 2 };

struct Slot {
    std::atomic<int> state{Free};
    wchar_t path[kPathChars] = {};
};

std::array<Slot, kSlots>* g_slots = nullptr;
std::once_flag g_installed;
std::atomic<int> g_holding{0};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT &&
        event != CTRL_SHUTDOWN_EVENT) {
        return FALSE;
    }
    // Files being put in place finish first (a few renames), so the pair is never left half replaced.
    for (int waited = 0; g_holding.load() > 0 && waited < 5000; waited += 10) {
        ::Sleep(10);
    }
    for (Slot& slot : *g_slots) {
        if (slot.state.load() == Ready) {
            ::DeleteFileW(slot.path);
        }
    }
    return FALSE; // the next handler, in the end the system's, ends the program
}

void Install() {
    g_slots = new std::array<Slot, kSlots>(); // lives as long as the program, for the handler thread
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

} // namespace

int RegisterTemporaryFile(const std::filesystem::path& file) {
    std::call_once(g_installed, Install);
    const std::wstring& native = file.native();
    if (native.size() >= kPathChars) {
        return -1;
    }
    for (std::size_t i = 0; i < kSlots; ++i) {
        Slot& slot = (*g_slots)[i];
        int expected = Free;
        if (slot.state.compare_exchange_strong(expected, Filling)) {
            std::memcpy(slot.path, native.c_str(), (native.size() + 1) * sizeof(wchar_t));
            slot.state.store(Ready);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void UnregisterTemporaryFile(int slot) {
    if (slot >= 0 && static_cast<std::size_t>(slot) < kSlots && g_slots != nullptr) {
        (*g_slots)[static_cast<std::size_t>(slot)].state.store(Free);
    }
}

EndRequestsHeld::EndRequestsHeld() : m_saved{} {
    g_holding.fetch_add(1);
}

EndRequestsHeld::~EndRequestsHeld() {
    g_holding.fetch_sub(1);
}

} // namespace zentu
