#include "DbfTable.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
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

int OpenRegularFile(const char* path, int flags) {
    // O_NONBLOCK makes the open of a named pipe with no writer return at once instead of waiting for one.
    int fd;
    do {
        fd = ::open(path, flags | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return -1;
    }
    // A regular file: reads and writes block as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int OpenTableFile(const char* path) {
    return path == nullptr ? -1 : OpenRegularFile(path, O_RDONLY);
}

bool LockFile(int fd, int operation, int waitMilliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return true; // no locks on this file system
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

long long ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            ::pread(fd, static_cast<char*>(buffer) + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}

int ReadTableLayout(int fd, TableLayout& layout) {
    layout = TableLayout{};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);

    unsigned char fixed[kDbfBlockSize];
    const long long fixedRead = ReadAt(fd, fixed, sizeof fixed, 0);
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
    const long long headerRead = ReadAt(fd, header.data(), header.size(), 0);
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
