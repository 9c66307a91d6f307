#include "HamlogTestFiles.h"

#include "hamlog/HamlogApi.h"

#include <array>
#include <chrono>

namespace hamlog::test {

int CountRecords(const std::filesystem::path& hdb) {
    std::array<unsigned char, HAMLOG_DBF_HANDLE_SIZE> handle{};
    dbf_open(LibraryPath(hdb).c_str(), handle.data());
    const int count = dbf_rcount(handle.data());
    dbf_close(handle.data());
    return count;
}

namespace {

void PutLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

} // namespace

std::string HandTable::record(std::vector<std::string> texts, char flag) const {
    std::string bytes(1, flag);
    for (std::size_t k = 0; k < fields.size(); ++k) {
        std::string text = k < texts.size() ? texts[k] : std::string();
        text.resize(fields[k].second, ' ');
        bytes += text;
    }
    return bytes;
}

std::string HandTable::bytes() const {
    std::uint32_t fieldTotal = 1;
    for (const auto& field : fields) {
        fieldTotal += field.second;
    }
    const auto naturalHeader = static_cast<std::uint32_t>(32 + 32 * fields.size() + 1);
    std::string bytes(32, '\0');
    bytes[0] = static_cast<char>(version);
    bytes[1] = 125;
    bytes[2] = 5;
    bytes[3] = 1;
    PutLittleEndian(bytes, 4, count.value_or(static_cast<std::uint32_t>(records.size())), 4);
    PutLittleEndian(bytes, 8, headerLength.value_or(naturalHeader), 2);
    PutLittleEndian(bytes, 10, recordLength.value_or(fieldTotal), 2);
    for (const auto& [name, length] : fields) {
        std::string descriptor(32, '\0');
        descriptor.replace(0, name.size(), name);
        descriptor[11] = 'C';
        PutLittleEndian(descriptor, 16, length, 2); // byte 17: the high byte of a long character field
        bytes += descriptor;
    }
    if (terminator) {
        bytes += '\x0D';
    }
    // A header length beyond the descriptors is padding.
    if (headerLength && *headerLength > bytes.size()) {
        bytes.resize(*headerLength, '\0');
    }
    for (const std::string& record : records) {
        bytes += record;
    }
    if (endMark) {
        bytes += '\x1A';
    }
    return bytes;
}

} // namespace hamlog::test

namespace hamlog::test {

ToolProcess::ToolProcess(const std::vector<std::string>& arguments, const std::filesystem::path& output) {
    std::filesystem::path errors = output;
    errors += ".err";
    m_started = m_child.start(HAMLOG_TOOL_PATH, arguments, output, errors);
}

ToolProcess::~ToolProcess() {
    wait();
}

int ToolProcess::wait(int seconds) {
    if (m_started) {
        m_started = false;
        const int status = m_child.wait(std::chrono::seconds(seconds));
        m_status = status < 0 ? -1 : status;
    }
    return m_status;
}

int RunToolFor(const std::vector<std::string>& arguments, const std::filesystem::path& output, int seconds) {
    return ToolProcess(arguments, output).wait(seconds);
}

std::string CsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += (i > 0 ? "," : "") + std::string("\"") + fields[i] + "\"";
    }
    return line + "\r\n";
}

} // namespace hamlog::test
