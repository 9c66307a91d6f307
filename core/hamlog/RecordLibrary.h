#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zentu {

/// The one way to reach Hamlog's record library (Hamlog50 and Thdll2Vb), bound by name at run time.
///
/// `load` looks for the main library in the program folder first, then beside the running executable, then where
/// the system keeps libraries (the system folder on Windows, the library path here), loads both libraries from the
/// first folder that holds it, and resolves every call from the library that carries it. A missing library (with
/// every place looked in) or call is reported by name through errorString().
///
/// Counting is one operation (open, count, close). Reading is open, load a record, take field texts, close.
/// Field texts are the bytes the library delivers (CP932), cut at the first NUL.
class RecordLibrary {
public:
    RecordLibrary();
    ~RecordLibrary();
    RecordLibrary(const RecordLibrary&) = delete;
    RecordLibrary& operator=(const RecordLibrary&) = delete;

    /// The file names of the two libraries on this platform ("libHamlog50.so", "libThdll2Vb.so").
    static std::string mainLibraryFileName();
    static std::string stringLibraryFileName();

    /// Binds both libraries and every call. Returns false with errorString() naming what is missing.
    bool load(const std::filesystem::path& programFolder);
    bool isLoaded() const;
    /// Why the last load failed, in Japanese, naming the library or the call.
    const std::string& errorString() const { return m_error; }

    /// GetThdllVersion.
    int version() const;

    /// Whether two record areas of the library may be read on two threads at once. Only a library that says so
    /// (this project's, through its HamlogConcurrentAreas call) is read that way; any other reads one area at a time.
    bool readsAreasConcurrently() const;
    /// Another binding to the same loaded libraries with a record area of its own, for a second thread that reads a
    /// log at the same time (only where readsAreasConcurrently()). It must not outlive this one.
    std::unique_ptr<RecordLibrary> sibling() const;

    /// Counts the records of a log (dbf_open, dbf_rcount, dbf_close). Returns -1 when the log cannot be opened.
    /// A log that is not a regular file (a named pipe ...) is never handed to the library (CheckLogFileKinds).
    std::int32_t countRecords(const std::filesystem::path& log) const;

    /// Opens the log for reading and closes it again, in a record area of its own: the result open() would give
    /// now (the master file is looked at too, which counting does not do).
    int checkOpen(const std::filesystem::path& log) const;

    /// HamlogOpen; returns its code (0 = open, 42 = master file missing, other = not open). A log or master file
    /// that is not a regular file is refused before the library sees it (kLogMissing, kMasterMissing).
    int open(const std::filesystem::path& log);
    /// THW_read: makes record `number` the loaded record. False when the library could not load it (a number
    /// outside the log, or a record that can no longer be read); the loaded record is then empty.
    bool read(std::int32_t number);
    /// ThwString of field 1 to 16 of the loaded record, cut at NUL, bytes as delivered.
    std::string field(int field);
    /// Fills all sixteen fields of the loaded record (index 0 = field 1).
    void fields(std::array<std::string, 16>& out);
    /// ThwString of field 1 to 16 of the loaded record, written straight into `text` (kTextSize bytes, of which
    /// the text and its NUL use what they need); returns the text's length up to its first NUL. For readers that
    /// keep the texts of many records in one buffer of their own.
    std::size_t fieldInto(int field, char* text);

    /// The size of the buffer fieldInto() may fill.
    static constexpr std::size_t kTextSize = 1024;
    /// HamlogClose. Safe to call when open failed, and more than once.
    void close();

    /// The program's minimum library version.
    static constexpr int kMinimumVersion = 20480;

    /// Results of open() that callers explain to the user.
    static constexpr int kLogMissing = 2;      ///< the log file is missing or cannot be read
    static constexpr int kLogInvalid = 3;      ///< the log file is a dBase III table with a damaged header
    static constexpr int kLogNotDbase = 4;     ///< the log file is not a dBase table at all
    static constexpr int kLogWrongVersion = 5; ///< the log file is a dBase table of another version
    static constexpr int kMasterMissing = 42;  ///< the companion .mst file cannot be opened

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
};

} // namespace zentu
