#include "LogFiles.h"

#include "ErrorText.h"
#include "LogWriter.h"
#include "TemporaryFiles.h"

#include <atomic>
#include <cerrno>
#include <vector>

namespace hamlog {

namespace {

RenameCall g_rename = nullptr;
WriteCall g_write = nullptr;

constexpr std::size_t kFlushBytes = 1 << 20;
/// How long a writer waits for another run that holds the log's lock.
constexpr int kWriterLockWaitMilliseconds = 60000;
constexpr std::string_view kTemporarySuffix = ".tmp";

/// The digits at the start of `text`, moved past; false when there are none or more than ten.
bool SkipNumber(std::string_view& text, unsigned long* value) {
    std::size_t digits = 0;
    unsigned long number = 0;
    while (digits < text.size() && digits <= 10 && text[digits] >= '0' && text[digits] <= '9') {
        number = number * 10 + static_cast<unsigned long>(text[digits] - '0');
        ++digits;
    }
    if (digits == 0 || digits > 10) {
        return false;
    }
    text.remove_prefix(digits);
    if (value != nullptr) {
        *value = number;
    }
    return true;
}

/// The process id in the rest of a name after "TARGET.", when it reads "PID-NUMBER.tmp"; 0 otherwise.
unsigned long TemporaryOwner(std::string_view rest) {
    unsigned long pid = 0;
    if (!SkipNumber(rest, &pid) || rest.empty() || rest.front() != '-') {
        return 0;
    }
    rest.remove_prefix(1);
    return SkipNumber(rest, nullptr) && rest == kTemporarySuffix ? pid : 0;
}

} // namespace

void SetRenameCallForTesting(RenameCall call) {
    g_rename = call;
}

void SetWriteCallForTesting(WriteCall call) {
    g_write = call;
}

namespace detail {

bool RenameFile(const std::string& from, const std::string& to) {
    if (g_rename != nullptr) {
        return g_rename(from.c_str(), to.c_str()) == 0;
    }
    return RenameOver(from, to);
}

bool WriteFileAt(FileHandle file, const void* bytes, std::size_t size, std::uint64_t offset) {
    return (g_write != nullptr ? g_write : WriteAt)(file, bytes, size, offset);
}

std::string OpenReason() {
    return errno == EINVAL ? "名前付きパイプや装置など、通常のファイルではありません" : SystemReason();
}

bool MayReplace(const std::string& path, const std::string& what, std::string* error) {
    switch (KindAt(path)) {
    case EntryKind::Missing:
    case EntryKind::RegularFile:
        return true;
    case EntryKind::Unknown:
        SetError(error, what + " " + path + " を確かめられません（" + SystemReason() + "）。");
        return false;
    case EntryKind::Folder:
        SetError(error, what + " " + path + " はフォルダーです。置き換えません。");
        return false;
    case EntryKind::Other:
        break;
    }
    SetError(error, what + " " + path + " は名前付きパイプや装置など、通常のファイルではありません。置き換えません。");
    return false;
}

std::string TemporaryNameBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + "." + std::to_string(ProcessId()) + "-" + std::to_string(++counter) + std::string(kTemporarySuffix);
}

void RemoveLeftovers(const std::string& target) {
    const std::size_t nameStart = NameStart(target);
    const std::string folder = target.substr(0, nameStart);
    const std::string prefix = target.substr(nameStart) + ".";
    std::vector<std::string> names;
    if (prefix.size() == 1 || !FolderEntries(folder, names)) {
        return;
    }
    for (const std::string& name : names) {
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const unsigned long owner = TemporaryOwner(std::string_view(name).substr(prefix.size()));
        if (owner != 0 && owner != ProcessId() && !ProcessMayBeRunning(owner)) {
            RemoveFile(folder + name);
        }
    }
}

TemporaryFile::~TemporaryFile() {
    close();
    if (!m_path.empty()) {
        RemoveFile(m_path);
    }
    UnregisterTemporaryFile(m_slot);
}

bool TemporaryFile::create(const std::string& target) {
    // A request to end the program is held back until the new file is registered for removal, so it cannot fall
    // between the two.
    const EndRequestsHeld held;
    for (int attempt = 0; attempt < 100 && m_file == nullptr; ++attempt) {
        m_path = TemporaryNameBeside(target);
        m_file = CreateNewFile(m_path);
        if (m_file == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (m_file == nullptr) {
        m_path.clear();
        m_reason = SystemReason();
        return false;
    }
    m_slot = RegisterTemporaryFile(m_path);
    std::setvbuf(m_file, nullptr, _IOFBF, kFlushBytes);
    return true;
}

bool TemporaryFile::write(std::string_view bytes) {
    if (m_reason.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_reason = SystemReason();
    }
    return m_reason.empty();
}

bool TemporaryFile::close() {
    if (m_file != nullptr && std::fclose(m_file) != 0 && m_reason.empty()) {
        m_reason = SystemReason();
    }
    m_file = nullptr;
    return m_reason.empty();
}

bool TemporaryFile::moveTo(const std::string& target) {
    if (!RenameFile(m_path, target)) {
        m_reason = SystemReason();
        return false;
    }
    m_path.clear();
    UnregisterTemporaryFile(m_slot);
    m_slot = -1;
    return true;
}

LockedLog::State LockedLog::lock(const std::filesystem::path& hdb, OpenFor access, std::string* error) {
    const std::string log = PathText(hdb);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_file = OpenRegularFile(log, access);
        if (m_file == kNoFile) {
            if (errno == ENOENT) {
                return State::Missing;
            }
            SetError(error, "ログ " + hdb.string() + " を開けません（" + OpenReason() + "）。");
            return State::Failed;
        }
        if (!LockFile(m_file, LockKind::Exclusive, kWriterLockWaitMilliseconds)) {
            SetError(error, "ログ " + hdb.string() + " は他のプログラムが書き込み中です（" +
                                std::to_string(kWriterLockWaitMilliseconds / 1000) + " 秒待っても終わりません）。");
            return State::Failed;
        }
        if (IsFileAtPath(m_file, log)) {
            return State::Locked;
        }
        release();
    }
    SetError(error, "ログ " + hdb.string() + " は他のプログラムが置き換え続けているため、書き込めません。");
    return State::Failed;
}

void LockedLog::release() {
    if (m_file != kNoFile) {
        UnlockFile(m_file);
        CloseFile(m_file);
        m_file = kNoFile;
    }
}

} // namespace detail

} // namespace hamlog
