#include "platform/AtomicFile.h"

#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "platform/TemporaryFiles.h"

#include <cerrno>
#include <random>
#include <system_error>
#include <type_traits>
#include <vector>

namespace zentu {

namespace {

constexpr std::string_view kMarker = ".zentu-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kAsideSuffix = ".old";

/// How many links a target may go through before it counts as a loop (as the system counts them).
constexpr int kMostLinks = 40;

// A symbolic link is followed, so the link stays and the file it points to gets the new content: also a link whose
// file is not there yet (the file is made where it points), never the link replaced by a file of its own.
std::filesystem::path ReplaceTarget(const std::filesystem::path& file) {
    std::filesystem::path current = file;
    std::error_code error;
    for (int links = 0; links < kMostLinks && std::filesystem::is_symlink(current, error); ++links) {
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error) {
            return file;
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    if (current == file) {
        return file;
    }
    std::filesystem::path resolved = std::filesystem::weakly_canonical(current, error);
    return error ? current.lexically_normal() : resolved;
}

/// The most characters of a target's name that go into the names of its temporary files: with what is added around
/// it, a temporary name stays within the 255 characters a name may have, whatever the target's name.
constexpr std::size_t kNameInHelper = 200;

/// ".NAME.zentu-" for the file NAME (a long NAME cut to its first kNameInHelper characters): the start of every
/// temporary name of that file.
std::filesystem::path::string_type NamePrefix(const std::filesystem::path& target) {
    std::filesystem::path::string_type name = target.filename().native();
    if (name.size() > kNameInHelper) {
        // Cut between two characters: never before a UTF-8 continuation byte or the second half of a UTF-16 pair.
        std::size_t cut = kNameInHelper;
        const auto inside = [](auto unit) {
            const auto value = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<decltype(unit)>>(unit));
            return sizeof(unit) == 1 ? (value & 0xC0) == 0x80 : (value >= 0xDC00 && value <= 0xDFFF);
        };
        while (cut > 0 && inside(name[cut])) {
            --cut;
        }
        name.resize(cut);
    }
    std::filesystem::path prefix = ".";
    prefix += name;
    prefix += std::string(kMarker);
    return prefix.native();
}

/// Beside the target: ".NAME.zentu-PID-NUMBER" and the suffix.
std::filesystem::path HelperNameFor(const std::filesystem::path& target, std::string_view suffix) {
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path name = NamePrefix(target);
    name += std::to_string(CurrentProcessId()) + "-" + std::to_string(random() % 1000000000ULL) + std::string(suffix);
    return target.parent_path() / name;
}

/// The process id in a name that follows the prefix as "PID-NUMBER.tmp", or 0 when the rest of the name is anything
/// else. A kept previous content ("PID-NUMBER.old") is never a leftover: it is only there when it could not be put
/// back (a message named it) or its program was killed while it put files in place, and either way it holds the
/// user's previous file.
template <typename Text> unsigned long HelperOwner(const Text& rest) {
    std::size_t pos = 0;
    unsigned long pid = 0;
    const auto digitsFrom = [&rest](std::size_t& at, unsigned long* value) {
        const std::size_t start = at;
        while (at < rest.size() && rest[at] >= '0' && rest[at] <= '9' && at - start < 10) {
            if (value != nullptr) {
                *value = *value * 10 + static_cast<unsigned long>(rest[at] - '0');
            }
            ++at;
        }
        return at > start;
    };
    if (!digitsFrom(pos, &pid) || pos >= rest.size() || rest[pos] != '-') {
        return 0;
    }
    ++pos;
    if (!digitsFrom(pos, nullptr) || rest.size() - pos != 4) {
        return 0;
    }
    const auto suffixIs = [&](std::string_view suffix) {
        for (std::size_t i = 0; i < 4; ++i) {
            if (rest[pos + i] != static_cast<typename Text::value_type>(suffix[i])) {
                return false;
            }
        }
        return true;
    };
    return suffixIs(kTemporarySuffix) ? pid : 0;
}

std::string FileText(std::string_view role, const std::filesystem::path& file) {
    return std::string(role) + " " + Utf8FromPath(file);
}

/// What one file of a group commit did, so that it can be undone.
struct Replacement {
    std::filesystem::path aside; ///< the previous content, kept; empty when there was no previous file
    bool renamed = false;
};

/// Gives a target replaced by a group commit its previous content back. False, with a sentence added to `error` that
/// names the file and where its previous content is kept, when that fails.
bool Undo(const AtomicFile& file, const Replacement& done, ReplaceSteps& steps, std::string& error) {
    int reason = 0;
    if (!done.aside.empty()) {
        if (!steps.renameOver(done.aside, file.replaced(), reason)) {
            error += "ファイル " + Utf8FromPath(file.target()) + " を元に戻せませんでした（" + SystemReason(reason) +
                     "）。前の内容は " + Utf8FromPath(done.aside) + " に残してあります。";
            return false;
        }
    } else if (done.renamed) {
        std::error_code removeError;
        if (!std::filesystem::remove(file.replaced(), removeError) && removeError) {
            error += "ファイル " + Utf8FromPath(file.target()) + " を元に戻せませんでした（" +
                     SystemReason(removeError.value()) + "）。この実行で新しく作られたファイルです。";
            return false;
        }
    }
    return true;
}

} // namespace

bool ReplaceSteps::renameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& error) {
    return RenameOver(from, to, error);
}

