#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zentu {

/// A value InitData returns: text (type 0 and unknown types), a 32-bit integer (1), a single (2) or a boolean (3).
using IniValue = std::variant<std::string, std::int32_t, float, bool>;

/// One INI file held in memory: its sections, the keys of each section and their text values, in file order.
///
/// Load a file, select a current section with NowSection, read and assign values with Data, then write with
/// Save. Every key operation works on the current section only; assignments change memory only, and nothing is
/// written unless Save is called.
///
/// Section names and keys compare without regard to (ASCII) letter case and keep the spelling they were added
/// with. Order is insertion order; assigning a key again moves it to the end of its section. A file line without
/// "=" is kept in memory (it is no key) and disappears from the file when its section is saved.
///
/// The file is CP932 text; the texts held and handed out here are UTF-8 (decoded on Load, encoded on Save).
///
/// Behaviour outside the usual call order (new object, Load, NowSection, Data, Save):
/// - Data assignment, DeleteData and Clear before any NowSection assignment work on the section with the empty
///   name. That section lives in memory only: Save never writes a section whose name is blank.
/// - A file in which a section name occurs twice (letter case ignored) loads as one section, at the place and
///   with the spelling of its first occurrence. Its keys are those the profile file module reads for the name,
///   which are the lines of the first occurrence; a save replaces those and leaves the later occurrence alone.
class CIniFile {
public:
    /// Reads the whole file into a fresh model. A missing file loads as an empty model. Always returns true.
    /// The current section name and the key list are left as they were (use a fresh object for every load).
    bool Load(const std::filesystem::path& iniFileName);

    /// Writes one section (`section` not empty) or every section in Sections order (empty; stops at the first
    /// failure, false when there is no section). A section is written with its keys in order as key=value lines
    /// and replaces that section's lines in the file (appended when the file lacks it). False when a write
    /// failed or a text cannot be written in CP932; the file is then unchanged.
    bool Save(std::string_view section = {});

    /// Name of the current section; empty until the first NowSection assignment.
    const std::string& NowSection() const { return m_nowSectionName; }

    /// Selects the current section, adding it in memory when it is not there. Does nothing at all when the name
    /// equals the current one character for character (the key list is not rebuilt, IsExist keeps its value).
    void NowSection(std::string_view newSection);

    /// False after Load; after a NowSection assignment, whether that section was already known; true after a
    /// successful save of a section.
    bool IsExist() const { return m_existFlag; }

    /// The list of section names itself (not a copy): it follows every later change of the model, Load and
    /// assignment of a fresh model included, and stays valid as long as this object lives.
    const std::vector<std::string>& Sections() const { return m_sectionList; }

    /// The list of key names of the current section itself (not a copy), in order; valid as Sections() is.
    const std::vector<std::string>& Keys() const { return m_keyList; }

    /// Removes the key from the current section (in memory); nothing happens when it is not there.
    void DeleteData(std::string_view key);

    /// Removes every key of the current section (in memory); the section itself stays.
    void Clear();

    /// The key's value in the current section; empty when the section or the key is missing. For a line
    /// without "=" filed under `key` (letter case ignored), the whole line.
    std::string Data(std::string_view key) const;

    /// Sets the key's value in the current section; the key moves to the end and takes this spelling.
    void Data(std::string_view key, std::string_view newData);

    /// The key's value converted by `iniType`: 0 text (`defaultValue` when blank), 1 32-bit integer (IsLng),
    /// 2 single (IsSng), 3 boolean (IsBool), each giving `defaultValue` when the text does not convert; any
    /// other type gives the text unchanged, even when empty.
    IniValue InitData(std::string_view key, int iniType, const IniValue& defaultValue) const;

    /// "True" or "False" in any letter case (blanks around ignored), or any decimal number (zero is false,
    /// every other number true). The empty text is refused.
    static bool IsBool(std::string_view str);
    /// A decimal number that rounds (half to even) into -32768..32767.
    static bool IsInt(std::string_view str);
    /// A decimal number that rounds (half to even) into -2147483648..2147483647.
    static bool IsLng(std::string_view str);
    /// A decimal number within the single-precision range.
    ///
    /// The four value tests accept a decimal number with optional blanks around it, an optional sign, an
    /// optional fraction and an optional exponent; they never accept the empty text.
    static bool IsSng(std::string_view str);

private:
    /// One item of a section: "key NUL value" for a key line, the whole line for a line without "=".
    struct Entry {
        std::string filedUnder;
        std::string item;
    };
    /// The entry table of one section; m_sectionEntries[i] belongs to m_sectionList[i].
    using EntryTable = std::vector<Entry>;

    bool SaveSection(std::string_view section);
    EntryTable* currentTable();
    const EntryTable* currentTable() const;
    EntryTable& currentTableForWriting();
    void rebuildKeyList();

    std::filesystem::path m_fileName;
    std::string m_nowSectionName;
    std::vector<EntryTable> m_sectionEntries;
    bool m_existFlag = false;
    std::vector<std::string> m_sectionList;
    std::vector<std::string> m_keyList;
};

} // namespace zentu
