#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace zentu {

/// Writes a file so that it appears whole or not at all: the bytes go to a temporary file beside the target,
/// and commit() flushes them to the disk and renames the temporary file over the target. A writer that is
/// dropped without commit() removes its temporary file and leaves the target as it was.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Creates the temporary file for `target`. False with errorString() set when it cannot be created.
    bool open(const std::filesystem::path& target);
    /// Appends bytes (buffered). False with errorString() set when they cannot be written.
    bool write(std::string_view bytes);
    /// Flushes, syncs and renames over the target. False with errorString() set; the target is then unchanged.
    bool commit();
    /// Drops the temporary file.
    void discard();

    const std::filesystem::path& target() const { return m_target; }
    /// Why the last operation failed, in Japanese, naming the target file.
    const std::string& errorString() const { return m_error; }

    /// Writes a whole file at once through a temporary file. False with `error` set; the target is then unchanged.
    static bool writeWhole(const std::filesystem::path& target, std::string_view bytes, std::string* error);

private:
    bool fail(const std::string& what);

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    std::FILE* m_file = nullptr;
    std::string m_error;
};

} // namespace zentu
