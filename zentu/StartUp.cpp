#include "StartUp.h"

#include "JobSession.h"
#include "ZentuHelpers.h"
#include "ZentuTexts.h"
#include "ZentuWindows.h"

#include "convert/JobPlan.h"
#include "convert/ModeTable.h"
#include "gui/PositionStore.h"
#include "gui/Prompts.h"
#include "platform/AtomicFile.h"
#include "platform/ErrorText.h"
#include "platform/NativeFile.h"
#include "platform/ProgramPaths.h"
#include "settings/JobRegistry.h"
#include "text/TextHelpers.h"

#include <cerrno>
#include <system_error>

namespace zentu {

namespace texts = zentu_texts;

bool StartUp(JobSession& session, ZentuWindows& windows, Prompts& prompts) {
    const std::filesystem::path& folder = session.ProgramFolder();
    const auto fail = [&prompts](const std::string& text) {
        prompts.warn(nullptr, Q(text));
        return false;
    };

    std::string reason;
    if (!LoadRecordLibrary(session.library(), folder, reason)) {
        // A library too old is told in a plain box; a library or call that is missing is a failure.
        if (session.library().isLoaded()) {
            prompts.notify(nullptr, Q(reason));
            return false;
        }
        return fail(reason);
    }

    for (const char* name : {"ini", "JOB"}) {
        if (!EnsureFolder(folder / name, &reason)) {
            return fail(QString::fromUtf8(texts::kFolderNotMade)
                            .arg(Q(FolderWithSeparator(folder / name)), Q(reason))
                            .toStdString());
        }
    }
    const JobRegistry registry(folder);
    for (int job = 1; job <= 9; ++job) {
        if (!registry.exists(job) && !registry.writeEmptySlot(job, &reason)) {
            return fail(reason);
        }
    }

    if (!session.startWithFirstJob()) {
        prompts.warn(nullptr, Q(session.takeLoadError())); // the job starts blank; its file is not taken for empty
    }

    std::error_code ignored;
    const std::filesystem::path positions = folder / std::string(kPositionFileName);
    if (!std::filesystem::exists(positions, ignored)) {
        if (!AtomicFile::writeWhole(positions, "[Config]\r\nversion=" + std::string(kZentuVersion) + "\r\n\r\n",
                                    &reason)) {
            return fail(reason);
        }
    } else {
        windows.positions().Reload(folder);
    }

    const std::optional<std::filesystem::path> modeTable = FindModeTable(folder);
    if (!modeTable) {
        prompts.notify(nullptr, Q(FolderWithSeparator(folder) + std::string(kModeTableFileName) + texts::kMissing));
        return false;
    }
    // A table that is there but cannot be read is told with its cause, not as a missing one.
    std::string bytes;
    int error = 0;
    switch (ReadRegularFile(*modeTable, bytes, error)) {
    case FileReadOutcome::Read:
    case FileReadOutcome::Missing:
        break;
    case FileReadOutcome::NotRegularFile:
        error = KindOfPath(*modeTable) == PathKind::Folder ? EISDIR : 0;
        [[fallthrough]];
    case FileReadOutcome::Failed:
    case FileReadOutcome::TooLarge:
        return fail("ファイル " + Utf8FromPath(*modeTable) + " を読めません（" +
                    (error != 0 ? SystemReason(error) : std::string(CausePhrase(FailureCause::NotRegularFile))) +
                    "）。");
    }

    const JobSettings& settings = session.settings();
    windows.showConfig();
    if (!settings.set_outcsv_dir.empty() && !settings.set_hdb_dir.empty()) {
        windows.showRange();
    }
    return !windows.programEnded();
}

} // namespace zentu
