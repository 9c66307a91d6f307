// hamlog_tool's CSV reader: the first byte chooses the encoding (detected, UTF-8 or CP932), the rest is the file.

#include "FuzzSupport.h"

#include "CsvInput.h"
#include "codec/Cp932.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto encoding = static_cast<hamlog::CsvEncoding>(data[0] % 3);
    const std::string_view bytes = zentu::fuzz::Bytes(data + 1, size - 1);

    std::vector<hamlog::CsvRow> rows;
    std::string error;
    if (hamlog::ParseCsv(bytes, rows, &error)) {
        std::size_t line = 0;
        for (const hamlog::CsvRow& row : rows) {
            FUZZ_CHECK(row.line > line && !row.fields.empty());
            line = row.line;
        }
    } else {
        FUZZ_CHECK(!error.empty());
    }

    std::vector<hamlog::LogRecord> records;
    error.clear();
    if (hamlog::CsvRecordsFromBytes(std::string(bytes), encoding, "in.csv", records, &error)) {
        // Every text stored is CP932 without a NUL.
        for (const hamlog::LogRecord& record : records) {
            for (const std::string& field : record.fields) {
                FUZZ_CHECK(field.find('\0') == std::string::npos);
                FUZZ_CHECK(zentu::codec::Cp932ToUtf8(field).ok);
            }
        }
    } else {
        FUZZ_CHECK(!error.empty());
    }
    return 0;
}