bool ReplaceSteps::keepAside(const std::filesystem::path& file, const std::filesystem::path& aside, int& error) {
    return KeepAside(file, aside, error);
}

ReplaceSteps& ReplaceSteps::system() {
    static ReplaceSteps steps;
    return steps;
}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(std::string_view doing, const std::string& cause) {
    m_error = FileText(m_role, m_target) + " " + std::string(doing) + "（" + cause + "）。";
    discard();
    return false;
}

bool AtomicFile::open(const std::filesystem::path& target, std::string_view role) {
    discard();
    m_error.clear();
    m_written = 0;
    m_writtenBack = 0;
    m_target = target;
    m_role = role;
    m_replaced = LongPathForm(ReplaceTarget(target)); // the helper names beside it may pass Windows' usual limit
    if (target.filename().empty()) {
        m_error = FileText(m_role, target) + " にファイル名がありません。";
        return false;
    }
    if (const auto problem = ReplaceProblem(m_replaced)) {
        return fail("を書き込めません", std::string(CausePhrase(*problem)));
    }
    // The temporary file lies beside the target, so the rename stays within one file system. A request to end the
    // program is held back until the new file is registered for removal, so it cannot fall between the two.
    int reason = 0;
    {
        const EndRequestsHeld held;
        for (int attempt = 0; attempt < 20 && m_file == nullptr; ++attempt) {
            m_temporary = HelperNameFor(m_replaced, kTemporarySuffix);
            m_file = CreateNewCFile(m_temporary);
            reason = m_file == nullptr ? LastSystemError() : 0;
            if (m_file == nullptr && reason != EEXIST) {
                break;
            }
        }
        if (m_file != nullptr) {
            m_slot = RegisterTemporaryFile(m_temporary);
        }
    }
    if (m_file == nullptr) {
        m_temporary.clear();
        return fail("を書き込めません", SystemReason(reason));
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
    TakeOverAttributes(m_file, m_replaced);
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    if (m_file == nullptr) {
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        return fail("を書き込めません", SystemReason(errno));
    }
    m_written += bytes.size();
    // A large file is sent on to the disk in pieces while it is written, instead of all of it at the end.
    constexpr std::uint64_t kWriteBackPiece = 8 << 20;
    if (m_written - m_writtenBack >= kWriteBackPiece) {
        if (std::fflush(m_file) != 0) {
            return fail("を書き込めません", SystemReason(errno));
        }
        StartWriteBack(m_file, m_writtenBack, m_written - m_writtenBack);
        m_writtenBack = m_written;
    }
    return true;
}

bool AtomicFile::finish() {
    if (m_ready) {
        return true;
    }
    if (m_file == nullptr) {
        return false;
    }
    if (std::fflush(m_file) != 0 || !SyncCFile(m_file)) {
        return fail("を書き込めません", SystemReason(errno));
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!closed) {
        return fail("を書き込めません", SystemReason(errno));
    }
    m_ready = true;
    return true;
}

bool AtomicFile::commit(ReplaceSteps& steps) {
    AtomicFile* const self[] = {this};
    std::string error;
    if (!commitTogether(self, steps, error)) {
        m_error = error;
        discard();
        return false;
    }
    return true;
}

void AtomicFile::forgetTemporary() {
    UnregisterTemporaryFile(m_slot);
    m_slot = -1;
    m_temporary.clear();
    m_ready = false;
}

void AtomicFile::discard() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
    }
    forgetTemporary();
}

