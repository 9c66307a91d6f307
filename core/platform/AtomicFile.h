#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace zentu {

/// The file-system steps of putting written files in place. Tests replace them to make a chosen step fail.
class ReplaceSteps {
public:
    virtual ~ReplaceSteps() = default;
    /// Renames `from` over `to` in one step (RenameOver).
    virtual bool renameOver(const std::filesystem::path& from, const std::filesystem::path& to, int& error);
    /// Keeps the present content of `file` under `aside`, leaving `file` in place (KeepAside).
    virtual bool keepAside(const std::filesystem::path& file, const std::filesystem::path& aside, int& error);

    /// The steps the system takes.
    static ReplaceSteps& system();
};

/// Writes a file so that it appears whole or not at all: the bytes go to a temporary file beside the target,
/// and commit() flushes them to the disk and renames the temporary file over the target. A writer that is
/// dropped without commit() removes its temporary file and leaves the target as it was; so does a request to end
/// the program (TemporaryFiles.h). A temporary file is named ".NAME.zentu-PID-NUMBER.tmp" beside the target
/// NAME, so the temporary files a killed program left behind can be told from every file of the user's
/// (removeLeftovers).
///
/// Messages name the target, never the temporary file: "<role> /x/LOG.CSV を書き込めません（<cause>）。"
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Creates the temporary file for `target` (a link is followed: the file it points to gets the new content).
    /// Refuses a target that could not be replaced (ReplaceProblem: a folder, a read-only file ...). `role` names
    /// the file in messages ("出力ファイル", "設定ファイル"). False with errorString() set.
    bool open(const std::filesystem::path& target, std::string_view role = "ファイル");
    /// Appends bytes (buffered). False with errorString() set when they cannot be written. The bytes go on to the disk
    /// while more are written (StartWriteBack), so that finish() has little left to wait for.
    bool write(std::string_view bytes);
    /// Flushes, syncs and closes the temporary file: it is ready to be put in place. False with errorString() set.
    bool finish();
    /// finish() and puts the file in place. False with errorString() set; the target is then unchanged.
    bool commit(ReplaceSteps& steps = ReplaceSteps::system());
    /// Drops the temporary file.
    void discard();

    const std::filesystem::path& target() const { return m_target; }
    /// The file that gets the content: the target, or the file a link at the target points to.
    const std::filesystem::path& replaced() const { return m_replaced; }
    bool isReady() const { return m_ready; }
    /// Why the last operation failed, in Japanese, naming the target file.
    const std::string& errorString() const { return m_error; }

    /// Writes a whole file at once through a temporary file. False with `error` set; the target is then unchanged.
    static bool writeWhole(const std::filesystem::path& target, std::string_view bytes, std::string* error,
                           std::string_view role = "ファイル");

    /// Removes the temporary files that writers of `target` left behind when their program was killed (those
    /// of programs still running are kept). Links at the target are followed, as open() does. A kept previous
    /// content (commitTogether) is never removed: it holds the user's previous file.
    static void removeLeftovers(const std::filesystem::path& target);

    /// Puts several ready files in place together: every target is checked first, then the files are renamed
    /// in order, the previous content of each kept beside it until the last one is in place; when one rename fails,
    /// the targets already replaced get their previous content back. Requests to end the program wait until this is
    /// done. False with `error` naming the file that failed; then no target has changed, unless putting a previous
    /// content back failed too: then `notRestored` (when given) is set, and `error` also names that file and the
    /// kept copy that holds its previous content (".NAME.zentu-PID-NUMBER.old" beside it, never removed by
    /// removeLeftovers).
    static bool commitTogether(std::span<AtomicFile* const> files, ReplaceSteps& steps, std::string& error,
                               bool* notRestored = nullptr);

private:
    bool fail(std::string_view doing, const std::string& cause);
    void forgetTemporary();

    std::filesystem::path m_target;
    std::filesystem::path m_replaced;
    std::filesystem::path m_temporary;
    std::string m_role;
    std::FILE* m_file = nullptr;
    std::uint64_t m_written = 0;     ///< bytes handed to m_file
    std::uint64_t m_writtenBack = 0; ///< bytes asked to go on to the disk
    int m_slot = -1;
    bool m_ready = false;
    std::string m_error;
};

} // namespace zentu
