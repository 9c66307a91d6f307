// The mode table loader over any bytes (a mode_tbl.csv), then a few modes mapped through it.

#include "FuzzSupport.h"

#include "convert/ModeTable.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = zentu::fuzz::Bytes(data, size);
    zentu::ModeTable table;
    table.loadFromBytes(bytes);
    FUZZ_CHECK(table.count() >= 0 && table.count() <= zentu::ModeTable::kMaxRows);
    for (int row = 0; row <= table.count(); ++row) {
        for (const std::string& cell : table.row(row)) {
            FUZZ_CHECK(cell.size() <= size);
        }
    }
    for (const std::string_view mode :
         {std::string_view("SSB"), std::string_view(" cw "), std::string_view(""), bytes.substr(0, 12)}) {
        table.conv_mode_tbl(mode);
    }
    return 0;
}