bool AtomicFile::writeWhole(const std::filesystem::path& target, std::string_view bytes, std::string* error,
                            std::string_view role) {
    AtomicFile file;
    if (file.open(target, role) && file.write(bytes) && file.commit()) {
        return true;
    }
    SetError(error, file.errorString());
    return false;
}

void AtomicFile::removeLeftovers(const std::filesystem::path& target) {
    const std::filesystem::path replaced = LongPathForm(ReplaceTarget(target));
    if (replaced.filename().empty()) {
        return;
    }
    const auto prefix = NamePrefix(replaced);
    const std::filesystem::path folder = replaced.parent_path().empty() ? "." : replaced.parent_path();
    std::error_code error;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto name = it->path().filename().native();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const unsigned long owner = HelperOwner(name.substr(prefix.size()));
        if (owner != 0 && owner != CurrentProcessId() && !ProcessMayBeRunning(owner)) {
            stale.push_back(it->path());
        }
    }
    for (const auto& file : stale) {
        std::filesystem::remove(file, error);
    }
}

bool AtomicFile::commitTogether(std::span<AtomicFile* const> files, ReplaceSteps& steps, std::string& error,
                                bool* notRestored) {
    if (notRestored != nullptr) {
        *notRestored = false;
    }
    for (AtomicFile* file : files) {
        if (!file->finish()) {
            error = file->errorString();
            return false;
        }
    }
    // Every target is checked before the first one changes, so a target that cannot be replaced stops the
    // group while all targets still hold their previous content.
    for (const AtomicFile* file : files) {
        if (const auto problem = ReplaceProblem(file->m_replaced)) {
            error = FileText(file->m_role, file->m_target) + " を書き込めません（" +
                    std::string(CausePhrase(*problem)) + "）。";
            return false;
        }
    }

    const EndRequestsHeld held;
    std::vector<Replacement> done(files.size());
    std::size_t index = 0;
    int reason = 0;
    for (; index < files.size(); ++index) {
        AtomicFile& file = *files[index];
        Replacement& step = done[index];
        // The previous content is kept only where a later file could still fail and it would have to come back.
        if (index + 1 < files.size() && KindOfPath(file.m_replaced) == PathKind::RegularFile) {
            step.aside = HelperNameFor(file.m_replaced, kAsideSuffix);
            if (!steps.keepAside(file.m_replaced, step.aside, reason)) {
                step.aside.clear();
                break;
            }
        }
        if (!steps.renameOver(file.m_temporary, file.m_replaced, reason)) {
            std::error_code ignored;
            if (!step.aside.empty()) {
                std::filesystem::remove(step.aside, ignored);
            }
            step = Replacement{};
            break;
        }
        step.renamed = true;
        file.forgetTemporary();
    }
    if (index < files.size()) {
        const AtomicFile& failed = *files[index];
        error = FileText(failed.m_role, failed.m_target) + " を書き込めません（" + SystemReason(reason) + "）。";
        for (std::size_t undone = index; undone-- > 0;) {
            if (!Undo(*files[undone], done[undone], steps, error) && notRestored != nullptr) {
                *notRestored = true;
            }
        }
        return false;
    }
    std::error_code ignored;
    for (const Replacement& step : done) {
        if (!step.aside.empty()) {
            std::filesystem::remove(step.aside, ignored);
        }
    }
    return true;
}

} // namespace zentu
