#include "settings/CIniFile.h"

#include "settings/ProfileFile.h"
#include "text/Cp932Codec.h"
#include "text/NumberText.h"
#include "text/TextHelpers.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>

namespace zentu {

namespace {

// Names compare without regard to ASCII letter case. The texts are UTF-8, whose multi-byte sequences never
// contain ASCII bytes, so folding byte by byte cannot touch a Japanese character.
template <typename List, typename NameOf>
std::optional<std::size_t> findByName(const List& list, std::string_view name, NameOf nameOf) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (EqualIgnoringAsciiCase(nameOf(list[i]), name)) {
            return i;
        }
    }
    return std::nullopt;
}

// The name an entry of a section is filed under.
constexpr auto filedName = [](const auto& entry) -> std::string_view { return entry.filedUnder; };

std::optional<std::size_t> findName(const std::vector<std::string>& names, std::string_view name) {
    return findByName(names, name, [](const std::string& item) -> std::string_view { return item; });
}

// The rounded whole number of a text when it is a decimal number, as the 16- and 32-bit tests need it.
std::optional<double> roundedNumber(std::string_view str) {
    const std::optional<double> number = ParseDecimalNumber(str);
    if (!number || !std::isfinite(*number)) {
        return std::nullopt;
    }
    return RoundHalfEven(*number);
}

std::optional<bool> boolWord(std::string_view str) {
    const std::string_view word = TrimBlanks(str);
    if (EqualIgnoringAsciiCase(word, "true")) {
        return true;
    }
    if (EqualIgnoringAsciiCase(word, "false")) {
        return false;
    }
    return std::nullopt;
}

