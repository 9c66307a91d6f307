// libHamlog50: version, counting, opening, loading records and closing a log.
//
// A reading state lives on the heap and is reached through the caller's record area (RecordArea.h).
// Every state handed out is kept in a table of slots, so a close, a second close, or an open over an area that
// still holds a log frees exactly the states this library made and never follows a stale pointer.

#include "DbfTable.h"
#include "MasterFile.h"
#include "RecordArea.h"

#include "hamlog/HamlogApi.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace hamlog::detail {

namespace {

/// Marks a counting handle filled by a successful dbf_open ("DBF1").
constexpr std::uint32_t kHandleMagic = 0x31464244u;

/// The counting handle: the count is taken when the table is opened, so nothing stays open.
struct DbfHandle {
    std::uint32_t magic;
    std::int32_t recordCount;
};
static_assert(sizeof(DbfHandle) <= HAMLOG_DBF_HANDLE_SIZE, "the handle must fit the caller's area");

/// Bytes read at once when a record is not in the window: sequential reading costs one read per window.
constexpr std::size_t kWindowBytes = 256 * 1024;

struct ReadState {
    FileHandle file = kNoFile;
    TableLayout layout;
    std::vector<char> window;
    std::int64_t windowCapacity = 0; // records the window can hold
    std::int64_t windowFirst = 0;    // number of the window's first record; 0 when nothing is loaded
    std::int64_t windowRecords = 0;  // records the window holds now

    ReadState() = default;
    ReadState(const ReadState&) = delete;
    ReadState& operator=(const ReadState&) = delete;
    ~ReadState() { CloseFile(file); }

    bool holds(std::int64_t number) const {
        return windowFirst != 0 && number >= windowFirst && number < windowFirst + windowRecords;
    }

    // Fills the window so that it holds `number`: forward from it, or ending at it when reading moves
    // backwards, so a walk in either direction costs one read per window.
    void fill(std::int64_t number) {
        std::int64_t first = number;
        if (windowFirst != 0 && number < windowFirst) {
            first = std::max<std::int64_t>(1, number - windowCapacity + 1);
        }
        const std::int64_t wanted = std::min<std::int64_t>(windowCapacity, layout.recordCount - first + 1);
        const auto recordLength = static_cast<std::uint64_t>(layout.recordLength);
        const std::uint64_t offset = layout.headerLength + static_cast<std::uint64_t>(first - 1) * recordLength;
        const auto bytes = static_cast<std::size_t>(static_cast<std::uint64_t>(wanted) * recordLength); // a window
        const long long got = ReadAt(file, window.data(), bytes, offset);
        windowFirst = first;
        windowRecords = got < 0 ? 0 : static_cast<std::int64_t>(static_cast<std::uint64_t>(got) / recordLength);
    }
};

// Every reading state handed out sits in a slot of this table, together with a number that changes whenever the
// slot is emptied; an area keeps its state's slot and that number (its ticket). A read finds its state only while
// the slot still holds the area's number, and ThwString reads the loaded record only then (the area keeps where the
// slot's number lies), so a closed area, or a copy of an area whose log was closed, never reaches a freed state or
// window. The read takes no lock: areas on other threads read at the same time without waiting for each
// other. Only taking and emptying a slot is done under the lock.
struct Slot {
    std::atomic<std::uint64_t> number{1};
    std::atomic<ReadState*> state{nullptr};
};

Slot g_slots[kSlotCount];
std::mutex g_slotsMutex;

/// Puts a state in a free slot and returns its ticket, or 0 when every slot is taken.
std::uint64_t TakeSlot(ReadState* state) {
    const std::lock_guard lock(g_slotsMutex);
    for (std::uint64_t index = 0; index < kSlotCount; ++index) {
        Slot& slot = g_slots[index];
        if (slot.state.load(std::memory_order_relaxed) == nullptr) {
            slot.state.store(state, std::memory_order_release);
            return slot.number.load(std::memory_order_relaxed) * kSlotCount + index;
        }
    }
    return 0;
}

/// The state of a ticket, or null when its slot has been emptied since.
ReadState* StateOf(std::uint64_t ticket) {
    const Slot& slot = g_slots[ticket % kSlotCount];
    if (slot.number.load(std::memory_order_acquire) != ticket / kSlotCount) {
        return nullptr;
    }
    return slot.state.load(std::memory_order_acquire);
}

/// Empties the slot of a ticket and returns the state it held, or null when it was emptied before.
ReadState* EmptySlot(std::uint64_t ticket) {
    const std::lock_guard lock(g_slotsMutex);
    Slot& slot = g_slots[ticket % kSlotCount];
    const std::uint64_t number = ticket / kSlotCount;
    if (slot.number.load(std::memory_order_relaxed) != number) {
        return nullptr;
    }
    ReadState* state = slot.state.load(std::memory_order_relaxed);
    slot.number.store(number + 1, std::memory_order_release);
    slot.state.store(nullptr, std::memory_order_release);
    return state;
}

void ClearArea(void* record) {
    std::memset(record, 0, sizeof(RecordArea));
}

// Frees the state an area holds, when this library made it and it is still open, and marks the area closed.
void ReleaseArea(void* record) {
    if (AreaMagic(record) != kRecordAreaMagic) {
        return;
    }
    delete EmptySlot(AreaTicket(record));
    ClearArea(record);
}

// Reads the table's header under a shared lock, so a writer that locks the log (hamlog_tool) is never seen half
// way through an append. Once the count is taken the lock goes: writers only add records after the last one
// counted, or put a new file in place of the path, so the records counted stay as they are.
int ReadLayoutLocked(FileHandle file, TableLayout& layout) {
    if (!LockFile(file, LockKind::Shared, kReaderLockWaitMilliseconds)) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    const int result = ReadTableLayout(file, layout);
    UnlockFile(file);
    return result;
}

int OpenLog(void* record, const char* callerPath) {
    const std::string path = PathFromCaller(callerPath);
    const FileHandle file = OpenTableFile(path);
    if (file == kNoFile) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    auto state = std::make_unique<ReadState>();
    state->file = file;
    const int result = ReadLayoutLocked(file, state->layout);
    if (result != HAMLOG_OK) {
        return result;
    }
    if (!HasReadableMasterFile(path)) {
        return HAMLOG_ERR_MST_MISSING;
    }
    AdviseSequentialReading(file);

    const TableLayout& layout = state->layout;
    const auto byWindow = static_cast<std::int64_t>(std::max<std::size_t>(1, kWindowBytes / layout.recordLength));
    state->windowCapacity = std::max<std::int64_t>(1, std::min<std::int64_t>(byWindow, layout.recordCount));
    state->window.resize(static_cast<std::size_t>(state->windowCapacity) * layout.recordLength);

    RecordArea area{};
    area.magic = kRecordAreaMagic;
    area.fieldCount = std::min<std::uint32_t>(layout.fieldCount, HAMLOG_FIELD_COUNT);
    area.current = nullptr;
    for (std::size_t index = 0; index < HAMLOG_FIELD_COUNT; ++index) {
        area.fieldOffset[index] = layout.fieldOffset[index];
        area.fieldLength[index] = layout.fieldLength[index];
    }
    area.ticket = TakeSlot(state.get());
    if (area.ticket == 0) {
        return HAMLOG_ERR_OUT_OF_MEMORY;
    }
    area.slotNumber = &g_slots[area.ticket % kSlotCount].number;
    std::memcpy(record, &area, sizeof area);
    state.release();
    return HAMLOG_OK;
}

} // namespace

} // namespace hamlog::detail

