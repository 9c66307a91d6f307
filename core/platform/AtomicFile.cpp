#include "platform/AtomicFile.h"

#include "platform/ProgramPaths.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zentu {

namespace {

// The cause in the program's language: the messages reach the user, who must not get a system text in English.
std::string SystemReason(int error) {
    return SystemErrorText(error);
}

// A symbolic link is followed, so the link stays and the file it points to gets the new content.
std::filesystem::path ReplaceTarget(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_symlink(file, error)) {
        auto resolved = std::filesystem::weakly_canonical(file, error);
        if (!error) {
            return resolved;
        }
    }
    return file;
}

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path name = ".";
    name += target.filename().native();
    name += "." + std::to_string(random() % 1000000000ULL) + ".tmp";
    return target.parent_path() / name;
}

std::FILE* CreateExclusive(const std::filesystem::path& path) {
#if defined(_WIN32)
    return _wfopen(path.c_str(), L"wbx");
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int reason = errno;
        ::close(fd);
        ::unlink(path.c_str());
        errno = reason;
    }
    return file;
#endif
}

bool SyncToDisk(std::FILE* file) {
#if defined(_WIN32)
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(fileno(file)) == 0;
#endif
}

// Keeps the permissions (and, where allowed, the owner) of the file being replaced.
void TakeOverAttributes(std::FILE* file, const std::filesystem::path& target) {
#if !defined(_WIN32)
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        ::fchmod(fileno(file), existing.st_mode & 07777);
        [[maybe_unused]] const int ignored = ::fchown(fileno(file), existing.st_uid, existing.st_gid);
    }
#else
    (void)file;
    (void)target;
#endif
}

// Renames the finished temporary file over the target and makes the rename itself durable.
bool ReplaceWith(const std::filesystem::path& temporary, const std::filesystem::path& target, std::string& reason) {
#if defined(_WIN32)
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = "Windows エラー " + std::to_string(GetLastError());
        return false;
    }
#else
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        reason = SystemReason(errno);
        return false;
    }
    // A failure to sync the folder leaves a complete file either way.
    const auto folder = target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
#endif
    return true;
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
    const std::filesystem::path replaced = ReplaceTarget(target);
    std::error_code error;
    if (std::filesystem::is_directory(replaced, error)) {
        m_error = "ファイル " + Utf8FromPath(target) + " はフォルダーなので書き込めません。";
        return false;
    }
    // The temporary file lies beside the target, so the rename stays within one file system.
    for (int attempt = 0; attempt < 20 && m_file == nullptr; ++attempt) {
        m_temporary = TemporaryNameFor(replaced);
        m_file = CreateExclusive(m_temporary);
        if (m_file == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (m_file == nullptr) {
        const int reason = errno;
        m_temporary.clear();
        return fail("作成できません（同じフォルダーに一時ファイルを作れません: " + SystemReason(reason) + "）。");
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
    TakeOverAttributes(m_file, replaced);
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    if (m_file == nullptr) {
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        return fail("書き込めません（" + SystemReason(errno) + "）。");
    }
    return true;
}

bool AtomicFile::commit() {
    if (m_file == nullptr) {
        return false;
    }
    if (std::fflush(m_file) != 0 || !SyncToDisk(m_file)) {
        return fail("書き込めません（" + SystemReason(errno) + "）。");
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed) {
        return fail("書き込めません（" + SystemReason(errno) + "）。");
    }
    std::string reason;
    if (!ReplaceWith(m_temporary, ReplaceTarget(m_target), reason)) {
        return fail("置き換えられません（" + reason + "）。");
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