// A text that would break the line structure of the file if it were written.
bool breaksLines(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

bool CIniFile::Load(const std::filesystem::path& iniFileName) {
    m_fileName = iniFileName;
    m_sectionList.clear();
    m_sectionEntries.clear();

    for (const std::string& rawName : ProfileFile::sectionNames(m_fileName)) {
        std::string name = Cp932Codec::decodeLossy(rawName);
        if (TrimBlanks(name).empty() || findName(m_sectionList, name)) {
            // A blank name is outside the model; a repeated name already holds what the profile module
            // reports for it.
            continue;
        }
        EntryTable table;
        for (const std::string& rawLine : ProfileFile::sectionLines(m_fileName, rawName)) {
            std::string line = Cp932Codec::decodeLossy(rawLine);
            if (TrimBlanks(line).empty()) {
                continue;
            }
            const std::size_t equals = line.find('=');
            std::string filedUnder = LowerAscii(std::string_view(line).substr(0, equals));
            if (equals != std::string::npos) {
                line[equals] = '\0';
            }
            // A key that occurs twice keeps its last value, at the place of its last occurrence.
            if (const auto found = findByName(table, filedUnder, filedName)) {
                table.erase(table.begin() + static_cast<std::ptrdiff_t>(*found));
            }
            table.push_back(Entry{std::move(filedUnder), std::move(line)});
        }
        m_sectionList.push_back(std::move(name));
        m_sectionEntries.push_back(std::move(table));
    }

    m_existFlag = false;
    return true;
}

bool CIniFile::Save(std::string_view section) {
    if (!section.empty()) {
        return SaveSection(section);
    }
    bool result = false;
    for (std::size_t i = 0; i < m_sectionList.size(); ++i) {
        const std::string name = m_sectionList[i];
        if (TrimBlanks(name).empty()) {
            continue; // the in-memory section of keys assigned before any section was chosen
        }
        result = SaveSection(name);
        if (!result) {
            break;
        }
    }
    return result;
}

void CIniFile::NowSection(std::string_view newSection) {
    if (newSection == m_nowSectionName) {
        return;
    }
    if (const auto found = findName(m_sectionList, newSection)) {
        m_nowSectionName = m_sectionList[*found];
        m_existFlag = true;
    } else {
        m_nowSectionName = std::string(newSection);
        m_sectionList.push_back(m_nowSectionName);
        m_sectionEntries.emplace_back();
        m_existFlag = false;
    }
    rebuildKeyList();
}

void CIniFile::DeleteData(std::string_view key) {
    if (EntryTable* table = currentTable()) {
        if (const auto found = findByName(*table, key, filedName)) {
            table->erase(table->begin() + static_cast<std::ptrdiff_t>(*found));
        }
    }
    if (const auto found = findName(m_keyList, key)) {
        m_keyList.erase(m_keyList.begin() + static_cast<std::ptrdiff_t>(*found));
    }
}

void CIniFile::Clear() {
    const std::vector<std::string> keys = m_keyList;
    for (const std::string& key : keys) {
        DeleteData(key);
    }
}

std::string CIniFile::Data(std::string_view key) const {
    const EntryTable* table = currentTable();
    if (table == nullptr) {
        return {};
    }
    const auto found = findByName(*table, key, filedName);
    if (!found) {
        return {};
    }
    const std::string& item = (*table)[*found].item;
    const std::size_t nul = item.find('\0');
    return nul == std::string::npos ? item : item.substr(nul + 1);
}

void CIniFile::Data(std::string_view key, std::string_view newData) {
    DeleteData(key);
    std::string item(key);
    item += '\0';
    item += newData;
    currentTableForWriting().push_back(Entry{std::string(key), std::move(item)});
    m_keyList.emplace_back(key);
}

IniValue CIniFile::InitData(std::string_view key, int iniType, const IniValue& defaultValue) const {
    std::string text = Data(key);
    switch (iniType) {
    case 0:
        if (TrimBlanks(text).empty()) {
            return defaultValue;
        }
        return text;
    case 1:
        if (!IsLng(text)) {
            return defaultValue;
        }
        return static_cast<std::int32_t>(*roundedNumber(text));
    case 2:
        if (!IsSng(text)) {
            return defaultValue;
        }
        return static_cast<float>(*ParseDecimalNumber(text));
    case 3:
        if (!IsBool(text)) {
            return defaultValue;
        }
        if (const std::optional<bool> word = boolWord(text)) {
            return *word;
        }
        return *ParseDecimalNumber(text) != 0.0;
    default:
        return text;
    }
}

bool CIniFile::IsBool(std::string_view str) {
    if (boolWord(str)) {
        return true;
    }
    const std::optional<double> number = ParseDecimalNumber(str);
    return number && !std::isnan(*number);
}

bool CIniFile::IsInt(std::string_view str) {
    const std::optional<double> number = roundedNumber(str);
    return number && *number >= -32768.0 && *number <= 32767.0;
}

bool CIniFile::IsLng(std::string_view str) {
    const std::optional<double> number = roundedNumber(str);
    return number && *number >= -2147483648.0 && *number <= 2147483647.0;
}

bool CIniFile::IsSng(std::string_view str) {
    const std::optional<double> number = ParseDecimalNumber(str);
    return number && std::isfinite(*number) && std::fabs(*number) <= static_cast<double>(FLT_MAX);
}

bool CIniFile::SaveSection(std::string_view section) {
    if (TrimBlanks(section).empty() || m_fileName.empty()) {
        return false;
    }
    NowSection(section);

    // Everything is encoded before the file is touched, so a text CP932 lacks leaves the file as it was. A line
    // break inside a name or a value would split it into lines of its own (even a section header) and is refused.
    const CodecResult encodedName = Cp932Codec::encode(section);
    if (!encodedName.ok || breaksLines(section)) {
        return false;
    }
    std::vector<std::string> lines;
    lines.reserve(m_keyList.size());
    for (const std::string& key : m_keyList) {
        const std::string value = Data(key);
        if (breaksLines(key) || breaksLines(value)) {
            return false;
        }
        CodecResult line = Cp932Codec::encode(key + "=" + value);
        if (!line.ok) {
            return false;
        }
        lines.push_back(std::move(line.text));
    }
    if (!ProfileFile::writeSection(m_fileName, encodedName.text, lines)) {
        return false;
    }
    m_existFlag = true;
    return true;
}

CIniFile::EntryTable* CIniFile::currentTable() {
    const auto found = findName(m_sectionList, m_nowSectionName);
    return found ? &m_sectionEntries[*found] : nullptr;
}

const CIniFile::EntryTable* CIniFile::currentTable() const {
    const auto found = findName(m_sectionList, m_nowSectionName);
    return found ? &m_sectionEntries[*found] : nullptr;
}

CIniFile::EntryTable& CIniFile::currentTableForWriting() {
    if (EntryTable* table = currentTable()) {
        return *table;
    }
    // No section has been chosen yet (the empty name), or a later Load dropped the chosen one: the section is
    // added in memory under the current name.
    m_sectionList.push_back(m_nowSectionName);
    m_sectionEntries.emplace_back();
    return m_sectionEntries.back();
}

void CIniFile::rebuildKeyList() {
    m_keyList.clear();
    if (const EntryTable* table = currentTable()) {
        for (const Entry& entry : *table) {
            const std::size_t nul = entry.item.find('\0');
            if (nul != std::string::npos) {
                m_keyList.push_back(entry.item.substr(0, nul));
            }
        }
    }
}

} // namespace zentu
