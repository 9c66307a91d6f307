#include "convert/ModeTable.h"

#include "platform/NativeFile.h"
#include "text/ListInputReader.h"
#include "text/TextHelpers.h"

namespace zentu {

bool ModeTable::load(const std::filesystem::path& file) {
    // A folder or a named pipe in place of the table is not read (and a pipe is never waited on).
    std::string bytes;
    int error = 0;
    if (ReadRegularFile(file, bytes, error) != FileReadOutcome::Read) {
        return false;
    }
    loadFromBytes(bytes);
    return true;
}

void ModeTable::loadFromBytes(std::string_view bytes) {
    std::vector<Row> rows{Row{}};
    ListInputReader reader(bytes);
    // One line is one row. A short line leaves its last cells empty; fields beyond the fifth are skipped so
    // that they cannot slide into the next row. Rows beyond the table's size are not read.
    while (static_cast<int>(rows.size()) - 1 < kMaxRows && !reader.atEnd()) {
        Row row;
        bool endedLine = false;
        for (std::size_t column = 0; column < row.size() && !endedLine; ++column) {
            if (!reader.next(row[column])) {
                endedLine = true;
                break;
            }
            endedLine = reader.endedLine();
        }
        std::string extra;
        while (!endedLine && reader.next(extra)) {
            endedLine = reader.endedLine();
        }
        rows.push_back(std::move(row));
    }
    m_rows = std::move(rows);
}

std::string ModeTable::conv_mode_tbl(std::string_view mode) const {
    const std::string key = Cp932UpperAscii(TrimBlanks(mode));
    for (const Row& row : m_rows) {
        for (std::size_t column = 1; column < row.size(); ++column) {
            if (TrimBlanks(row[column]) == key) {
                return std::string(TrimBlanks(row[0]));
            }
        }
    }
    return std::string(mode);
}

} // namespace zentu
