#include "convert/ModeTable.h"

#include "platform/AtomicFile.h"
#include "platform/FindFile.h"
#include "platform/NativeFile.h"
#include "text/ListInputReader.h"
#include "text/TextHelpers.h"

namespace zentu {

std::optional<std::filesystem::path> FindModeTable(const std::filesystem::path& programFolder) {
    return FindFileIgnoringCase(programFolder, kModeTableFileName);
}

std::filesystem::path ModeTablePath(const std::filesystem::path& programFolder) {
    return FindModeTable(programFolder).value_or(programFolder / std::string(kModeTableFileName));
}

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
    prepareLookUp();
}

void ModeTable::setRows(std::vector<Row> rows) {
    if (rows.size() > static_cast<std::size_t>(kMaxRows)) {
        rows.resize(static_cast<std::size_t>(kMaxRows));
    }
    rows.insert(rows.begin(), Row{});
    m_rows = std::move(rows);
    prepareLookUp();
}

bool ModeTable::save(const std::filesystem::path& file, std::string* error) const {
    std::string bytes;
    for (int r = 1; r <= count(); ++r) {
        const Row& cells = row(r);
        for (std::size_t column = 0; column < cells.size(); ++column) {
            const std::string_view value = TrimBlanks(cells[column]);
            if (column > 0) {
                bytes += ',';
            }
            // Only a file written by hand gives a cell with a comma; quoted, it reads back as one field.
            if (value.find(',') != std::string_view::npos) {
                bytes += '"' + std::string(value) + '"';
            } else {
                bytes += value;
            }
        }
        bytes += "\r\n";
    }
    return AtomicFile::writeWhole(file, bytes, error);
}

void ModeTable::prepareLookUp() {
    // Rows are searched from row 0 on, columns 1 to 4: the first row that holds a spelling wins, so a spelling
    // already seen keeps its mode.
    m_lookUp.clear();
    for (const Row& row : m_rows) {
        for (std::size_t column = 1; column < row.size(); ++column) {
            m_lookUp.try_emplace(std::string(TrimBlanks(row[column])), TrimBlanks(row[0]));
        }
    }
}

std::string ModeTable::conv_mode_tbl(std::string_view mode) const {
    return std::string(lookUp(mode));
}

std::string_view ModeTable::lookUp(std::string_view mode) const {
    const std::string_view trimmed = TrimBlanks(mode);
    // The key is the mode with its ASCII letters upper-cased; a mode is short, so it is built on the stack.
    char buffer[64];
    std::string longKey;
    std::string_view key;
    if (trimmed.size() <= sizeof buffer) {
        Cp932UpperAsciiInto(trimmed, buffer);
        key = std::string_view(buffer, trimmed.size());
    } else {
        longKey = Cp932UpperAscii(trimmed);
        key = longKey;
    }
    const auto found = m_lookUp.find(key);
    return found != m_lookUp.end() ? std::string_view(found->second) : mode;
}

} // namespace zentu
