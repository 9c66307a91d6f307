#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zentu {

/// The name of the mode table file in the program folder.
inline constexpr std::string_view kModeTableFileName = "mode_tbl.csv";

/// The mode table of a program folder: its entry named mode_tbl.csv whatever the letter case of the name (the exact
/// spelling first), as Windows finds it. Nothing when there is none.
std::optional<std::filesystem::path> FindModeTable(const std::filesystem::path& programFolder);

/// Where the mode table of a program folder is read and saved: the file FindModeTable finds, else
/// programFolder/mode_tbl.csv.
std::filesystem::path ModeTablePath(const std::filesystem::path& programFolder);

/// The user's mode conversion table mode_tbl.csv: rows of an ADIF mode name (column 0) and up to four
/// spellings (columns 1 to 4) that map to it. Texts are CP932 bytes as stored in the file.
class ModeTable {
public:
    static constexpr int kMaxRows = 40;
    static constexpr int kColumns = 5;
    using Row = std::array<std::string, kColumns>;

    /// Reads a table file: five list-input fields per line (missing fields empty, extra fields on a line
    /// ignored), at most 40 rows; an empty file gives an empty table. Returns false, keeping the table as
    /// it was, when the file cannot be read.
    bool load(const std::filesystem::path& file);
    /// Reads a table from bytes, with the same rules (replaces the whole table).
    void loadFromBytes(std::string_view bytes);
    /// Replaces the whole table by `rows` (the first is row 1; rows beyond the table's size are dropped).
    void setRows(std::vector<Row> rows);
    /// Writes rows 1 to count to `file`, whole or not at all: each cell without the blanks at its ends, the cells
    /// joined by commas (a cell that holds a comma in double quotes, so that it reads back as one field), each row
    /// ended by CR LF. False with `error` (in Japanese, naming the file and the cause); the file is then unchanged.
    bool save(const std::filesystem::path& file, std::string* error = nullptr) const;

    /// Number of rows read (rows are numbered 1 to count; row 0 is always empty).
    int count() const { return static_cast<int>(m_rows.size()) - 1; }
    /// Row r, 0 to count.
    const Row& row(int r) const { return m_rows.at(static_cast<std::size_t>(r)); }

    /// Maps a mode: the key is the mode trimmed and upper-cased (ASCII letters only; double-byte characters
    /// kept); rows 0 to count, columns 1 to 4, are compared with their cells trimmed; the first match gives
    /// column 0 trimmed. No match: unchanged.
    std::string conv_mode_tbl(std::string_view mode) const;
    /// As conv_mode_tbl, without copying: the ADIF mode, or `mode` itself when no row matches. The text returned
    /// lives as long as `mode` and the table.
    std::string_view lookUp(std::string_view mode) const;

private:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };

    void prepareLookUp();

    std::vector<Row> m_rows{Row{}};
    /// Every trimmed spelling with the trimmed ADIF mode of the first row that holds it, made when the table is
    /// read: a run looks a mode up once per record.
    std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> m_lookUp;
};

} // namespace zentu
