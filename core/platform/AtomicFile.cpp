#include "platform/AtomicFile.h"

#include "platform/ProgramPaths.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zentu {

namespace {

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

bool SyncToDisk(std::FILE* file) {
#if defined(_WIN32)
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    const auto name = "." + target.filename().string() + "." + std::to_string(random() % 1000000000ULL) + ".tmp";
    return target.parent_path() / name;
}

} // namespace

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(const std::string& what) {
    m_error = "ファイル " + Utf8FromPath(m_target) + " を" + what;
    discard();
    return false;
}

bool AtomicFile::open(const std::filesystem::path& target) {
    discard();
    m_error.clear();
    m_target = target;
    if (target.filename().empty()) {
        m_error = "出力ファイルの名前がありません（" + Utf8FromPath(target) + "）。";
        return false;
    }
    std::error_code error;
    if (std::filesystem::is_directory(target, error)) {
        m_error = "ファイル " + Utf8FromPath(target) + " はフォルダーなので書き込めません。";
        return false;
    }
    for (int attempt = 0; attempt < 20 && m_file == nullptr; ++attempt) {
        m_temporary = TemporaryNameFor(target);
#if defined(_WIN32)
        m_file = _wfopen(m_temporary.c_str(), L"wbx");
#else
        m_file = std::fopen(m_temporary.c_str(), "wbx");
#endif
        if (m_file == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (m_file == nullptr) {
        const int reason = errno;
        m_temporary.clear();
        return fail("作成できません: " + SystemReason(reason) + "。");
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
#if !defined(_WIN32)
    // Keep the permissions of the file being replaced.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fileno(m_file), existing.st_mode & 07777);
    }
#endif
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    if (m_file == nullptr) {
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        return fail("書き込めません: " + SystemReason(errno) + "。");
    }
    return true;
}

bool AtomicFile::commit() {
    if (m_file == nullptr) {
        return false;
    }
    if (std::fflush(m_file) != 0 || !SyncToDisk(m_file)) {
        return fail("書き込めません: " + SystemReason(errno) + "。");
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed) {
        return fail("書き込めません: " + SystemReason(errno) + "。");
    }
    std::error_code error;
    std::filesystem::rename(m_temporary, m_target, error);
    if (error) {
        return fail("置き換えられません: " + error.message() + "。");
    }
    m_temporary.clear();
    return true;
}

void AtomicFile::discard() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        m_temporary.clear();
    }
}

bool AtomicFile::writeWhole(const std::filesystem::path& target, std::string_view bytes, std::string* error) {
    AtomicFile file;
    if (file.open(target) && file.write(bytes) && file.commit()) {
        return true;
    }
    if (error != nullptr) {
        *error = file.errorString();
    }
    return false;
}

} // namespace zentu
