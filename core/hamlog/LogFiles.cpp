#include "hamlog/LogFiles.h"

#include "hamlog/RecordLibrary.h"
#include "platform/ErrorText.h"
#include "platform/FindFile.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"

namespace zentu {

namespace {

std::filesystem::path DefaultMasterFile(const std::filesystem::path& log) {
    std::filesystem::path master = log;
    master.replace_extension(".mst");
    return master;
}

/// The cause of a file that is there by name but could not be used: what stands there, or why it cannot be read.
std::string CauseAt(const std::filesystem::path& file) {
    switch (KindOfPath(file)) {
    case PathKind::Missing:
        return std::string(CausePhrase(FailureCause::FileMissing));
    case PathKind::Folder:
        return std::string(CausePhrase(FailureCause::IsFolder));
    case PathKind::Other:
        return std::string(CausePhrase(FailureCause::NotRegularFile));
    case PathKind::RegularFile:
        break;
    }
    std::string bytes;
    int error = 0;
    if (ReadRegularFile(file, bytes, error) == FileReadOutcome::Failed) {
        return SystemReason(error);
    }
    return std::string(CausePhrase(FailureCause::Other));
}

} // namespace

std::optional<std::filesystem::path> FindMasterFile(const std::filesystem::path& log) {
    return FindFileIgnoringCase(log.parent_path(), Utf8FromPath(DefaultMasterFile(log).filename()));
}

std::filesystem::path MasterFileForMessages(const std::filesystem::path& log) {
    return FindMasterFile(log).value_or(DefaultMasterFile(log));
}

int CheckLogFileKinds(const std::filesystem::path& log) {
    if (KindOfPath(log) != PathKind::RegularFile) {
        return RecordLibrary::kLogMissing;
    }
    const auto master = FindMasterFile(log);
    if (master && KindOfPath(*master) != PathKind::RegularFile) {
        return RecordLibrary::kMasterMissing;
    }
    return 0;
}

std::string LogOpenFailureText(const std::filesystem::path& log, int code) {
    const std::string name = "ログファイル " + Utf8FromPath(log);
    switch (code) {
    case RecordLibrary::kMasterMissing: {
        const std::filesystem::path master = MasterFileForMessages(log);
        return name + " のマスターファイル " + Utf8FromPath(master) + " を開けません（" + CauseAt(master) + "）。";
    }
    case RecordLibrary::kLogMissing:
        return name + " を開けません（" + CauseAt(log) + "）。";
    case RecordLibrary::kLogNotDbase:
        return name + " を開けません（" + std::string(CausePhrase(FailureCause::NotHamlogLog)) + "）。";
    case RecordLibrary::kLogWrongVersion:
        return name + " を開けません（dBase III 形式ではない版の dBase ファイルです）。";
    case RecordLibrary::kLogInvalid:
        return name + " を開けません（" + std::string(CausePhrase(FailureCause::LogDamaged)) + "）。";
    default:
        return name + " を開けません（" + std::string(CausePhrase(FailureCause::Other)) + "、記録ライブラリのコード " +
               std::to_string(code) + "）。";
    }
}

} // namespace zentu