using namespace hamlog::detail;

extern "C" {

int HAMLOG_CALL GetThdllVersion(void) {
    return HAMLOG_VERSION;
}

int HAMLOG_CALL HamlogConcurrentAreas(void) {
    // Each area has a reading state of its own; only the table of slots is shared, and reads take no lock on it.
    return 1;
}

int HAMLOG_CALL dbf_open(const char* path, void* handle) {
    if (handle == nullptr) {
        return HAMLOG_ERR_ARGUMENT;
    }
    DbfHandle closed{};
    std::memcpy(handle, &closed, sizeof closed);
    std::string text;
    try {
        text = PathFromCaller(path);
    } catch (...) {
        return HAMLOG_ERR_OUT_OF_MEMORY;
    }
    const FileHandle file = OpenTableFile(text);
    if (file == kNoFile) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    TableLayout layout;
    int result = HAMLOG_ERR_OUT_OF_MEMORY;
    try {
        result = ReadLayoutLocked(file, layout);
    } catch (...) {
    }
    CloseFile(file);
    if (result == HAMLOG_OK) {
        const DbfHandle open{kHandleMagic, layout.recordCount};
        std::memcpy(handle, &open, sizeof open);
    }
    return result;
}

int HAMLOG_CALL dbf_rcount(void* handle) {
    if (handle == nullptr) {
        return -1;
    }
    DbfHandle state;
    std::memcpy(&state, handle, sizeof state);
    return state.magic == kHandleMagic ? state.recordCount : -1;
}

void HAMLOG_CALL dbf_close(void* handle) {
    if (handle != nullptr) {
        const DbfHandle closed{};
        std::memcpy(handle, &closed, sizeof closed);
    }
}

int HAMLOG_CALL HamlogOpen(int /*reserved*/, void* record, const char* path, int /*mode*/) {
    if (record == nullptr) {
        return HAMLOG_ERR_ARGUMENT;
    }
    ReleaseArea(record);
    ClearArea(record);
    try {
        return OpenLog(record, path);
    } catch (...) {
        ClearArea(record);
        return HAMLOG_ERR_OUT_OF_MEMORY;
    }
}

int HAMLOG_CALL THW_read(void* record, int32_t number, int /*mode*/) {
    if (record == nullptr || AreaMagic(record) != kRecordAreaMagic) {
        return -1;
    }
    SetAreaCurrent(record, nullptr);
    ReadState* state = StateOf(AreaTicket(record));
    if (state == nullptr) {
        return -1;
    }
    // Only the slot table is shared between areas. The state belongs to this area and the area to one thread at a
    // time, so the file read below needs no lock and areas on other threads read at the same time.
    if (number < 1 || number > state->layout.recordCount) {
        return -1;
    }
    if (!state->holds(number)) {
        state->fill(number);
        if (!state->holds(number)) {
            return -1; // the file shrank or could not be read: the empty record stays loaded
        }
    }
    const auto index = static_cast<std::size_t>(number - state->windowFirst);
    SetAreaCurrent(record, state->window.data() + index * state->layout.recordLength);
    return 0;
}

void HAMLOG_CALL HamlogClose(void* record, int /*reserved*/) {
    if (record != nullptr) {
        ReleaseArea(record);
    }
}

} // extern "C"
