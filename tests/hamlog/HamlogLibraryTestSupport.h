#pragma once

// Reading logs through the record library in tests: an area with a log open in it, counting, a small table of call
// signs, and the fixture that writes a log into a folder of its own.

#include "HamlogTestFiles.h"

#include "hamlog/HamlogApi.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

namespace hamlog::test {

/// A record area with a log opened in it, closed when it goes.
class Reader {
public:
    explicit Reader(const std::filesystem::path& hdb) {
        m_code = HamlogOpen(0, m_area.data(), LibraryPath(hdb).c_str(), 0);
    }
    ~Reader() { HamlogClose(m_area.data(), 0); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    int code() const { return m_code; }
    void* area() { return m_area.data(); }
    int read(std::int32_t number) { return THW_read(m_area.data(), number, 2); }
    std::string field(int number) {
        char text[HAMLOG_TEXT_SIZE];
        std::memset(text, 'x', sizeof text);
        ThwString(text, m_area.data(), static_cast<std::int16_t>(number));
        return text;
    }

private:
    alignas(16) std::array<unsigned char, HAMLOG_RECORD_SIZE> m_area{};
    int m_code = -1;
};

/// dbf_open's result and dbf_rcount's count.
inline std::pair<int, int> Count(const std::filesystem::path& hdb) {
    std::array<unsigned char, HAMLOG_DBF_HANDLE_SIZE> handle{};
    const int code = dbf_open(LibraryPath(hdb).c_str(), handle.data());
    const int count = dbf_rcount(handle.data());
    dbf_close(handle.data());
    return {code, count};
}

/// A table of three fields (a call sign, a date, a name) and no records.
inline HandTable CallTable() {
    HandTable table;
    table.fields = {{"CALLS", 8}, {"DATE", 8}, {"NAME", 10}};
    return table;
}

/// Tests of the record library, each with a folder of its own.
class HamlogLibraryTest : public ::testing::Test {
protected:
    /// Writes `table` as LOG.hdb with a master file log.mst beside it.
    std::filesystem::path writeLog(const HandTable& table) {
        const auto hdb = m_folder / "LOG.hdb";
        WriteFile(hdb, table.bytes());
        WriteFile(m_folder / "log.mst", "m");
        return hdb;
    }

    TempFolder m_folder;
};

} // namespace hamlog::test
