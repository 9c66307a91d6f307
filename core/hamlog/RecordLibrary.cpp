#include "hamlog/RecordLibrary.h"

#include "hamlog/LogFiles.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "platform/SharedLibrary.h"

#include <hamlog/HamlogApi.h>

#include <cstring>

namespace zentu {

namespace {

// The calls as the libraries export them: standard calls on Windows (HAMLOG_CALL), the platform's own elsewhere.
using GetThdllVersionFn = int(HAMLOG_CALL*)();
using DbfOpenFn = int(HAMLOG_CALL*)(const char*, void*);
using DbfRcountFn = int(HAMLOG_CALL*)(void*);
using DbfCloseFn = void(HAMLOG_CALL*)(void*);
using HamlogOpenFn = int(HAMLOG_CALL*)(int, void*, const char*, int);
using ThwReadFn = int(HAMLOG_CALL*)(void*, std::int32_t, int);
using ThwStringFn = void(HAMLOG_CALL*)(char*, void*, std::int16_t);
using HamlogCloseFn = void(HAMLOG_CALL*)(void*, int);
using HamlogConcurrentAreasFn = int(HAMLOG_CALL*)();

static_assert(RecordLibrary::kLogMissing == HAMLOG_ERR_HDB_MISSING);
static_assert(RecordLibrary::kLogInvalid == HAMLOG_ERR_HDB_INVALID);
static_assert(RecordLibrary::kLogNotDbase == HAMLOG_ERR_HDB_NOT_DBASE);
static_assert(RecordLibrary::kLogWrongVersion == HAMLOG_ERR_HDB_VERSION);
static_assert(RecordLibrary::kMasterMissing == HAMLOG_ERR_MST_MISSING);
static_assert(RecordLibrary::kTextSize == HAMLOG_TEXT_SIZE);

} // namespace

struct RecordLibrary::Impl {
    SharedLibrary mainLibrary;
    SharedLibrary stringLibrary;

    GetThdllVersionFn getThdllVersion = nullptr;
    DbfOpenFn dbfOpen = nullptr;
    DbfRcountFn dbfRcount = nullptr;
    DbfCloseFn dbfClose = nullptr;
    HamlogOpenFn hamlogOpen = nullptr;
    ThwReadFn thwRead = nullptr;
    ThwStringFn thwString = nullptr;
    HamlogCloseFn hamlogClose = nullptr;
    HamlogConcurrentAreasFn concurrentAreas = nullptr; ///< optional: only this project's library has it

    // The caller-owned areas the library works in: the record area of one open log and the text buffer
    // ThwString fills. Both live as long as this object.
    alignas(16) unsigned char record[HAMLOG_RECORD_SIZE] = {};
    char text[HAMLOG_TEXT_SIZE] = {};
    bool recordInUse = false;

