#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zentu {

/// A shared library bound at run time: open it, resolve its exported symbols, close it.
/// Closing (or dropping the object) unloads it, so nothing resolved from it may be used afterwards.
class SharedLibrary {
public:
    /// An exported function, to be cast to its real type.
    using Function = void (*)();

    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    /// The file name of the library `baseName` on this platform ("libHamlog50.so" here, "Hamlog50.dll" on Windows).
    static std::string fileName(std::string_view baseName);

    /// Where the system keeps libraries that programs may load after their own folder: on Windows the system
    /// folder (never the current folder or PATH, where a stray copy of a library could stand); here an empty path,
    /// which stands for the system's library path (a bare file name is looked up there).
    static std::vector<std::filesystem::path> systemFolders();

    /// Loads `file`: a path, or a bare file name that the system looks up on its library path. A library already
    /// open in this object is released once the new one is loaded. On Windows the libraries it uses in turn are
    /// looked for beside it and in the system folder only. False with errorString() set when it cannot be loaded.
    bool open(const std::filesystem::path& file);
    bool isOpen() const { return m_handle != nullptr; }
    /// The exported function `name`, or nullptr when the library is not open or lacks it.
    Function resolve(const char* name) const;
    /// Unloads the library. Safe when it is not open.
    void close();

    /// Why the last open failed: a short Japanese phrase (FailureCause phrases where one fits).
    const std::string& errorString() const { return m_error; }

private:
    void* m_handle = nullptr;
    std::string m_error;
};

} // namespace zentu
