#include "DbfTable.h"

#include <climits>
#include <cstddef>
#include <vector>

namespace hamlog::detail {

namespace {

// A character field may use the byte after its length as the high byte of the length, as Clipper and FoxPro
// do for character fields longer than 255 bytes. Plain dBase III writes 0 there, so ordinary tables read the
// same either way.
std::uint32_t FieldLength(const unsigned char* descriptor) {
    std::uint32_t length = descriptor[kFieldLengthAt];
    if (descriptor[kFieldTypeAt] == kCharacterField) {
        length |= static_cast<std::uint32_t>(descriptor[kFieldLengthHighAt]) << 8;
    }
    return length;
}

} // namespace

FileHandle OpenTableFile(const std::string& path) {
    return OpenRegularFile(path, OpenFor::Reading);
}

int ReadTableLayout(FileHandle file, TableLayout& layout) {
    layout = TableLayout{};
    std::uint64_t fileSize = 0;
    if (!FileSize(file, fileSize)) {
        return HAMLOG_ERR_HDB_MISSING;
    }

    unsigned char fixed[kDbfBlockSize];
    const long long fixedRead = ReadAt(file, fixed, sizeof fixed, 0);
    if (fixedRead < 0) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    if (fixedRead < static_cast<long long>(sizeof fixed) || !IsDbaseVersionByte(fixed[0])) {
        return HAMLOG_ERR_HDB_NOT_DBASE;
    }
    if (fixed[0] != kVersionDbase3 && fixed[0] != kVersionDbase3Memo) {
        return HAMLOG_ERR_HDB_VERSION;
    }
    const std::uint32_t storedCount = Uint32At(fixed + kRecordCountAt);
    const std::uint32_t headerLength = Uint16At(fixed + kHeaderLengthAt);
    const std::uint32_t recordLength = Uint16At(fixed + kRecordLengthAt);
    // The smallest table: the fixed part, one descriptor and the terminator.
    if (headerLength < 2 * kDbfBlockSize + 1 || headerLength > fileSize || recordLength < 2) {
        return HAMLOG_ERR_HDB_INVALID;
    }

    std::vector<unsigned char> header(headerLength);
    const long long headerRead = ReadAt(file, header.data(), header.size(), 0);
    if (headerRead < 0) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    if (headerRead != static_cast<long long>(headerLength)) {
        return HAMLOG_ERR_HDB_INVALID;
    }

    std::uint32_t position = kDbfBlockSize;
    std::uint32_t fieldCount = 0;
    std::uint32_t offset = 1; // after the deletion flag
    bool terminated = false;
    while (position < headerLength) {
        if (header[position] == kDescriptorEnd) {
            terminated = true;
            break;
        }
        if (headerLength - position < kDbfBlockSize) {
            break; // a descriptor cut off by the header length
        }
        const std::uint32_t length = FieldLength(&header[position]);
        if (length == 0) {
            return HAMLOG_ERR_HDB_INVALID;
        }
        if (fieldCount < HAMLOG_FIELD_COUNT) {
            layout.fieldOffset[fieldCount] = offset;
            layout.fieldLength[fieldCount] = length;
        }
        offset += length; // at most 2048 descriptors of at most 65535 bytes: no overflow
        ++fieldCount;
        position += kDbfBlockSize;
    }
    if (!terminated || fieldCount == 0 || offset != recordLength) {
        return HAMLOG_ERR_HDB_INVALID;
    }

    // A header may claim more records than the file holds (a write cut short); only whole records count.
    const std::uint64_t present = (fileSize - headerLength) / recordLength;
    std::uint64_t count = storedCount < present ? storedCount : present;
    if (count > static_cast<std::uint64_t>(INT32_MAX)) {
        count = INT32_MAX;
    }
    layout.headerLength = headerLength;
    layout.recordLength = recordLength;
    layout.recordCount = static_cast<std::int32_t>(count);
    layout.fieldCount = fieldCount;
    return HAMLOG_OK;
}

} // namespace hamlog::detail