    ~Impl() {
        if (recordInUse && hamlogClose != nullptr) {
            hamlogClose(record, 0);
        }
    }
};

RecordLibrary::RecordLibrary() : m_impl(std::make_unique<Impl>()) {}

RecordLibrary::~RecordLibrary() = default;

std::string RecordLibrary::mainLibraryFileName() {
    return SharedLibrary::fileName("Hamlog50");
}

std::string RecordLibrary::stringLibraryFileName() {
    return SharedLibrary::fileName("Thdll2Vb");
}

namespace {

// The folders the two libraries are looked for in: the program folder, the executable's folder, then where the
// system keeps libraries (the system folder on Windows: never the current folder or PATH, where a stray copy could
// stand).
std::vector<std::filesystem::path> LibraryFolders(const std::filesystem::path& programFolder) {
    std::vector<std::filesystem::path> folders;
    const auto add = [&folders](const std::filesystem::path& folder) {
        for (const auto& known : folders) {
            if (!known.empty() && !folder.empty() && PathTextsNameOneFile(known, folder)) {
                return;
            }
        }
        folders.push_back(folder);
    };
    if (!programFolder.empty()) {
        add(programFolder);
    }
    add(ExecutableFolder());
    for (const auto& folder : SharedLibrary::systemFolders()) {
        add(folder);
    }
    return folders;
}

// A folder as a message names it; the empty one stands for the system's library path.
std::string PlaceText(const std::filesystem::path& folder) {
    return folder.empty() ? "システムのライブラリの場所" : FolderWithSeparator(folder);
}

std::string CannotLoad(const std::filesystem::path& file, const std::string& reason) {
    return "記録ライブラリ " + Utf8FromPath(file) + " を読み込めません（" + reason + "）。";
}

// Loads both libraries from the first folder that holds the main one, so that the two always come from one
// Hamlog. When the main library is in none of the folders, the message names every place looked in; when it is
// there but does not load, it tells why.
bool LoadBoth(SharedLibrary& mainLibrary, SharedLibrary& stringLibrary, const std::filesystem::path& programFolder,
              std::string& error) {
    const std::string mainName = RecordLibrary::mainLibraryFileName();
    const std::string stringName = RecordLibrary::stringLibraryFileName();
    const std::vector<std::filesystem::path> folders = LibraryFolders(programFolder);
    std::string firstFailure;
    std::string places;
    for (const auto& folder : folders) {
        places += (places.empty() ? "" : "、") + PlaceText(folder);
        const std::filesystem::path main = folder.empty() ? std::filesystem::path(mainName) : folder / mainName;
        if (!mainLibrary.open(main)) {
            if (firstFailure.empty() && !folder.empty() && KindOfPath(main) != PathKind::Missing) {
                firstFailure = CannotLoad(main, mainLibrary.errorString());
            }
            continue;
        }
        const std::filesystem::path strings = folder.empty() ? std::filesystem::path(stringName) : folder / stringName;
        if (stringLibrary.open(strings)) {
            return true;
        }
        error = CannotLoad(strings, stringLibrary.errorString());
        if (!folder.empty() && KindOfPath(strings) == PathKind::Missing) {
            error += mainName + " と同じフォルダーに置いてください。";
        }
        mainLibrary.close();
        return false;
    }
    error = !firstFailure.empty() ? firstFailure
                                  : "記録ライブラリ " + mainName + " が見つかりません（探した場所: " + places + "）。";
    return false;
}

template <typename Fn>
bool Resolve(const SharedLibrary& library, const char* name, const std::string& fileName, Fn& target,
             std::string& error) {
    target = reinterpret_cast<Fn>(library.resolve(name));
    if (target == nullptr) {
        error = "記録ライブラリ " + fileName + " に関数 " + name + " がありません。";
        return false;
    }
    return true;
}

} // namespace

bool RecordLibrary::load(const std::filesystem::path& programFolder) {
    m_error.clear();
    close(); // an open log belongs to the library loaded before
    Impl& impl = *m_impl;
    const std::string mainName = mainLibraryFileName();
    const std::string stringName = stringLibraryFileName();
    if (!LoadBoth(impl.mainLibrary, impl.stringLibrary, programFolder, m_error)) {
        return false;
    }
    const bool resolved = Resolve(impl.mainLibrary, "GetThdllVersion", mainName, impl.getThdllVersion, m_error) &&
                          Resolve(impl.mainLibrary, "dbf_open", mainName, impl.dbfOpen, m_error) &&
                          Resolve(impl.mainLibrary, "dbf_rcount", mainName, impl.dbfRcount, m_error) &&
                          Resolve(impl.mainLibrary, "dbf_close", mainName, impl.dbfClose, m_error) &&
                          Resolve(impl.mainLibrary, "HamlogOpen", mainName, impl.hamlogOpen, m_error) &&
                          Resolve(impl.mainLibrary, "THW_read", mainName, impl.thwRead, m_error) &&
                          Resolve(impl.mainLibrary, "HamlogClose", mainName, impl.hamlogClose, m_error) &&
                          Resolve(impl.stringLibrary, "ThwString", stringName, impl.thwString, m_error);
    if (!resolved) {
        impl.getThdllVersion = nullptr;
        return false;
    }
    impl.concurrentAreas = reinterpret_cast<HamlogConcurrentAreasFn>(impl.mainLibrary.resolve("HamlogConcurrentAreas"));
    return true;
}

bool RecordLibrary::readsAreasConcurrently() const {
    return isLoaded() && m_impl->concurrentAreas != nullptr && m_impl->concurrentAreas() == 1;
}

std::unique_ptr<RecordLibrary> RecordLibrary::sibling() const {
    auto other = std::make_unique<RecordLibrary>();
    Impl& to = *other->m_impl;
    const Impl& from = *m_impl;
    // The calls only: the libraries stay loaded by this object, which the sibling must not outlive.
    to.getThdllVersion = from.getThdllVersion;
    to.dbfOpen = from.dbfOpen;
    to.dbfRcount = from.dbfRcount;
    to.dbfClose = from.dbfClose;
    to.hamlogOpen = from.hamlogOpen;
    to.thwRead = from.thwRead;
    to.thwString = from.thwString;
    to.hamlogClose = from.hamlogClose;
    to.concurrentAreas = from.concurrentAreas;
    return other;
}

bool RecordLibrary::isLoaded() const {
    return m_impl->getThdllVersion != nullptr;
}

int RecordLibrary::version() const {
    return isLoaded() ? m_impl->getThdllVersion() : 0;
}

std::int32_t RecordLibrary::countRecords(const std::filesystem::path& log) const {
    if (!isLoaded()) {
        return -1;
    }
    if (CheckLogFileKinds(log) != 0) {
        return -1;
    }
    alignas(16) unsigned char handle[HAMLOG_DBF_HANDLE_SIZE] = {};
    const std::string path = NativePathBytes(log);
    if (m_impl->dbfOpen(path.c_str(), handle) != 0) {
        return -1;
    }
    const int count = m_impl->dbfRcount(handle);
    m_impl->dbfClose(handle);
    return count;
}

int RecordLibrary::checkOpen(const std::filesystem::path& log) const {
    if (!isLoaded()) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    if (const int kind = CheckLogFileKinds(log); kind != 0) {
        return kind;
    }
    alignas(16) unsigned char record[HAMLOG_RECORD_SIZE] = {};
    const std::string path = NativePathBytes(log);
    const int code = m_impl->hamlogOpen(0, record, path.c_str(), 0);
    m_impl->hamlogClose(record, 0);
    return code;
}

int RecordLibrary::open(const std::filesystem::path& log) {
    if (!isLoaded()) {
        return HAMLOG_ERR_HDB_MISSING;
    }
    close();
    if (const int kind = CheckLogFileKinds(log); kind != 0) {
        return kind;
    }
    const std::string path = NativePathBytes(log);
    m_impl->recordInUse = true;
    return m_impl->hamlogOpen(0, m_impl->record, path.c_str(), 0);
}

bool RecordLibrary::read(std::int32_t number) {
    return m_impl->recordInUse && m_impl->thwRead(m_impl->record, number, 2) == 0;
}

std::size_t RecordLibrary::fieldInto(int field, char* text) {
    text[0] = '\0';
    if (!m_impl->recordInUse) {
        return 0;
    }
    m_impl->thwString(text, m_impl->record, static_cast<std::int16_t>(field));
    // The library ends the text with NUL; the bound only guards against a library that does not. The text was
    // written a moment ago and is short: byte by byte finds its end sooner than a wide scan over fresh writes.
    std::size_t length = 0;
    while (length < kTextSize && text[length] != '\0') {
        ++length;
    }
    return length;
}

std::string RecordLibrary::field(int field) {
    const std::size_t length = fieldInto(field, m_impl->text);
    return std::string(m_impl->text, length);
}

void RecordLibrary::fields(std::array<std::string, 16>& out) {
    for (int k = 0; k < 16; ++k) {
        // assign() keeps the strings' room, so reading record after record allocates nothing.
        out[static_cast<std::size_t>(k)].assign(m_impl->text, fieldInto(k + 1, m_impl->text));
    }
}

void RecordLibrary::close() {
    if (m_impl->recordInUse) {
        m_impl->hamlogClose(m_impl->record, 0);
        m_impl->recordInUse = false;
    }
}

} // namespace zentu
