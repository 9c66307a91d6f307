#include "platform/AtomicFile.h"

#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"

#include <cerrno>
#include <random>
#include <system_error>

namespace zentu {

namespace {

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
        m_file = CreateNewCFile(m_temporary);
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
    if (std::fflush(m_file) != 0 || !SyncCFile(m_file)) {
        return fail("書き込めません（" + SystemReason(errno) + "）。");
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed) {
        return fail("書き込めません（" + SystemReason(errno) + "）。");
    }
    std::string reason;
    if (!RenameOver(m_temporary, ReplaceTarget(m_target), reason)) {
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
    SetError(error, file.errorString());
    return false;
}

} // namespace zentu
