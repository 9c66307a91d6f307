// The record library's dBase reader: the input is a whole NAME.hdb (its master file is always there). Counts it,
// opens it and reads records and fields through the C calls, as the programs do.

#include "FuzzSupport.h"

#include "codec/Cp932.h"
#include "hamlog/HamlogApi.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

/// Whether `text` ends inside a double-byte character (a lead byte without its second byte).
bool EndsInHalfCharacter(const char* text, std::size_t length) {
    std::size_t position = 0;
    while (position < length) {
        position += IsLeadByte(static_cast<unsigned char>(text[position])) ? 2 : 1;
    }
    return position > length;
}

void ReadFields(void* area, std::int32_t number, std::int32_t count) {
    const int read = THW_read(area, number, 2);
    FUZZ_CHECK(read == ((number >= 1 && number <= count) ? 0 : -1));
    // A buffer of exactly HAMLOG_TEXT_SIZE bytes on the heap, so the address sanitizer sees any byte beyond it.
    std::vector<char> text(HAMLOG_TEXT_SIZE, 'x');
    for (std::int16_t field = 0; field <= HAMLOG_FIELD_COUNT + 1; ++field) {
        ThwString(text.data(), area, field);
        const auto length = static_cast<std::size_t>(std::find(text.begin(), text.end(), '\0') - text.begin());
        FUZZ_CHECK(length < HAMLOG_TEXT_SIZE);
        FUZZ_CHECK(read == 0 || length == 0);
        FUZZ_CHECK(!EndsInHalfCharacter(text.data(), length));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path hdb = [] {
        zentu::fuzz::WriteWhole(zentu::fuzz::ScratchFolder() / "LOG.mst", "m");
        return zentu::fuzz::ScratchFolder() / "LOG.hdb";
    }();
    zentu::fuzz::WriteWhole(hdb, zentu::fuzz::Bytes(data, size));

    alignas(16) std::array<unsigned char, HAMLOG_DBF_HANDLE_SIZE> handle{};
    const int counted = dbf_open(hdb.c_str(), handle.data());
    const int count = dbf_rcount(handle.data());
    dbf_close(handle.data());
    FUZZ_CHECK(counted == HAMLOG_OK || counted == HAMLOG_ERR_HDB_INVALID || counted == HAMLOG_ERR_HDB_NOT_DBASE ||
               counted == HAMLOG_ERR_HDB_VERSION);
    FUZZ_CHECK(counted == HAMLOG_OK ? count >= 0 : count == -1);
    // A record is at least two bytes (flag and one field) after a header of at least 65: never more than that.
    FUZZ_CHECK(count <= static_cast<int>(size / 2));

    alignas(16) std::array<unsigned char, HAMLOG_RECORD_SIZE> area{};
    const int opened = HamlogOpen(0, area.data(), hdb.c_str(), 0);
    FUZZ_CHECK(opened == counted);
    if (opened == HAMLOG_OK) {
        // The first records, a few from the end backwards, and numbers outside the log.
        for (std::int32_t number = 1; number <= std::min(count, 64); ++number) {
            ReadFields(area.data(), number, count);
        }
        for (std::int32_t number = count; number > std::max(0, count - 8); --number) {
            ReadFields(area.data(), number, count);
        }
        for (const std::int32_t number : {0, -1, count + 1, INT32_MAX, INT32_MIN}) {
            ReadFields(area.data(), number, count);
        }
    } else {
        ReadFields(area.data(), 1, 0);
    }
    HamlogClose(area.data(), 0);
    return 0;
}
